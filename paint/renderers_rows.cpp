// Row fillers of the plain formula, the dimmed-trees-with-coloured-lights
// formula (and renderer 6's variant of it) and the plain-plus-one-channel
// formula. Every sum saturates at 255; layers that keep the tree-layer
// invariant never reach that limit in the steps that the formulas leave
// unclamped.
#include <algorithm>

#include "paint/renderers.h"

namespace sylvane::renderers {
namespace {

inline int32_t Min255(int32_t v) { return v > 255 ? 255 : v; }

// True when some pixel of the row carries tree paint (weight below 255).
bool AnyTreePaint(const uint8_t* m, int32_t width) {
  for (int32_t x = 0; x < width; ++x) {
    if (m[x] != 255) return true;
  }
  return false;
}

// out += floor(left * light * k / 65025), saturating: one light's colour
// channel weighted by how much tree paint covers the pixel.
void AddWeightedLight(int32_t* out, const int32_t* left, const int32_t* light, int32_t k,
                      int32_t width) {
  const uint32_t kk = uint32_t(k);
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t add = uint32_t(left[x]) * uint32_t(light[x]) * kk / 65025u;
    out[x] = Min255(out[x] + int32_t(add));
  }
}

// out += floor(light * k / 255), saturating, on every pixel (renderer 6).
void AddLight(int32_t* out, const int32_t* light, int32_t k, int32_t width) {
  const uint32_t kk = uint32_t(k);
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t add = uint32_t(light[x]) * kk / 255u;
    out[x] = Min255(out[x] + int32_t(add));
  }
}

}  // namespace

void PlainRow(const uint8_t* b, const uint8_t* t, const uint8_t* m, int32_t width, uint8_t* o) {
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t mm = m[x];
    const size_t i = size_t(x) * 3;
    const uint32_t v0 = uint32_t(b[i]) * mm / 255u + t[i];
    const uint32_t v1 = uint32_t(b[i + 1]) * mm / 255u + t[i + 1];
    const uint32_t v2 = uint32_t(b[i + 2]) * mm / 255u + t[i + 2];
    o[i] = uint8_t(v0 > 255 ? 255 : v0);
    o[i + 1] = uint8_t(v1 > 255 ? 255 : v1);
    o[i + 2] = uint8_t(v2 > 255 ? 255 : v2);
  }
}

void DimLightsRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                  int32_t yb, RowScratch& s, uint8_t* o) {
  const int32_t width = plan.width;
  int32_t* out[3] = {s.out[0].data(), s.out[1].data(), s.out[2].data()};
  int32_t* left = s.weight_left.data();
  // First step: trunc(T * f) + trunc(B * M / 255) per channel.
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t mm = m[x];
    const size_t i = size_t(x) * 3;
    left[x] = int32_t(255 - mm);
    out[0][x] = plan.dim[0][t[i]] + int32_t(uint32_t(b[i]) * mm / 255u);
    out[1][x] = plan.dim[1][t[i + 1]] + int32_t(uint32_t(b[i + 1]) * mm / 255u);
    out[2][x] = plan.dim[2][t[i + 2]] + int32_t(uint32_t(b[i + 2]) * mm / 255u);
  }
  // The coloured lights: renderer 6 adds them everywhere; the others only
  // where tree paint lies, in proportion to it (a pixel of weight 255 gets 0,
  // so a row without paint can skip them).
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  if (!plan.lights.empty() && (everywhere || AnyTreePaint(m, width))) {
    int32_t* light = s.a.data();
    for (const Light& l : plan.lights) {
      SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, width, light);
      for (int c = 0; c < 3; ++c) {
        if (l.colour[c] == 0) continue;
        if (everywhere) {
          AddLight(out[c], light, l.colour[c], width);
        } else {
          AddWeightedLight(out[c], left, light, l.colour[c], width);
        }
      }
    }
  }
  for (int32_t x = 0; x < width; ++x) {
    const size_t i = size_t(x) * 3;
    o[i] = uint8_t(Min255(out[0][x]));
    o[i + 1] = uint8_t(Min255(out[1][x]));
    o[i + 2] = uint8_t(Min255(out[2][x]));
  }
}

void PlainChannelRow(const RenderPlan& plan, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                     int32_t yb, RowScratch& s, uint8_t* o) {
  const int32_t width = plan.width;
  PlainRow(b, t, m, width, o);
  if (plan.lights.empty() || !AnyTreePaint(m, width)) return;
  const Light& l = plan.lights[0];
  int32_t* light = s.a.data();
  SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, width, light);
  const int c = plan.channel;
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t left = 255u - m[x];
    const size_t i = size_t(x) * 3 + size_t(c);
    const uint32_t v = o[i] + left * uint32_t(light[x]) / 255u;
    o[i] = uint8_t(v > 255 ? 255 : v);
  }
}

}  // namespace sylvane::renderers
