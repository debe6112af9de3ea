#include "canvas/image/luma_hue.h"

#include <cmath>

namespace sylvane {
namespace {

// Polynomial sine and cosine for angles up to about 2.63 radians; single
// precision, as the colour drift has always been computed, so that the same
// tree tints the same way.
constexpr float kSeriesLimit = 2.628992f;

float SeriesCos(float x) {
  float x2 = x * x;
  return 1.0f - x2 * (0.5f - x2 * (0.041666668f - x2 * (0.001388889f - 0.000024802f * x2)));
}

float SeriesSin(float x) {
  float x2 = x * x;
  return x - x * x2 * (0.16666667f - x2 * (0.008333333f - x2 * (0.000198412f - 0.000002755f * x2)));
}

// Truncates towards zero, then clamps to 0..255; checked in floating point so
// that an absurd chroma (or a NaN hue) cannot overflow the conversion.
int TruncToByte(double v) {
  if (!(v > -1.0)) return 0;  // also NaN
  if (v >= 256.0) return 255;
  int t = int(v);
  return t < 0 ? 0 : t;
}

}  // namespace

LumaHue LumaHueForward(int red, int green, int blue) {
  const float a = float(red), b = float(green), c = float(blue);
  LumaHue out;
  // Single precision keeps every grey exact (a double sum turns grey 31 into luma 30).
  out.luma = int(0.1f * c + 0.3f * a + 0.6f * b);
  const float u = a - float(out.luma);
  const float v = c - float(out.luma);
  float hue = float(std::atan2(double(u), double(v)) * 40.5845 + 127.5);
  while (hue < 0.0f) hue += 255.0f;
  while (hue > 255.0f) hue -= 255.0f;
  out.hue = hue;
  out.chroma = float(std::sqrt(double(u) * double(u) + double(v) * double(v)));
  return out;
}

void LumaHueInverse(int luma, float hue, float chroma, int& red, int& green, int& blue) {
  const float angle = (hue - 127.5f) * 0.02464f;
  float s, k;
  if (std::fabs(angle) <= kSeriesLimit) {
    s = SeriesSin(angle);
    k = SeriesCos(angle);
  } else {
    s = float(std::sin(double(angle)));
    k = float(std::cos(double(angle)));
  }
  const float y = float(luma);
  red = TruncToByte(double(y + chroma * s));
  blue = TruncToByte(double(y + chroma * k));
  green = TruncToByte(double(y) - 0.5 * double(chroma) * double(s) - 0.1667 * double(chroma) * double(k));
}

}  // namespace sylvane
