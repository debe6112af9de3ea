// Planning a render: the light positions and colours of every renderer, the
// spot tables, and the random numbers drawn before the first pixel.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "base/random.h"
#include "paint/renderers.h"

namespace sylvane::renderers {
namespace {

// n * size / m in integer arithmetic, the way every position of a renderer is
// placed (7W/8 = (8W - W) / 8 = 7W/8 and so on).
int32_t Part(int32_t n, int32_t size, int32_t m) { return int32_t(int64_t(n) * size / m); }

// rand() % n, or 0 without a draw when n is 0.
int32_t RandomBelow(int32_t n) { return n > 0 ? Rand() % n : 0; }

// Exact integer square root.
int64_t SquareRoot(int64_t s) {
  int64_t d = int64_t(std::sqrt(double(s)));
  while (d * d > s) --d;
  while ((d + 1) * (d + 1) <= s) ++d;
  return d;
}

int AddTable(RenderPlan& plan, int32_t radius, int32_t strength) {
  for (size_t i = 0; i < plan.tables.size(); ++i) {
    if (plan.tables[i].radius == radius && plan.tables[i].strength == strength) return int(i);
  }
  SpotTable table;
  table.radius = radius;
  table.strength = strength;
  plan.tables.push_back(table);
  return int(plan.tables.size() - 1);
}

// Colours are given (red, green, blue) as people write them and stored in
// buffer order (blue, green, red).
void AddLight(RenderPlan& plan, int32_t x, int32_t y, int32_t radius, int32_t strength, int32_t red = 0,
              int32_t green = 0, int32_t blue = 0) {
  Light light;
  light.x = x;
  light.y = y;
  light.table = AddTable(plan, radius, strength);
  light.colour[0] = blue;
  light.colour[1] = green;
  light.colour[2] = red;
  for (int c = 0; c < 3; ++c) {
    const uint32_t m = ScaleMultiplier(uint32_t(std::clamp(light.colour[c], 0, 255)));
    light.scale_high[c] = uint16_t(m >> 16);
    light.scale_low[c] = uint16_t(m & 0xFFFFu);
  }
  plan.lights.push_back(light);
}

// Dim factors (red, green, blue) as tables of trunc(T * f) for every T.
void SetDim(RenderPlan& plan, double red, double green, double blue) {
  const double factor[3] = {blue, green, red};
  for (int c = 0; c < 3; ++c) {
    for (int t = 0; t < 256; ++t) plan.dim[c][t] = uint8_t(std::min(255.0, std::trunc(t * factor[c])));
  }
  // Every factor reduces to a multiply and shift that gives the very same
  // truncated products but for a few T where the double product falls just
  // short of an integer (0.7 at 90, 170 and 180): those are listed, and the
  // row code takes one off there. A factor needing more keeps its table.
  plan.dim_exact = true;
  for (int c = 0; c < 3; ++c) {
    bool found = false;
    const uint32_t guess = uint32_t(factor[c] * 65536.0);
    for (uint32_t mul = guess; mul <= guess + 2 && !found; ++mul) {
      uint32_t exceptions[kDimExceptions] = {256, 256, 256, 256};
      int count = 0;
      bool fits = true;
      for (uint32_t t = 0; t < 256 && fits; ++t) {
        const uint32_t product = (t * mul) >> 16;
        if (product == plan.dim[c][t]) continue;
        fits = product == plan.dim[c][t] + 1u && count < kDimExceptions;
        if (fits) exceptions[count++] = t;
      }
      if (!fits) continue;
      found = true;
      plan.dim_multiplier[c] = mul;
      for (int j = 0; j < kDimExceptions; ++j) plan.dim_exceptions[c][j] = exceptions[j];
    }
    plan.dim_exact = plan.dim_exact && found;
  }
}

void AddFiveColourLights(RenderPlan& plan, int32_t w, int32_t h) {
  AddLight(plan, w / 10, Part(9, h, 10), 50, 200, 255, 0, 0);
  AddLight(plan, Part(9, w, 10), Part(9, h, 10), 50, 200, 0, 255, 0);
  AddLight(plan, w / 10, h / 10, 50, 200, 255, 255, 0);
  AddLight(plan, Part(9, w, 10), h / 10, 50, 200, 255, 0, 255);
}

void AddNineColourLights(RenderPlan& plan, int32_t w, int32_t h, int32_t centre_strength) {
  AddFiveColourLights(plan, w, h);
  AddLight(plan, w / 2, h / 2, 50, centre_strength, 255, 255, 255);
  AddLight(plan, w / 2, Part(3, h, 4), 50, 200, 128, 0, 255);
  AddLight(plan, w / 4, h / 2, 50, 200, 0, 255, 255);
  AddLight(plan, w / 2, h / 4, 50, 200, 0, 0, 255);
  AddLight(plan, Part(3, w, 4), h / 2, 50, 200, 255, 128, 0);
}

void AddFourInner(RenderPlan& plan, int32_t w, int32_t h, int32_t radius, int32_t strength) {
  AddLight(plan, w / 4, h / 4, radius, strength);
  AddLight(plan, Part(3, w, 4), h / 4, radius, strength);
  AddLight(plan, w / 4, Part(3, h, 4), radius, strength);
  AddLight(plan, Part(3, w, 4), Part(3, h, 4), radius, strength);
}

void AddFourCorners(RenderPlan& plan, int32_t w, int32_t h, int32_t radius, int32_t strength) {
  AddLight(plan, w / 10, h / 10, radius, strength);
  AddLight(plan, Part(9, w, 10), h / 10, radius, strength);
  AddLight(plan, w / 10, Part(9, h, 10), radius, strength);
  AddLight(plan, Part(9, w, 10), Part(9, h, 10), radius, strength);
}

void AddRandomPoints(RenderPlan& plan, int32_t w, int32_t h, int count, int32_t radius, int32_t strength) {
  for (int i = 0; i < count; ++i) {
    const int32_t x = RandomBelow(w);
    const int32_t y = RandomBelow(h);
    AddLight(plan, x, y, radius, strength);
    plan.lights.back().moves = true;
  }
}

// The three colour numbers, drawn red, green, blue; kept in buffer order.
void DrawColourNumbers(RenderPlan& plan) {
  const int32_t red = Rand() % 256;
  const int32_t green = Rand() % 256;
  const int32_t blue = Rand() % 256;
  plan.colour_numbers[0] = blue;
  plan.colour_numbers[1] = green;
  plan.colour_numbers[2] = red;
  for (int c = 0; c < 3; ++c) plan.colour_numbers16[c] = uint16_t(plan.colour_numbers[c]);
}

// Gains of the dot renderers by position inside one grid cell.
void MakeDots(RenderPlan& plan, int32_t period, int32_t radius, int32_t strength, bool coloured) {
  plan.dot_period = period;
  plan.dot_gains.assign(size_t(period) * size_t(period) * (coloured ? 3 : 1), 0);
  const int32_t half = period / 2;
  for (int32_t yy = 0; yy < period; ++yy) {
    for (int32_t xx = 0; xx < period; ++xx) {
      const int64_t d = SquareRoot(int64_t(xx - half) * (xx - half) + int64_t(yy - half) * (yy - half));
      const int32_t s = SpotValue(d, radius, strength);
      const size_t cell = size_t(yy) * size_t(period) + size_t(xx);
      if (coloured) {
        for (int c = 0; c < 3; ++c) plan.dot_gains[cell * 3 + c] = plan.colour_numbers[c] * s / 255;
      } else {
        plan.dot_gains[cell] = s * 256 / 255;
      }
    }
  }
}

// Largest quarter table built, in values: beyond it (canvases far above 4K)
// the lights take their square roots row by row instead.
constexpr int64_t kMaxQuarterValues = int64_t(96) << 20;

// Quarter-table storage handed back by finished renders.
// What a quarter table holds: the same key, the same values.
struct TableKey {
  int32_t radius = 0;
  int32_t strength = 0;
  int32_t rows = 0;
  int32_t columns = 0;
  bool operator==(const TableKey&) const = default;
};

// Quarter tables of finished renders, kept with their values: the next render
// of the same lights on a canvas of the same size (every periodic update)
// takes them as they are, any other render takes their storage.
struct PooledTable {
  std::unique_ptr<uint8_t[]> storage;
  size_t capacity = 0;  // bytes
  TableKey key;
};
struct StoragePool {
  std::mutex mutex;
  std::vector<PooledTable> free;  // oldest first
};
constexpr size_t kPooledTables = 4;

StoragePool& Pool() {
  static StoragePool* pool = new StoragePool();  // lives until exit
  return *pool;
}

TableKey KeyOf(const SpotTable& table, const QuarterTable& q) {
  return TableKey{table.radius, table.strength, q.rows, q.columns};
}

// Storage for q (rows and columns set): a pooled table with the same values
// (q.filled), else the smallest pooled storage of at least n bytes, else new.
void TakeStorage(size_t n, const TableKey& key, QuarterTable& q) {
  {
    StoragePool& pool = Pool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    size_t best = pool.free.size();
    for (size_t i = 0; i < pool.free.size(); ++i) {
      if (pool.free[i].key == key && pool.free[i].capacity >= n) {
        best = i;
        q.filled = true;
        break;
      }
      if (pool.free[i].capacity >= n && (best == pool.free.size() || pool.free[i].capacity < pool.free[best].capacity))
        best = i;
    }
    if (best < pool.free.size()) {
      q.storage = std::move(pool.free[best].storage);
      q.capacity = pool.free[best].capacity;
      pool.free.erase(pool.free.begin() + long(best));
      return;
    }
  }
  // uint16_t values live here too: new[] aligns for any fundamental type.
  q.storage.reset(new uint8_t[n]);
  q.capacity = n;
  q.filled = false;
}

void FillTables(RenderPlan& plan) {
  // Every distance looked up, quarter tables included, lies within the
  // largest column and row offsets of any light from any pixel. A light
  // placed at random may lie anywhere: its tables cover every offset the
  // canvas has, so that the next render, which places it elsewhere, takes
  // the same quarter table as it is.
  int64_t widest = 0;
  int64_t tallest = 0;
  for (const Light& light : plan.lights) {
    widest = std::max({widest, std::abs(int64_t(light.x)), std::abs(int64_t(light.x) - (plan.width - 1))});
    tallest = std::max({tallest, std::abs(int64_t(light.y)), std::abs(int64_t(light.y) - (plan.height - 1))});
    if (light.moves) {
      widest = std::max<int64_t>(widest, plan.width - 1);
      tallest = std::max<int64_t>(tallest, plan.height - 1);
    }
  }
  const int64_t farthest = SquareRoot(widest * widest + tallest * tallest);
  for (SpotTable& table : plan.tables) {
    table.by_distance.resize(size_t(farthest) + 1);
    for (int64_t d = 0; d <= farthest; ++d) {
      table.by_distance[size_t(d)] = SpotValue(d, table.radius, table.strength);
    }
    table.changes.clear();
    for (int64_t d = 1; d <= farthest; ++d) {
      if (table.by_distance[size_t(d)] != table.by_distance[size_t(d - 1)]) table.changes.push_back(int32_t(d));
    }
    // Walking pixel by pixel costs less than finding each change where the
    // changes lie close together.
    table.runs_from = 0;
    for (size_t j = table.changes.size(); j-- > 1;) {
      if (table.changes[j] - table.changes[j - 1] < 4) {
        table.runs_from = table.changes[j];
        break;
      }
    }
  }
  // Quarter tables: a light reads its rows instead of walking square roots
  // along every row, and the table covers only the offsets that occur (a
  // quarter of the canvas for a light in the middle), shared by all lights of
  // the same spot shape.
  plan.quarters.clear();
  plan.quarters.resize(plan.tables.size());
  if (plan.width <= 0 || plan.height <= 0) return;
  std::vector<int> users(plan.tables.size(), 0);
  std::vector<int64_t> rows(plan.tables.size(), 0);
  std::vector<int64_t> columns(plan.tables.size(), 0);
  for (const Light& light : plan.lights) {
    const size_t t = size_t(light.table);
    ++users[t];
    rows[t] = std::max({rows[t], std::abs(int64_t(light.y)), std::abs(int64_t(light.y) - (plan.height - 1))});
    columns[t] = std::max({columns[t], std::abs(int64_t(light.x)), std::abs(int64_t(light.x) - (plan.width - 1))});
    if (light.moves) {
      rows[t] = std::max<int64_t>(rows[t], plan.height - 1);
      columns[t] = std::max<int64_t>(columns[t], plan.width - 1);
    }
  }
  for (size_t t = 0; t < plan.tables.size(); ++t) {
    // A spot value never exceeds its strength.
    const bool narrow = plan.tables[t].strength <= 255;
    const int64_t values = (rows[t] + 1) * (columns[t] + 1);
    if (users[t] < 1 || values > kMaxQuarterValues) continue;
    QuarterTable& q = plan.quarters[t];
    q.narrow = narrow;
    q.rows = int32_t(rows[t] + 1);
    q.columns = int32_t(columns[t] + 1);
    TakeStorage(size_t(values) * (q.narrow ? 1 : 2), KeyOf(plan.tables[t], q), q);
  }
}

}  // namespace

int32_t SpotValue(int64_t d, int32_t radius, int32_t strength) {
  const double dd = double(d);
  const double rr = double(radius);
  return int32_t(rr / std::sqrt(dd * dd + rr * rr) * double(strength));
}

uint32_t AdvanceRandomState(uint32_t state, uint64_t steps) { return AdvanceState(state, steps); }

void PlanRender(int renderer, int32_t w, int32_t h, RenderPlan& plan) {
  plan = RenderPlan();
  plan.renderer = renderer;
  plan.width = w;
  plan.height = h;
  switch (renderer) {
    case 1:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.4, 0.4, 1.0);
      AddLight(plan, Part(7, w, 8), Part(4, h, 5), 265, 180, 180, 255, 150);
      break;
    case 2:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.7, 0.7, 1.0);
      AddLight(plan, Part(7, w, 8), Part(4, h, 5), 500, 50, 200, 200, 150);
      AddLight(plan, w / 5, h / 10, 500, 200, 140, 200, 88);
      break;
    case 3:
    case 9:
      plan.formula = Formula::kPlainChannel;
      plan.channel = renderer == 3 ? 2 : 0;
      AddLight(plan, w / 3, h / 2, 200, 200);
      break;
    case 4:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.5, 0.5, 0.8);
      AddLight(plan, w / 10, h / 10, 50, 200, 206, 0, 108);
      AddLight(plan, Part(9, w, 10), h / 10, 80, 200, 203, 45, 255);
      break;
    case 5:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.4, 0.4, 0.8);
      break;
    case 6:
      plan.formula = Formula::kDimAddAll;
      SetDim(plan, 0.2, 0.2, 0.6);
      AddNineColourLights(plan, w, h, 150);
      break;
    case 7:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.4, 0.4, 0.8);
      AddFiveColourLights(plan, w, h);
      AddLight(plan, w / 2, h / 2, 50, 200, 255, 255, 255);
      break;
    case 8:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.4, 0.4, 0.8);
      AddNineColourLights(plan, w, h, 200);
      break;
    case 10: {
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.2, 0.2, 0.5);
      AddLight(plan, w / 4, h / 5, 350, 200, 0, 0, 50);
      const int32_t x = RandomBelow(w);
      AddLight(plan, x, Part(4, h, 5), 150, 200, 120, 200, 255);
      plan.lights.back().moves = true;
      break;
    }
    case 11:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.3, 0.3, 0.2);
      AddLight(plan, Part(4, w, 5), Part(4, h, 5), 150, 200, 180, 180, 13);
      AddLight(plan, w / 5, h / 5, 200, 200, 241, 131, 21);
      break;
    case 12:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 0.4, 0.2, 0.9);
      AddLight(plan, w / 2, h / 2, 200, 150, 255, 128, 255);
      break;
    case 13:
      plan.formula = Formula::kDimLights;
      SetDim(plan, 80.0 / 255.0, 80.0 / 255.0, 80.0 / 255.0);
      AddLight(plan, w / 10, h / 10, 150, 200, 0, 255, 0);
      AddLight(plan, Part(9, w, 10), h / 10, 150, 200, 0, 255, 255);
      AddLight(plan, w / 2, Part(7, h, 10), 150, 200, 196, 42, 0);
      break;
    case 14:
    case 29:
      plan.formula = renderer == 14 ? Formula::kGain : Formula::kWhole;
      AddLight(plan, w / 2, h / 10, 250, 400);
      break;
    case 15:
    case 30:
      plan.formula = renderer == 15 ? Formula::kGain : Formula::kWhole;
      AddLight(plan, w / 2, Part(9, h, 10), 250, 400);
      break;
    case 16:
    case 31:
      plan.formula = renderer == 16 ? Formula::kGain : Formula::kWhole;
      AddFourInner(plan, w, h, 50, 255);
      break;
    case 17:
      plan.formula = Formula::kGain;
      plan.gain = Gain::kThreeMixed;
      AddLight(plan, w / 4, h / 4, 80, 400);
      AddLight(plan, Part(3, w, 4), h / 4, 80, 400);
      AddLight(plan, w / 2, Part(3, h, 4), 80, 400);
      break;
    case 18: {
      plan.formula = Formula::kGain;
      plan.gain = Gain::kLatticeOne;
      const int32_t x = RandomBelow(w);
      const int32_t y = RandomBelow(h);
      DrawColourNumbers(plan);
      AddLight(plan, Part(3, w, 4), h / 4, 80, 300);
      AddLight(plan, x, y, 80, 300);
      plan.lights.back().moves = true;
      AddLight(plan, w / 2, Part(3, h, 4), 200, 300);
      break;
    }
    case 19: {
      plan.formula = Formula::kGain;
      plan.gain = Gain::kLatticeTwo;
      const int32_t x = RandomBelow(w);
      const int32_t y = RandomBelow(h);
      DrawColourNumbers(plan);
      AddLight(plan, x, y, 80, 400);
      plan.lights.back().moves = true;
      AddLight(plan, Part(9, w, 10), h / 4, 80, 400);
      AddLight(plan, w / 3, h / 3, 80, 200);
      AddLight(plan, Part(2, w, 3), Part(2, h, 3), 80, 200);
      break;
    }
    case 20:
    case 32:
      plan.formula = renderer == 20 ? Formula::kGain : Formula::kWhole;
      AddFourCorners(plan, w, h, 60, 400);
      break;
    case 21:
    case 28:
      plan.formula = renderer == 21 ? Formula::kGain : Formula::kWhole;
      AddLight(plan, w / 2, h / 2, 80, 400);
      break;
    case 22:
      plan.formula = Formula::kGain;
      plan.gain = Gain::kDots;
      MakeDots(plan, 32, 8, 350, false);
      break;
    case 23:
      plan.formula = Formula::kGain;
      plan.gain = Gain::kColourDots;
      DrawColourNumbers(plan);
      MakeDots(plan, 128, 32, 400, true);
      break;
    case 24: {
      plan.formula = Formula::kGain;
      plan.gain = Gain::kGlitter;
      const int32_t x = RandomBelow(w);
      const int32_t y = RandomBelow(h);
      AddLight(plan, x, y, 260, 400);
      plan.lights.back().moves = true;
      // Three draws per pixel in row order: the rows reproduce them from this
      // state, and the generator moves on past all of them at once.
      plan.glitter_state = w > 0 && h > 0 ? TakeDraws(3ull * uint64_t(w) * uint64_t(h)) : RandomState();
      break;
    }
    case 25:
      plan.formula = Formula::kGain;
      AddRandomPoints(plan, w, h, 3, 50, 400);
      break;
    case 26:
      plan.formula = Formula::kGain;
      AddRandomPoints(plan, w, h, 2, 60, 400);
      break;
    case 27:
      plan.formula = Formula::kGain;
      AddRandomPoints(plan, w, h, 1, 80, 500);
      break;
    default:
      plan.renderer = 0;
      plan.formula = Formula::kPlain;
      break;
  }
  FillTables(plan);
  // The 16-bit light code needs (255 - M) * spot value below 2^16.
  plan.narrow_lights = true;
  for (const SpotTable& table : plan.tables) plan.narrow_lights = plan.narrow_lights && table.strength <= 257;
  int64_t strengths = 0;
  for (const Light& light : plan.lights) strengths += std::max(plan.tables[size_t(light.table)].strength, 0);
  plan.sum_fits16 = strengths <= 0xFFFF;
  // The bounds of ChannelGains16, which every plan of its renderers keeps:
  // renderer 17 adds two spot values and takes 100/255 of the sum (exact up
  // to 1500), renderer 24 multiplies one by up to 255 (below 2^17 - 1),
  // renderer 18 adds three (16 bits), renderer 19 sums products below 2^18
  // with terms of p and q that fit 16 bits.
  int32_t strongest = 0;
  for (const SpotTable& table : plan.tables) strongest = std::max(strongest, table.strength);
  assert((plan.gain != Gain::kThreeMixed || (plan.lights.size() == 3 && strongest <= 750)) &&
         (plan.gain != Gain::kLatticeOne || (plan.lights.size() == 3 && strongest <= 21845)) &&
         (plan.gain != Gain::kLatticeTwo ||
          (plan.lights.size() == 4 && strongest <= 1000 && plan.tables[size_t(plan.lights[2].table)].strength <= 260 &&
           plan.tables[size_t(plan.lights[3].table)].strength <= 260)) &&
         (plan.gain != Gain::kGlitter || (plan.lights.size() == 1 && strongest <= 500)));
  (void)strongest;
  const bool dims = plan.formula == Formula::kDimLights || plan.formula == Formula::kDimAddAll;
  plan.dim_pattern = dims && plan.narrow_lights && plan.dim_exact && w > 0;
  if (plan.dim_pattern) {
    for (int c = 0; c < 3; ++c) {
      plan.dim_low16[c] = uint16_t(plan.dim_multiplier[c] & 0xFFFFu);
      plan.dim_high16[c] = uint16_t(plan.dim_multiplier[c] >> 16);
      for (int j = 0; j < kDimExceptions; ++j) plan.dim_exceptions16[c][j] = uint16_t(plan.dim_exceptions[c][j]);
    }
    // Listed exceptions come first; 256 marks the rest.
    for (const auto& channel : plan.dim_exceptions) {
      for (int j = 0; j < kDimExceptions; ++j) {
        if (channel[j] != 256) plan.dim_exception_count = std::max(plan.dim_exception_count, j + 1);
      }
    }
  }
}

namespace {

// The smallest e >= 0 with e^2 >= n.
int64_t CeilSquareRoot(int64_t n) {
  if (n <= 0) return 0;
  int64_t e = int64_t(std::sqrt(double(n)));
  while (e * e < n) ++e;
  while (e > 0 && (e - 1) * (e - 1) >= n) --e;
  return e;
}

// One row of a quarter table: the spot values at column offsets
// 0..columns-1 and row offset dy. Near the light the distance is walked
// pixel by pixel; farther out the value holds over runs of columns, which
// end where the distance reaches the table's next change.
template <typename Value>
void QuarterRow(const SpotTable& table, int32_t dy, int32_t columns, Value* row) {
  const int32_t* by_distance = table.by_distance.data();
  // Walking along the row the squared distance grows by 2k + 1 per column
  // and its integer root by at most one.
  int64_t k = 0;
  int64_t s = int64_t(dy) * dy;
  int64_t d = dy;
  int64_t next = (d + 1) * (d + 1);
  for (; k < columns && d < table.runs_from; ++k) {
    row[k] = Value(by_distance[d]);
    s += 2 * k + 1;
    const int64_t grows = s >= next;
    d += grows;
    next += grows * (2 * d + 1);
  }
  if (k >= columns) return;
  // From here on s = k^2 + dy^2 and d = its integer root.
  const int32_t* changes = table.changes.data();
  const size_t change_count = table.changes.size();
  size_t j = size_t(std::upper_bound(changes, changes + change_count, int32_t(d)) - changes);
  Value value = Value(by_distance[d]);
  const int64_t dy2 = int64_t(dy) * dy;
  while (k < columns) {
    if (j == change_count) {
      std::fill(row + k, row + columns, value);
      return;
    }
    // The value holds until the distance reaches the next change.
    const int64_t change = changes[j];
    const int64_t end = std::min<int64_t>(CeilSquareRoot(change * change - dy2), columns);
    std::fill(row + k, row + end, value);
    k = end;
    if (k >= columns) return;
    // At column k the distance has reached that change, perhaps passed more.
    s = k * k + dy2;
    while (j < change_count && int64_t(changes[j]) * changes[j] <= s) ++j;
    value = Value(by_distance[changes[j - 1]]);
  }
}

}  // namespace

int64_t QuarterRowCount(const RenderPlan& plan) {
  int64_t n = 0;
  for (const QuarterTable& q : plan.quarters) {
    if (q.built() && !q.filled) n += q.rows;
  }
  return n;
}

void BuildQuarterRows(RenderPlan& plan, int64_t first, int64_t last) {
  int64_t base = 0;
  for (size_t t = 0; t < plan.quarters.size(); ++t) {
    QuarterTable& q = plan.quarters[t];
    if (!q.built() || q.filled) continue;
    const int64_t begin = std::max(first - base, int64_t(0));
    const int64_t end = std::min(last - base, int64_t(q.rows));
    for (int64_t dy = begin; dy < end; ++dy) {
      if (q.narrow) {
        QuarterRow(plan.tables[t], int32_t(dy), q.columns, q.Row8(int32_t(dy)));
      } else {
        QuarterRow(plan.tables[t], int32_t(dy), q.columns, q.Row16(int32_t(dy)));
      }
    }
    base += q.rows;
  }
}

void SpotRow(const SpotTable& table, int32_t light_x, int32_t light_y, int32_t yb, int32_t width,
             int32_t* out) {
  const int32_t* by_distance = table.by_distance.data();
  const int64_t dy = int64_t(yb) - light_y;
  const int64_t dy2 = dy * dy;
  // Walking away from the light's column the squared distance grows by
  // 2k - 1 per step and its integer root by at most one.
  const int32_t right_start = std::clamp(light_x, 0, width);
  {
    int64_t k = int64_t(right_start) - light_x;
    int64_t s = k * k + dy2;
    int64_t d = SquareRoot(s);
    for (int32_t x = right_start; x < width; ++x) {
      out[x] = by_distance[d];
      ++k;
      s += 2 * k - 1;
      while ((d + 1) * (d + 1) <= s) ++d;
    }
  }
  const int32_t left_start = std::clamp(light_x - 1, -1, width - 1);
  {
    int64_t k = int64_t(light_x) - left_start;
    int64_t s = k * k + dy2;
    int64_t d = SquareRoot(s);
    for (int32_t x = left_start; x >= 0; --x) {
      out[x] = by_distance[d];
      ++k;
      s += 2 * k - 1;
      while ((d + 1) * (d + 1) <= s) ++d;
    }
  }
}

void RecycleRenderStorage(RenderPlan& plan, bool rows_built) {
  StoragePool& pool = Pool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  for (size_t t = 0; t < plan.quarters.size(); ++t) {
    QuarterTable& q = plan.quarters[t];
    if (!q.storage) continue;
    if (pool.free.size() >= kPooledTables) pool.free.erase(pool.free.begin());  // the oldest goes
    // Values are kept only when every row was built; else the key stays empty.
    const TableKey key = q.built() && rows_built ? KeyOf(plan.tables[t], q) : TableKey{};
    pool.free.push_back(PooledTable{std::move(q.storage), q.capacity, key});
    q = QuarterTable();
  }
}

void RowScratch::Reserve(int32_t width) {
  const size_t n = size_t(std::max(width, 1));
  for (auto* v : {&a, &d, &out[0], &out[1], &out[2], &weight_left}) {
    if (v->size() < n) v->resize(n);
  }
  if (draws.size() < 3 * n + 32) draws.resize(3 * n + 32);
  if (weight3.size() < 3 * n) weight3.resize(3 * n);
  if (gain3.size() < 3 * n) gain3.resize(3 * n);
  for (auto* v : {&light16, &left16, &acc16[0], &acc16[1], &acc16[2]}) {
    if (v->size() < n) v->resize(n);
  }
}

}  // namespace sylvane::renderers
