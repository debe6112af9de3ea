#include "trees/draw_part.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/random.h"
#include "canvas/image/luma_hue.h"
#include "canvas/image/resample.h"
#include "trees/part_data.h"
#include "trees/portable_math.h"

namespace sylvane {
namespace {

constexpr double kDegreesToRadians = 0.01745328;

// A sprite packed tightly: three bytes (blue, green, red) per pixel, rows from
// the bottom, plus one alpha byte per pixel.
struct Packed {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgr;
  std::vector<uint8_t> alpha;

  void Create(int w, int h, uint8_t blue, uint8_t green, uint8_t red) {
    width = w;
    height = h;
    bgr.assign(size_t(w) * size_t(h) * 3, 0);
    alpha.assign(size_t(w) * size_t(h), 0);
    for (size_t p = 0; p < alpha.size(); ++p) {
      bgr[p * 3] = blue;
      bgr[p * 3 + 1] = green;
      bgr[p * 3 + 2] = red;
    }
  }
  size_t Index(int col, int row) const { return size_t(row) * size_t(width) + size_t(col); }
};

// Brings v into 0..size-1 on a canvas that wraps.
int Wrap(int64_t v, int size) {
  int64_t r = v % size;
  if (r < 0) r += size;
  return static_cast<int>(r);
}

int NormalizeDegrees(int64_t d) {
  int64_t r = d % 360;
  if (r < 0) r += 360;
  return static_cast<int>(r);
}

// offset +- (rand() % range) when the range is at least 1: the magnitude is
// drawn first, then the sign (odd: negative).
int64_t ColourShift(int32_t offset, int32_t range) {
  if (range < 1) return offset;
  const int64_t magnitude = Rand() % range;
  return (Rand() & 1) ? int64_t(offset) - magnitude : int64_t(offset) + magnitude;
}

// Adds or subtracts 255 until the hue lies in 0..255 (255 itself stays); a
// far-off value is first brought near the range in one step.
float WrapHue(float hue) {
  if (hue > 65025.0f) hue = std::fmod(hue, 255.0f) + 255.0f;
  if (hue < -65025.0f) hue = std::fmod(hue, 255.0f) - 255.0f;
  while (hue < 0.0f) hue += 255.0f;
  while (hue > 255.0f) hue -= 255.0f;
  return hue;
}

bool SurfaceUsable(const Surface& s) {
  return s.width > 0 && s.height > 0 && s.stride >= s.width * 3 &&
         s.pixels.size() >= size_t(s.height) * size_t(s.stride);
}

// The shrunk sprite: w2 x h2 surface and plane (a missing plane counts as opaque).
bool ShrinkSprite(const PartImage& part, int w2, int h2, Surface& out, AlphaPlane& out_alpha) {
  if (!SurfaceUsable(part.surface)) return false;
  if (SmoothShrink(part.surface, out, w2, h2) != 0) return false;
  const int w = part.surface.width, h = part.surface.height;
  if (part.alpha.width == w && part.alpha.height == h && part.alpha.bytes.size() >= size_t(w) * size_t(h)) {
    if (SmoothShrinkPlane(part.alpha, w, h, out_alpha, w2, h2) != 0) return false;
  } else {
    out_alpha.CreateFilled(w2, h2, 255);
  }
  return out_alpha.bytes.size() >= size_t(w2) * size_t(h2);
}

// Truncates toward zero like a cast, within +-2^40 (far beyond any canvas,
// so wrapping still works and no conversion overflows).
int64_t ClampedInt64(double v) {
  constexpr double kLimit = 1099511627776.0;
  return static_cast<int64_t>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

int DrawPart(Surface& tree_layer, AlphaPlane& weight, const PartImage& part, int x, int y, int part_angle,
             int heading) {
  const auto& prm = part.params;
  // 1. Shrink to 71..100 % in each direction.
  const double fx = 1.0 - (Rand() % 30) * 0.01;
  const double fy = 1.0 - (Rand() % 30) * 0.01;
  const int w = std::max(part.surface.width, 0);
  const int h = std::max(part.surface.height, 0);
  const int w2 = std::max(1, static_cast<int>(w * fx));
  const int h2 = std::max(1, static_cast<int>(h * fy));
  // The root comes from a tree file and may lie anywhere in the int32 range:
  // the pivot arithmetic runs in 64 bits, and the rotated pivot is clamped
  // before it becomes an integer, so such a root only moves the sprite.
  int64_t rx = static_cast<int64_t>(prm[kParamRootX] * fx);
  const int64_t ry = static_cast<int64_t>(prm[kParamRootY] * fy);
  Surface shrunk;
  AlphaPlane shrunk_alpha;
  const bool drawable = ShrinkSprite(part, w2, h2, shrunk, shrunk_alpha);

  // 2. Jitter the part angle by up to 14 degrees either way.
  const int sign = (Rand() & 1) ? 1 : -1;
  int64_t d = int64_t(part_angle) + sign * (Rand() % 15);

  // 3. Negative angles draw the sprite mirrored left-right.
  const bool mirror = d < 0;
  if (mirror) rx = w2 - rx;

  // 4. Rotation about the pivot (rows counted from the bottom from here on).
  d = NormalizeDegrees(d + heading - 90);
  const double theta = static_cast<double>(d) * kDegreesToRadians;
  const double sn = portable::Sin(theta);
  const double cs = portable::Cos(theta);
  const int64_t pivot_row = h2 - ry - 1;
  const int64_t px = ClampedInt64(cs * double(rx) - sn * double(pivot_row));
  const int64_t py = ClampedInt64(cs * double(pivot_row) + sn * double(rx));

  // 5. Bounds of the rotated corners (no + 1: the far column and row are cut).
  int umin = 0, umax = 0, vmin = 0, vmax = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const int c = (corner & 1) ? w2 - 1 : 0;
    const int r = (corner & 2) ? h2 - 1 : 0;
    const int u = static_cast<int>(cs * c - sn * r);
    const int v = static_cast<int>(sn * c + cs * r);
    if (corner == 0) {
      umin = umax = u;
      vmin = vmax = v;
    } else {
      umin = std::min(umin, u);
      umax = std::max(umax, u);
      vmin = std::min(vmin, v);
      vmax = std::max(vmax, v);
    }
  }
  const int U = umax - umin;
  const int V = vmax - vmin;

  Packed rotated;
  if (drawable) {
    Packed src;
    src.width = w2;
    src.height = h2;
    src.bgr.resize(size_t(w2) * size_t(h2) * 3);
    src.alpha.resize(size_t(w2) * size_t(h2));
    for (int row = 0; row < h2; ++row) {
      const uint8_t* in = shrunk.BufferRow(row);
      const uint8_t* in_alpha = shrunk_alpha.BufferRow(row);
      for (int col = 0; col < w2; ++col) {
        const int from = mirror ? w2 - 1 - col : col;
        const size_t to = src.Index(col, row);
        src.bgr[to * 3] = in[from * 3];
        src.bgr[to * 3 + 1] = in[from * 3 + 1];
        src.bgr[to * 3 + 2] = in[from * 3 + 2];
        src.alpha[to] = in_alpha[from];
      }
    }

    rotated.Create(U, V, uint8_t(prm[kParamBackBlue]), uint8_t(prm[kParamBackGreen]),
                   uint8_t(prm[kParamBackRed]));
    // 6. Inverse mapping with bilinear sampling that ignores the colour of
    // transparent neighbours (they lend the mean colour of the opaque ones).
    for (int i = 0; i < V; ++i) {
      const int a = i + vmin;
      for (int j = 0; j < U; ++j) {
        const int b = j + umin;
        const double sx = sn * a + cs * b;
        const double sy = cs * a - sn * b;
        if (!(sx >= 0.0 && sx < w2 && sy >= 0.0 && sy < h2)) continue;
        const int l = static_cast<int>(sx);
        const int k = static_cast<int>(sy);
        const double tx = sx - l;
        const double ty = sy - k;
        const int l1 = std::min(l + 1, w2 - 1);
        const int k1 = std::min(k + 1, h2 - 1);
        const size_t cell[4] = {src.Index(l, k), src.Index(l1, k), src.Index(l, k1), src.Index(l1, k1)};
        const double wt[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
        int opaque = 0;
        int mean[3] = {0, 0, 0};
        for (size_t n : cell) {
          if (src.alpha[n] == 0) continue;
          ++opaque;
          for (int ch = 0; ch < 3; ++ch) mean[ch] += src.bgr[n * 3 + size_t(ch)];
        }
        if (opaque == 0) continue;
        for (int& m : mean) m /= opaque;  // integer mean
        double sum[3] = {0, 0, 0};
        double alpha_sum = 0;
        for (int q = 0; q < 4; ++q) {
          const size_t n = cell[q];
          if (src.alpha[n] != 0) {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += wt[q] * src.bgr[n * 3 + size_t(ch)];
            alpha_sum += wt[q] * src.alpha[n];
          } else {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += wt[q] * mean[ch];
          }
        }
        const size_t to = rotated.Index(j, i);
        for (int ch = 0; ch < 3; ++ch) rotated.bgr[to * 3 + size_t(ch)] = static_cast<uint8_t>(sum[ch]);
        rotated.alpha[to] = static_cast<uint8_t>(alpha_sum);
      }
    }
  }

  // 7. This draw's colour variation: luma, then hue, then chroma.
  const int64_t luma_shift = ColourShift(prm[kParamLumaOffset], prm[kParamLumaRange]);
  const int64_t hue_shift = ColourShift(prm[kParamHueOffset], prm[kParamHueRange]);
  const int64_t chroma_shift = ColourShift(prm[kParamChromaOffset], prm[kParamChromaRange]);

  const int W = tree_layer.width, H = tree_layer.height;
  if (!drawable || U <= 0 || V <= 0 || !SurfaceUsable(tree_layer) || weight.width != W ||
      weight.height != H || weight.bytes.size() < size_t(W) * size_t(H)) {
    return 0;
  }

  // 8. Tint and blend.
  for (int i = 0; i < V; ++i) {
    const int Y = Wrap(int64_t(y) - (int64_t(vmin) + i - py), H);
    uint8_t* row = tree_layer.PixelAt(0, Y);
    uint8_t* weight_row = weight.BufferRow(H - 1 - Y);
    for (int j = 0; j < U; ++j) {
      const size_t from = rotated.Index(j, i);
      const int alpha = rotated.alpha[from];
      if (alpha == 0) continue;
      LumaHue c = LumaHueForward(rotated.bgr[from * 3 + 2], rotated.bgr[from * 3 + 1], rotated.bgr[from * 3]);
      c.luma = static_cast<int>(std::clamp<int64_t>(c.luma + luma_shift, 0, 255));
      c.hue = WrapHue(c.hue + static_cast<float>(hue_shift));
      c.chroma = std::clamp(c.chroma + static_cast<float>(chroma_shift), 0.0f, 255.0f);
      int red = 0, green = 0, blue = 0;
      LumaHueInverse(c, red, green, blue);
      const int X = Wrap(int64_t(x) + (int64_t(umin) + j - px), W);
      uint8_t* t = row + size_t(X) * 3;
      const int rest = 255 - alpha;
      t[0] = static_cast<uint8_t>((alpha * blue + t[0] * rest) / 255);
      t[1] = static_cast<uint8_t>((alpha * green + t[1] * rest) / 255);
      t[2] = static_cast<uint8_t>((alpha * red + t[2] * rest) / 255);
      weight_row[X] = static_cast<uint8_t>(rest * weight_row[X] / 255);
    }
  }
  return 0;
}

}  // namespace sylvane
