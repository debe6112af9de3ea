#include "paint/brush.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/random.h"

namespace sylvane {
namespace {

// 1/65025 as the 32-bit constant the fall-off has always been computed with.
constexpr float kInv65025 = 1.5378700e-5f;

// Everything one build needs: the sizes, the three radii (kept as 32-bit
// floats, as stored patterns have always been made with them) and the levels.
struct Shape {
  int w;           // columns of one variant
  int h;           // rows of one variant
  float r;         // min(w, h) / 2: radius of the inscribed disc
  float r0;        // half the diagonal
  float r2;        // min(w, h) / (2 sqrt 2): half-width of the diagonal bands
  double strength; // centre opacity in 255ths
  double edge;     // level at the fall-off radius in 255ths of the centre level
};

// Linear fall-off from strength/255 at d = 0 to edge*strength/65025 at d = rho,
// continued beyond rho (it may turn negative there).
double Fall(const Shape& s, double d, float rho) {
  return ((s.edge - 255.0) / double(rho) * d + 255.0) * s.strength * double(kInv65025);
}

// Ring level: brightest at the rim of the disc, 255 from there on.
double Ring(const Shape& s, double d) {
  double level = d / double(s.r) * 255.0 + s.edge;
  // Anything above 254 becomes 255; deciding before the conversion keeps
  // absurd edge values from overflowing an int.
  double q = level >= 255.0 ? 255.0 : std::trunc(level);
  return q * s.strength * double(kInv65025);
}

// Distance from the centre of the dab.
double CentreDistance(const Shape& s, int x, int y) {
  double dy = y - s.h * 0.5;
  double dx = x - s.w * 0.5;
  return std::sqrt(dy * dy + dx * dx);
}

// Distance from the diagonal x = y; the square is halved in integers.
double DiagonalDistance(int x, int y) {
  long long d = x - y;
  return std::sqrt(double((d * d) / 2));
}

// Distance from the line x + y = h; the square is halved in integers.
double AntiDiagonalDistance(const Shape& s, int x, int y) {
  long long d = static_cast<long long>(x) + y - s.h;
  return std::sqrt(double((d * d) / 2));
}

// Chessboard distance from the centre, each axis truncated toward zero.
double ChessDistance(const Shape& s, int x, int y) {
  int ay = std::abs(static_cast<int>(y - s.h * 0.5));
  int ax = std::abs(static_cast<int>(x - s.w * 0.5));
  return std::max(ay, ax);
}

int Trunc(double v) { return static_cast<int>(v); }

bool InCross(const Shape& s, int x, int y, double lo, double hi) {
  bool column = Trunc(lo * s.w) <= x && x < std::max(1, Trunc(hi * s.w));
  bool row = Trunc(lo * s.h) <= y && y < std::max(1, Trunc(hi * s.h));
  return column || row;
}

// Two diagonal bands of half-width k * h crossing at the centre.
bool InX(const Shape& s, int x, int y, double k) {
  int band = Trunc(k * s.h);
  int first = y - x;
  if (-band <= first && first < std::max(1, band)) return true;
  int end = Trunc((1.0 + k) * s.h);
  if (end < 2) end = 1;
  int second = x + y;
  return Trunc(s.h - k * s.h) <= second && second < end;
}

bool InDiamond(const Shape& s, int x, int y) {
  int half = s.h / 2;
  int far = Trunc(1.5 * s.h);
  return half - x < y && y < far - x && x - half < y && y < x + half;
}

bool InMiddleBand(const Shape& s, int y) { return Trunc(0.3 * s.h) < y && y < Trunc(0.7 * s.h); }

// The value a cell of the given type receives, or false when the cell lies
// outside the type's region. row_sign is type 4's per-row sign.
bool CellValue(const Shape& s, int type, int x, int y, double row_sign, double& value) {
  switch (type) {
    case 0:
      value = Fall(s, CentreDistance(s, x, y), s.r0);
      return true;
    case 2: {
      double d = DiagonalDistance(x, y);
      if (!(d < s.r2)) return false;
      value = Fall(s, d, s.r2);
      return true;
    }
    case 3: {
      double d = AntiDiagonalDistance(s, x, y);
      if (!(d < s.r2)) return false;
      value = Fall(s, d, s.r2);
      return true;
    }
    case 4: {
      double d = CentreDistance(s, x, y);
      if (!(d < s.r)) return false;
      value = Fall(s, d, s.r) * row_sign;
      return true;
    }
    case 5:
      // The region was checked before the density draw.
      value = Fall(s, CentreDistance(s, x, y), s.r);
      return true;
    case 6: {
      double d = CentreDistance(s, x, y);
      if (!(d < s.r)) return false;
      value = Ring(s, d);
      return true;
    }
    case 7: {
      double d = CentreDistance(s, x, y);
      if (!(d > s.r)) return false;
      value = Ring(s, d);
      return true;
    }
    case 8:
    case 9: {
      bool in = type == 8 ? InCross(s, x, y, 0.4, 0.6) : InCross(s, x, y, 0.3, 0.7);
      if (!in) return false;
      value = Fall(s, ChessDistance(s, x, y), s.r);
      return true;
    }
    case 10:
    case 11: {
      if (!InX(s, x, y, type == 10 ? 0.1 : 0.3)) return false;
      value = Fall(s, ChessDistance(s, x, y), s.r);
      return true;
    }
    case 12:
      value = Fall(s, std::fabs(s.h * 0.5 - y), s.r);
      return true;
    case 13:
      if (!InMiddleBand(s, y)) return false;
      value = Fall(s, s.h * 0.5 - y, s.r);
      return true;
    case 14:
      // The centre column lies at h / 2, also on patterns that are not square.
      value = Fall(s, std::fabs(s.h * 0.5 - x), s.r);
      return true;
    case 15:
      if (!InMiddleBand(s, y)) return false;
      value = Fall(s, s.h * 0.5 - x, s.r);
      return true;
    case 16:
      if (!(y > s.h - 2 * x && y > 2 * x - s.h)) return false;
      break;
    case 17:
      if (!(y < s.h - 2 * x || y < 2 * x - s.h)) return false;
      break;
    case 18:
      if (!(y > s.h - x)) return false;
      break;
    case 19:
      if (!(x > y)) return false;
      break;
    case 20: {
      double t = x - s.w * 0.5;
      if (!(y > 0.2 * (t * t))) return false;
      break;
    }
    case 21: {
      double t = x - s.w * 0.5;
      if (!(y < s.h - 0.2 * (t * t))) return false;
      break;
    }
    default: {  // 1: the disc
      double d = CentreDistance(s, x, y);
      if (!(d < s.r)) return false;
      value = Fall(s, d, s.r);
      return true;
    }
  }
  // Types 16 to 21 share the fall-off across the main diagonal.
  value = Fall(s, DiagonalDistance(x, y), s.r);
  return true;
}

// Types 22 to 25 pick one of the plain types once per build.
int ResolveType(int type) {
  switch (type) {
    case 22: {
      static constexpr int kChoice[4] = {16, 17, 18, 19};
      return kChoice[Rand() % 4];
    }
    case 23:
      return Rand() % 2 == 1 ? 3 : 2;
    case 24: {
      static constexpr int kChoice[4] = {0, 1, 18, 11};
      return kChoice[Rand() % 4];
    }
    case 25:
      return Rand() % 3 == 1 ? 7 : 11;
    default:
      return type;
  }
}

int WrapInto(long long value, int size) {
  long long m = value % size;
  if (m < 0) m += size;
  return static_cast<int>(m);
}

uint8_t BlendByte(double l, int pen, int old) {
  double v = l * pen + (1.0 - l) * old;
  if (!(v > 0.0)) return 0;  // also catches NaN
  if (v >= 255.0) return 255;
  return static_cast<uint8_t>(v);  // truncates
}


// Sizes, radii and levels of one build, the radii rounded to floats as
// patterns have always been made.
Shape MakeShape(int w, int h, int strength, int edge) {
  Shape s;
  s.w = w;
  s.h = h;
  const int shorter = std::min(w, h);
  s.r = static_cast<float>(shorter * 0.5);
  s.r0 = static_cast<float>(std::sqrt(double(w) * w + double(h) * h) * 0.5);
  s.r2 = static_cast<float>(shorter / (2.0 * std::sqrt(2.0)));
  s.strength = strength;
  s.edge = edge;
  return s;
}

// The pattern cell by cell, one draw at a time, the fall-off computed for
// every cell that passes its draw.
void FillLiteral(FloatGrid& cells, const Shape& s, int plain, int density) {
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < s.h; ++y) {
      float* row = cells.Row(v * s.h + y);
      double row_sign = 1.0;
      if (plain == 4 && Rand() % 100 < 7) row_sign = -1.0;
      for (int x = 0; x < s.w; ++x) {
        // Every cell consumes one draw, except that the diamond only draws
        // for its own cells.
        if (plain == 5 && !InDiamond(s, x, y)) continue;
        if (!(Rand() % 100 < density)) continue;
        double value = 0.0;
        if (CellValue(s, plain, x, y, row_sign, value)) row[x] = static_cast<float>(value);
      }
    }
  }
}

// What one plain type of one size and level makes of every cell, whatever
// the draws: only the density draws differ from build to build, so a shape
// is computed once and the builds fill their cells from it.
struct CellShape {
  int32_t draws_per_variant = 0;  // one per cell (diamond: its cells only), plus one per row for type 4
  std::vector<float> value;       // w x h: the cell's value when it passes its draw (0 outside the region)
  std::vector<uint8_t> flags;     // w x h: kDraws | kInRegion
};
constexpr uint8_t kDraws = 1;     // the cell consumes a draw
constexpr uint8_t kInRegion = 2;  // the cell receives its value when the draw passes

using ShapeKey = std::tuple<int, int, int, int, int>;  // plain type, w, h, strength, edge

std::shared_ptr<const CellShape> ComputeShape(const Shape& s, int plain) {
  auto shape = std::make_shared<CellShape>();
  const size_t n = size_t(s.w) * size_t(s.h);
  shape->value.assign(n, 0.0f);
  shape->flags.assign(n, 0);
  int64_t draws = plain == 4 ? s.h : 0;
  for (int y = 0; y < s.h; ++y) {
    for (int x = 0; x < s.w; ++x) {
      const size_t i = size_t(y) * size_t(s.w) + size_t(x);
      if (plain == 5 && !InDiamond(s, x, y)) continue;
      ++draws;
      double value = 0.0;
      const bool in = CellValue(s, plain, x, y, 1.0, value);
      shape->flags[i] = uint8_t(kDraws | (in ? kInRegion : 0));
      if (in) shape->value[i] = static_cast<float>(value);
    }
  }
  shape->draws_per_variant = int32_t(std::min<int64_t>(draws, INT32_MAX));
  return shape;
}

// Shapes of patterns up to this many cells are kept; larger ones are computed
// for each build.
constexpr int64_t kMaxCachedCells = 64 * 64;
constexpr size_t kMaxCachedShapes = 256;

struct ShapeCache {
  std::mutex mutex;
  std::map<ShapeKey, std::shared_ptr<const CellShape>> shapes;
};

ShapeCache& Shapes() {
  static ShapeCache* cache = new ShapeCache();  // lives until exit
  return *cache;
}

std::atomic<bool> g_shapes_enabled{true};

std::shared_ptr<const CellShape> ShapeFor(const Shape& s, int plain) {
  if (int64_t(s.w) * s.h > kMaxCachedCells) return ComputeShape(s, plain);
  // A pen builds the same pattern at every dab.
  thread_local ShapeKey last_key{-1, 0, 0, 0, 0};
  thread_local std::shared_ptr<const CellShape> last_shape;
  const ShapeKey key{plain, s.w, s.h, int(s.strength), int(s.edge)};
  if (last_shape && key == last_key) return last_shape;
  ShapeCache& cache = Shapes();
  std::shared_ptr<const CellShape> shape;
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.shapes.find(key);
    if (it != cache.shapes.end()) shape = it->second;
  }
  if (!shape) {
    shape = ComputeShape(s, plain);
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.shapes.size() >= kMaxCachedShapes) cache.shapes.clear();
    cache.shapes.emplace(key, shape);
  }
  last_key = key;
  last_shape = shape;
  return shape;
}

// r % 100 for a draw r (0..32767) as a multiply and shift, so that the loop
// over the draws vectorizes.
constexpr uint32_t Mod100(uint32_t r) { return r - ((r * 5243u) >> 19) * 100u; }
constexpr bool Mod100HoldsForEveryDraw() {
  for (uint32_t r = 0; r <= 0x7FFF; ++r) {
    if (Mod100(r) != r % 100) return false;
  }
  return true;
}
static_assert(Mod100HoldsForEveryDraw());

// For each of `count` draws after `start`, in order: its state, and whether
// its value % 100 lies below limit. Eight interleaved sequences, each stepping
// eight draws at once, so that the multiplications do not wait for one
// another and the loops vectorize.
__attribute__((always_inline)) inline void DrawPassesBody(uint32_t start, int64_t count, uint32_t limit,
                                                         uint32_t* __restrict states, uint8_t* __restrict pass) {
  uint32_t lane[8];
  lane[0] = AdvanceState(start, 1);
  for (int l = 1; l < 8; ++l) lane[l] = lane[l - 1] * 214013u + 2531011u;
  const uint32_t add8 = AdvanceState(0, 8);
  const uint32_t mul8 = AdvanceState(1, 8) - add8;
  using U32x4 = uint32_t __attribute__((vector_size(16)));
  U32x4 low, high;
  std::memcpy(&low, lane, sizeof low);
  std::memcpy(&high, lane + 4, sizeof high);
  for (int64_t i = 0; i < count; i += 8) {
    std::memcpy(states + i, &low, sizeof low);
    std::memcpy(states + i + 4, &high, sizeof high);
    low = low * mul8 + add8;
    high = high * mul8 + add8;
  }
  for (int64_t i = 0; i < count; ++i) pass[i] = Mod100((states[i] >> 16) & 0x7FFFu) < limit;
}

void DrawPassesBaseline(uint32_t start, int64_t count, uint32_t limit, uint32_t* states, uint8_t* pass) {
  DrawPassesBody(start, count, limit, states, pass);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SYLVANE_BRUSH_VECTOR 1
// 128-bit registers, which also do on Windows (its stack is only 16-byte aligned).
__attribute__((target("sse4.2"))) void DrawPassesVector(uint32_t start, int64_t count, uint32_t limit,
                                                        uint32_t* states, uint8_t* pass) {
  DrawPassesBody(start, count, limit, states, pass);
}
bool ProcessorHasVector() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse4.2");
}
#endif

std::atomic<bool> g_vector_allowed{true};

bool UseVector() {
#ifdef SYLVANE_BRUSH_VECTOR
  static const bool has = ProcessorHasVector();
  return has && g_vector_allowed.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

// Room for eight states past the last: the lanes step eight at a time.
void DrawPasses(uint32_t start, int64_t count, uint32_t limit, std::vector<uint32_t>& states,
                std::vector<uint8_t>& pass) {
  states.resize(size_t(count) + 8);
  pass.resize(size_t(count) + 8);
#ifdef SYLVANE_BRUSH_VECTOR
  if (UseVector()) return DrawPassesVector(start, count, limit, states.data(), pass.data());
#endif
  DrawPassesBaseline(start, count, limit, states.data(), pass.data());
}

// The pattern from its shape, with the same draws in the same order as the
// cell-by-cell fill: all of them taken at once, each turned into "passes its
// density test" or not, and the cells filled from those.
void FillFromShape(FloatGrid& cells, const CellShape& shape, int w, int h, int plain, int density) {
  const int64_t total = int64_t(kBrushVariants) * shape.draws_per_variant;
  thread_local std::vector<uint32_t> states;
  thread_local std::vector<uint8_t> passes;
  // Type 4 tests its row draws against 7 below, every other draw against the density.
  const uint32_t limit = uint32_t(std::clamp(density, 0, 100));
  DrawPasses(TakeDraws(uint64_t(total)), total, limit, states, passes);
  const uint32_t* st = states.data();
  const uint8_t* pass = passes.data();
  const size_t n = size_t(w) * size_t(h);
  if (plain != 4 && plain != 5) {
    // Every cell draws once, in order.
    float* out = cells.cells.data();
    const float* value = shape.value.data();
    for (int v = 0; v < kBrushVariants; ++v, out += n, pass += n) {
      // A select on the bits, which vectorizes: the value, or +0 for a cell that fails.
      for (size_t i = 0; i < n; ++i) {
        out[i] = std::bit_cast<float>(std::bit_cast<uint32_t>(value[i]) & (0u - uint32_t(pass[i])));
      }
    }
    return;
  }
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < h; ++y) {
      float* row = cells.Row(v * h + y);
      const float* value = shape.value.data() + size_t(y) * size_t(w);
      const uint8_t* flags = shape.flags.data() + size_t(y) * size_t(w);
      bool negate = false;
      if (plain == 4) {
        negate = int((*st >> 16) & 0x7FFFu) % 100 < 7;
        ++st;
        ++pass;
      }
      for (int x = 0; x < w; ++x) {
        if (!(flags[x] & kDraws)) continue;
        const bool passed = *pass++;
        ++st;
        if (passed && (flags[x] & kInRegion)) row[x] = negate ? -value[x] : value[x];
      }
    }
  }
}

#ifdef __SSE2__
// BlendByte on a pixel's three bytes and its weight, two at a time in the
// same double operations: l * pen + (1 - l) * old, then 0 for anything not
// above 0 (NaN too), 255 from 255 on, else truncated.
inline void BlendCellPairs(float l, __m128d pen_bg, __m128d pen_r0, uint8_t* pixel, uint8_t* weight) {
  const __m128d ld = _mm_set1_pd(double(l));
  const __m128d rest = _mm_sub_pd(_mm_set1_pd(1.0), ld);
  const __m128d old_bg = _mm_setr_pd(double(pixel[0]), double(pixel[1]));
  const __m128d old_rw = _mm_setr_pd(double(pixel[2]), double(*weight));
  __m128d bg = _mm_add_pd(_mm_mul_pd(ld, pen_bg), _mm_mul_pd(rest, old_bg));
  __m128d rw = _mm_add_pd(_mm_mul_pd(ld, pen_r0), _mm_mul_pd(rest, old_rw));
  // maxpd returns its second operand when the first is NaN.
  const __m128d zero = _mm_setzero_pd();
  const __m128d top = _mm_set1_pd(255.0);
  bg = _mm_min_pd(_mm_max_pd(bg, zero), top);
  rw = _mm_min_pd(_mm_max_pd(rw, zero), top);
  const __m128i b = _mm_cvttpd_epi32(bg);
  const __m128i r = _mm_cvttpd_epi32(rw);
  pixel[0] = uint8_t(_mm_cvtsi128_si32(b));
  pixel[1] = uint8_t(_mm_cvtsi128_si32(_mm_srli_si128(b, 4)));
  pixel[2] = uint8_t(_mm_cvtsi128_si32(r));
  *weight = uint8_t(_mm_cvtsi128_si32(_mm_srli_si128(r, 4)));
}
#endif

}  // namespace

void SetBrushVectorCode(bool enabled) { g_vector_allowed.store(enabled, std::memory_order_relaxed); }

void SetBrushShapeCache(bool enabled) { g_shapes_enabled.store(enabled, std::memory_order_relaxed); }

void BrushPattern::Build(int new_type, int new_width, int new_height, int new_strength,
                         int new_edge, int new_density) {
  type = new_type;
  width = new_width;
  height = new_height;
  strength = new_strength;
  edge = new_edge;
  density = new_density;
  long long full_area = static_cast<long long>(new_width) * new_height;
  area = static_cast<int32_t>(std::clamp<long long>(full_area, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
  if (new_width == 1 && new_height == 1) type = 0;
  // Negative sizes whose product is positive are empty too.
  if (new_width <= 0 || new_height <= 0 || !IsGridSizeUsable(new_width, int64_t(kBrushVariants) * new_height)) {
    cells.Release();
    return;
  }
  // A pattern rebuilt at its own size keeps its storage.
  if (cells.columns == new_width && cells.rows == kBrushVariants * new_height && !cells.empty()) {
    std::fill(cells.cells.begin(), cells.cells.end(), 0.0f);
  } else {
    cells.Release();
    cells.AllocateFilled(new_width, kBrushVariants * new_height, 0.0f);
  }

  int plain = (type < 0 || type >= kBrushTypes) ? 1 : type;
  plain = ResolveType(plain);
  const Shape s = MakeShape(new_width, new_height, new_strength, new_edge);
  if (g_shapes_enabled.load(std::memory_order_relaxed)) {
    FillFromShape(cells, *ShapeFor(s, plain), new_width, new_height, plain, new_density);
  } else {
    FillLiteral(cells, s, plain, new_density);
  }
}

float BrushPattern::Value(int v, int x, int y) const {
  if (cells.empty() || v < 0 || v >= kBrushVariants || x < 0 || x >= width || y < 0 || y >= height)
    return 0.0f;
  return cells.At(x, v * height + y);
}

void BrushPattern::Release() { cells.Release(); }

void BlendBrushVariant(const BrushPattern& pattern, int v, int px, int py, int red, int green,
                       int blue, Surface& tree_layer, AlphaPlane& weight) {
  if (pattern.cells.empty() || v < 0 || v >= kBrushVariants) return;
  const int cw = tree_layer.width;
  const int ch = tree_layer.height;
  if (tree_layer.empty() || cw <= 0 || ch <= 0) return;
  if (weight.width != cw || weight.height != ch || weight.bytes.size() != size_t(cw) * size_t(ch))
    return;
  const int w = pattern.width;
  const int h = pattern.height;
  if (pattern.cells.columns != w || pattern.cells.rows < int64_t(kBrushVariants) * h) return;
  const int first_column = WrapInto(static_cast<long long>(px) - w / 2, cw);
#ifdef __SSE2__
  const bool vector = UseVector();
  const __m128d pen_bg = _mm_setr_pd(double(blue), double(green));
  const __m128d pen_r0 = _mm_setr_pd(double(red), 0.0);
#endif
  for (int y = 0; y < h; ++y) {
    // Rows and columns outside the canvas wrap to the other side, also when
    // the dab is larger than the canvas.
    const int row = WrapInto(static_cast<long long>(py) + y - h / 2, ch);
    uint8_t* weight_row = weight.BufferRow(ch - 1 - row);
    uint8_t* pixels = tree_layer.PixelAt(0, row);
    const float* cells = pattern.cells.Row(v * h + y);
    int column = first_column;
#ifdef __SSE2__
    if (vector) {
      for (int x = 0; x < w; ++x, column = column + 1 == cw ? 0 : column + 1) {
        if (cells[x] == 0.0f) continue;
        BlendCellPairs(cells[x], pen_bg, pen_r0, pixels + size_t(column) * 3, weight_row + column);
      }
      continue;
    }
#endif
    for (int x = 0; x < w; ++x, column = column + 1 == cw ? 0 : column + 1) {
      const float l = cells[x];
      if (l == 0.0f) continue;
      uint8_t* pixel = pixels + size_t(column) * 3;
      const double ld = l;
      pixel[0] = BlendByte(ld, blue, pixel[0]);
      pixel[1] = BlendByte(ld, green, pixel[1]);
      pixel[2] = BlendByte(ld, red, pixel[2]);
      weight_row[column] = BlendByte(ld, 0, weight_row[column]);
    }
  }
}

void StampBrush(BrushPattern& pattern, int px, int py, int red, int green, int blue,
                Surface& tree_layer, AlphaPlane& weight) {
  pattern.Build(pattern.type, pattern.width, pattern.height, pattern.strength, pattern.edge,
                pattern.density);
  int v = Rand() % kBrushVariants;
  BlendBrushVariant(pattern, v, px, py, red, green, blue, tree_layer, weight);
}

}  // namespace sylvane
