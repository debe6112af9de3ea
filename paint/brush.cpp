#include "paint/brush.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

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

}  // namespace

void BrushPattern::Build(int new_type, int new_width, int new_height, int new_strength,
                         int new_edge, int new_density) {
  cells.Release();
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
  if (new_width <= 0 || new_height <= 0) return;
  if (!IsGridSizeUsable(new_width, int64_t(kBrushVariants) * new_height)) return;
  cells.AllocateFilled(new_width, kBrushVariants * new_height, 0.0f);

  int plain = (type < 0 || type >= kBrushTypes) ? 1 : type;
  plain = ResolveType(plain);

  Shape s;
  s.w = new_width;
  s.h = new_height;
  int shorter = std::min(new_width, new_height);
  s.r = static_cast<float>(shorter * 0.5);
  s.r0 = static_cast<float>(std::sqrt(double(new_width) * new_width + double(new_height) * new_height) * 0.5);
  s.r2 = static_cast<float>(shorter / (2.0 * std::sqrt(2.0)));
  s.strength = new_strength;
  s.edge = new_edge;

  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < new_height; ++y) {
      float* row = cells.Row(v * new_height + y);
      double row_sign = 1.0;
      if (plain == 4 && Rand() % 100 < 7) row_sign = -1.0;
      for (int x = 0; x < new_width; ++x) {
        // Every cell consumes one draw, except that the diamond only draws
        // for its own cells.
        if (plain == 5 && !InDiamond(s, x, y)) continue;
        if (!(Rand() % 100 < new_density)) continue;
        double value = 0.0;
        if (CellValue(s, plain, x, y, row_sign, value)) row[x] = static_cast<float>(value);
      }
    }
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
  for (int y = 0; y < h; ++y) {
    // Rows and columns outside the canvas wrap to the other side, also when
    // the dab is larger than the canvas.
    int row = WrapInto(static_cast<long long>(py) + y - h / 2, ch);
    uint8_t* weight_row = weight.BufferRow(ch - 1 - row);
    for (int x = 0; x < w; ++x) {
      float l = pattern.Value(v, x, y);
      if (l == 0.0f) continue;
      int column = WrapInto(static_cast<long long>(px) + x - w / 2, cw);
      uint8_t* pixel = tree_layer.PixelAt(column, row);
      double ld = l;
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
