// The lighting renderers' inner workings, shared by lighting.cpp and the
// renderers*.cpp files: a render is planned once (positions, spot tables and
// the random numbers drawn before the first pixel) and then its rows are
// filled independently, so that they can be split over threads.
#pragma once
#include <cstdint>
#include <vector>

#include "canvas/surface.h"

namespace sylvane::renderers {

// spot(d; r, k) = trunc(r / sqrt(d^2 + r^2) * k) in double precision.
int32_t SpotValue(int64_t d, int32_t radius, int32_t strength);

// The spot values of one (radius, strength) pair for every integer distance
// 0..max_distance; the value depends on the distance alone, so one table
// serves every pixel.
struct SpotTable {
  int32_t radius = 0;
  int32_t strength = 0;
  std::vector<int32_t> by_distance;  // index d = trunc(sqrt(dx^2 + dy^2))
};

// A light spot: position (column, row from the bottom), its spot table and
// its colour as buffer channels (blue, green, red), 0..255 each.
struct Light {
  int32_t x = 0;
  int32_t y = 0;
  int32_t table = 0;             // index into RenderPlan::tables
  int32_t colour[3] = {0, 0, 0};  // blue, green, red
};

// How a renderer combines the layers.
enum class Formula {
  kPlain,          // F0: B * M / 255 + T
  kGain,           // F1: (B * M + T * G_c) / 255, clamped
  kDimLights,      // F2: dimmed trees, then lights weighted by 255 - M where M != 255
  kDimAddAll,      // renderer 6: dimmed trees, then lights added to every pixel
  kWhole,          // F3: G * B * M / 65025 + G * T / 255, clamped
  kPlainChannel,   // F4: F0, then one channel + (255 - M) * L / 255 where M != 255
};

// How an F1 or F3 renderer finds its gains.
enum class Gain {
  kSum,          // G = the sum of all lights' spot values, every channel
  kThreeMixed,   // renderer 17
  kLatticeOne,   // renderer 18
  kLatticeTwo,   // renderer 19
  kDots,         // renderer 22: a spot every 32 pixels
  kColourDots,   // renderer 23: a coloured spot every 128 pixels
  kGlitter,      // renderer 24: per-pixel random numbers
};

struct RenderPlan {
  int renderer = 0;
  int32_t width = 0;
  int32_t height = 0;
  Formula formula = Formula::kPlain;
  Gain gain = Gain::kSum;
  std::vector<SpotTable> tables;
  std::vector<Light> lights;
  uint8_t dim[3][256] = {};            // trunc(T * f_c) for blue, green, red (F2, renderer 6)
  int channel = 0;                     // F4: buffer channel (0 blue, 2 red)
  int32_t colour_numbers[3] = {0, 0, 0};  // blue, green, red: renderers 18, 19, 23
  std::vector<int32_t> dot_gains;      // renderers 22, 23: gain by (x mod p, yb mod p), 3 per cell for 23
  int32_t dot_period = 0;              // 32 or 128
  uint32_t glitter_state = 0;          // renderer 24: generator state before the first pixel's draws
};

// Plans renderer (0..32) for a width x height canvas, drawing the per-render
// random numbers in their order. For renderer 24 it also moves the generator
// past every per-pixel draw, which the rows then reproduce from glitter_state.
void PlanRender(int renderer, int32_t width, int32_t height, RenderPlan& plan);

// Work space of one thread, sized for one row.
struct RowScratch {
  std::vector<int32_t> a, b, c, d;     // light rows / gains
  std::vector<int32_t> out[3];         // per-channel output (blue, green, red)
  std::vector<int32_t> weight_left;    // 255 - M
  void Reserve(int32_t width);
};

// The three layers of one render (all the plan's size).
struct Layers {
  const Surface* background;
  const Surface* trees;
  const AlphaPlane* weight;
};

// Fills buffer row yb of out by the plan.
void RenderRow(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch,
               uint8_t* out_row);

// Spot values of one light along buffer row yb, columns 0..width-1.
void SpotRow(const SpotTable& table, int32_t light_x, int32_t light_y, int32_t yb, int32_t width,
             int32_t* out);

// The row fillers of each formula (renderers_rows.cpp, renderers_gain.cpp).
void PlainRow(const uint8_t* b, const uint8_t* t, const uint8_t* m, int32_t width, uint8_t* o);
void DimLightsRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                  int32_t yb, RowScratch& s, uint8_t* o);
void PlainChannelRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                     int32_t yb, RowScratch& s, uint8_t* o);
void GainRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m,
             int32_t yb, RowScratch& s, uint8_t* o);

// The LCG advanced by n steps from state.
uint32_t AdvanceRandomState(uint32_t state, uint64_t steps);

}  // namespace sylvane::renderers
