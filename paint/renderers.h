// The lighting renderers' inner workings, shared by lighting.cpp and the
// renderers*.cpp files. A render is planned once (positions, spot tables and
// the random numbers drawn before the first pixel), then its shared tables are
// filled and its rows rendered, each phase split over threads by rows.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/image/surface.h"

namespace sylvane::renderers {

// spot(d; r, k) = trunc(r / sqrt(d^2 + r^2) * k) in double precision.
int32_t SpotValue(int64_t d, int32_t radius, int32_t strength);

// The spot values of one (radius, strength) pair for every integer distance
// 0..max_distance: the value depends on the distance alone, so one table
// serves every pixel. The value never grows with the distance, and beyond a
// short way from the light it stays the same over long runs of distances.
struct SpotTable {
  int32_t radius = 0;
  int32_t strength = 0;
  std::vector<int32_t> by_distance;  // index d = trunc(sqrt(dx^2 + dy^2))
  std::vector<int32_t> changes;      // ascending: the distances d with by_distance[d] != by_distance[d - 1]
  int32_t runs_from = 0;             // from this distance on, changes lie at least 4 apart
};

// The spot values of one table by column and row offset from a light:
// value(|dy|, |dx|). Built once per render when several lights share the
// table, so that each of them reads its rows instead of taking square roots.
// Rows hold dx >= 0 only (the values are mirrored): half the memory, which
// the render reads from far caches; a light reads its row forwards right of
// it and backwards left of it.
// The storage is not initialised: every row is written by BuildQuarterRows.
struct QuarterTable {
  int32_t rows = 0;                      // |dy| = 0..rows-1; 0 when not built
  int32_t columns = 0;                   // |dx| = 0..columns-1
  bool narrow = false;                   // one byte per value (the table's strength is below 256), else two
  bool filled = false;                   // the values came with the storage (a finished render's table)
  std::unique_ptr<uint8_t[]> storage;    // rows x columns values
  size_t capacity = 0;                   // bytes allocated at storage
  bool built() const { return rows > 0; }
  size_t Offset(int32_t dy) const { return size_t(dy) * size_t(columns); }
  // Row dy at dx = 0: valid for dx from 0 to columns - 1.
  const uint16_t* Row16(int32_t dy) const { return reinterpret_cast<const uint16_t*>(storage.get()) + Offset(dy); }
  uint16_t* Row16(int32_t dy) { return reinterpret_cast<uint16_t*>(storage.get()) + Offset(dy); }
  const uint8_t* Row8(int32_t dy) const { return storage.get() + Offset(dy); }
  uint8_t* Row8(int32_t dy) { return storage.get() + Offset(dy); }
  // The value at (dy, dx) in either width.
  uint16_t At(int32_t dy, int32_t dx) const {
    const int32_t d = dx < 0 ? -dx : dx;
    return narrow ? Row8(dy)[d] : Row16(dy)[d];
  }
};

// The multiplier of floor(u * k / 65025) = floor(u * m / 2^32) for u < 2^16
// and k < 256: ceil(k * 2^32 / 65025), below 2^24.
constexpr uint32_t ScaleMultiplier(uint32_t k) { return uint32_t(((uint64_t(k) << 32) + 65024) / 65025); }

// A light spot: position (column, row from the bottom), its spot table and
// its colour as buffer channels (blue, green, red), 0..255 each.
struct Light {
  int32_t x = 0;
  int32_t y = 0;
  int32_t table = 0;              // index into RenderPlan::tables and quarters
  int32_t colour[3] = {0, 0, 0};  // blue, green, red
  bool moves = false;             // placed at random by every render
  // ScaleMultiplier(colour[c]) in 16-bit halves, so that the row code reads
  // them as numbers of unknown size (the vector code then multiplies on
  // 16-bit lanes).
  uint16_t scale_high[3] = {0, 0, 0};
  uint16_t scale_low[3] = {0, 0, 0};
};

// How a renderer combines the layers.
enum class Formula {
  kPlain,         // F0: B * M / 255 + T
  kGain,          // F1: (B * M + T * G_c) / 255, clamped
  kDimLights,     // F2: dimmed trees, then lights weighted by 255 - M where M != 255
  kDimAddAll,     // renderer 6: dimmed trees, then lights added to every pixel
  kWhole,         // F3: G * B * M / 65025 + G * T / 255, clamped
  kPlainChannel,  // F4: F0, then one channel + (255 - M) * L / 255 where M != 255
};

// How an F1 or F3 renderer finds its gains.
enum class Gain {
  kSum,         // G = the sum of all lights' spot values, every channel
  kThreeMixed,  // renderer 17
  kLatticeOne,  // renderer 18
  kLatticeTwo,  // renderer 19
  kDots,        // renderer 22: a spot every 32 pixels
  kColourDots,  // renderer 23: a coloured spot every 128 pixels
  kGlitter,     // renderer 24: per-pixel random numbers
};

// Entries of T where a dim multiplier's product is one too large.
constexpr int kDimExceptions = 4;

struct RenderPlan {
  int renderer = 0;
  int32_t width = 0;
  int32_t height = 0;
  Formula formula = Formula::kPlain;
  Gain gain = Gain::kSum;
  std::vector<SpotTable> tables;
  std::vector<QuarterTable> quarters;     // one per table, built by BuildQuarterRows
  std::vector<Light> lights;
  uint8_t dim[3][256] = {};               // trunc(T * f_c) for blue, green, red (F2, renderer 6)
  uint32_t dim_multiplier[3] = {0, 0, 0};  // when dim_exact: dim[c][T] = T * dim_multiplier[c] >> 16,
  uint32_t dim_exceptions[3][kDimExceptions] = {};  // less one where T is listed here (256: no entry)
  bool dim_exact = false;                 // the dim tables follow the multipliers for every T
  int channel = 0;                        // F4: buffer channel (0 blue, 2 red)
  int32_t colour_numbers[3] = {0, 0, 0};  // blue, green, red: renderers 18, 19, 23
  uint16_t colour_numbers16[3] = {0, 0, 0};  // the same, read by the row code as numbers of unknown size
  std::vector<int32_t> dot_gains;         // renderers 22, 23: gain by (yb mod p, x mod p), 3 per cell for 23
  int32_t dot_period = 0;                 // 32 or 128
  uint32_t glitter_state = 0;             // renderer 24: generator state before the first pixel's draws
  bool narrow_lights = false;             // every spot value times 255 fits 16 bits (F2, renderer 6)
  bool sum_fits16 = false;                // the sum of all lights' strengths fits 16 bits
  // With narrow_lights and dim_exact: the row code takes the dim multipliers
  // and their exceptions on 16-bit lanes.
  bool dim_pattern = false;
  int dim_exception_count = 0;            // the most exceptions any channel lists (0..kDimExceptions)
  // By channel (blue, green, red), T * f >> 16 = T * high + (T * low >> 16),
  // read by the row code as 16-bit numbers of unknown size.
  uint16_t dim_low16[3] = {0, 0, 0};
  uint16_t dim_high16[3] = {0, 0, 0};
  uint16_t dim_exceptions16[3][kDimExceptions] = {};
};

// Plans renderer (0..32) for a width x height canvas, drawing the per-render
// random numbers in their order. For renderer 24 it also moves the generator
// past every per-pixel draw, which the rows then reproduce from glitter_state.
// The quarter tables are sized (their rows not yet filled).
void PlanRender(int renderer, int32_t width, int32_t height, RenderPlan& plan);

// Rows of all quarter tables, as a share of the work: the rows r with
// first <= r < last in a numbering of all tables' rows one after another.
int64_t QuarterRowCount(const RenderPlan& plan);
void BuildQuarterRows(RenderPlan& plan, int64_t first, int64_t last);
// Hands the plan's quarter tables back, values and all, for the next render:
// one of the same lights on a canvas of the same size takes them as they are
// (their rows are then not counted by QuarterRowCount nor built again), any
// other takes their storage and needs no fresh pages of memory.
// rows_built: BuildQuarterRows has built every row (else only the storage is kept).
void RecycleRenderStorage(RenderPlan& plan, bool rows_built);

// Work space of one thread, sized for one row.
struct RowScratch {
  std::vector<int32_t> a, d;         // a light row computed without a table; starts of painted blocks
  std::vector<int32_t> out[3];       // per-channel values or gains (blue, green, red)
  std::vector<int32_t> weight_left;  // 255 - M
  std::vector<uint32_t> draws;       // renderer 24: generator states of one span (and 31 spare)
  uint64_t next_draw = ~uint64_t(0);  // renderer 24: the draw the next span starts at (from the plan's state)
  uint32_t next_draw_state = 0;       // the generator state of that draw
  uint32_t draws_from = 0;            // the plan's glitter_state they follow from
  std::vector<uint8_t> weight3;      // the row's weights, three times each (one per channel)
  std::vector<uint16_t> gain3;       // the row's gains, one per channel byte
  std::vector<uint16_t> light16;     // one light's spot values along the row
  std::vector<uint16_t> left16;      // 255 - M
  std::vector<uint16_t> acc16[3];    // per-channel sums (blue, green, red)
  void Reserve(int32_t width);
};

// The three layers of one render (all the plan's size).
struct Layers {
  const Surface* background;
  const Surface* trees;
  const AlphaPlane* weight;
};

// Fills buffer row yb of out by the plan (the pixels and the row's padding).
void RenderRow(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch,
               uint8_t* out_row);

// Which compiled form of the row code runs: the one for the processor's
// widest vector extensions it has (kWide: 512-bit, not on Windows;
// kWideBytePermutes: the same with the dimmed-trees formulas in one pass, on
// processors with 512-bit byte permutes; kVector: 256-bit, 128-bit on
// Windows), else the baseline one. All give the same bytes; tests select each
// in turn (a form the processor lacks selects the automatic choice).
enum class RowCode { kAuto, kBaseline, kVector, kWide, kWideBytePermutes };
void SelectRowCode(RowCode code);

// Spot values of one light along buffer row yb, columns 0..width-1, computed
// from the table with an exact integer square root walk.
void SpotRow(const SpotTable& table, int32_t light_x, int32_t light_y, int32_t yb, int32_t width,
             int32_t* out);

// The LCG advanced by n steps from state.
uint32_t AdvanceRandomState(uint32_t state, uint64_t steps);

}  // namespace sylvane::renderers
