// Row kernels of the plain formula, the dimmed-trees-with-coloured-lights
// formula (and renderer 6's variant of it) and the plain-plus-one-channel
// formula, with the light rows they read. They are forced inline so that
// renderers_rows.cpp can compile them twice: for the baseline processor and
// for one with wider vector instructions. Every loop is plain integer
// arithmetic, so both forms give the same bytes.
//
// Every sum saturates at 255; layers that keep the tree-layer invariant never
// reach that limit in the steps that the formulas leave unclamped.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "paint/renderers.h"

#define SYLVANE_KERNEL __attribute__((always_inline)) inline

namespace sylvane::renderers::kernels {

// floor(p / 255) for 0 <= p <= 65534 without a division.
SYLVANE_KERNEL uint32_t Div255(uint32_t p) { return (p + 1 + (p >> 8)) >> 8; }

// floor(x / 255) for 0 <= x < 2^31: with x = 256 h + l, x / 255 = h + (h + l) / 255,
// and v / 255 = 257 v / 65535 for v below 2^24 - 2^16. Shifts and adds only,
// so that the loops vectorize.
SYLVANE_KERNEL uint32_t DivBy255(uint32_t x) {
  const uint32_t v = (x >> 8) + (x & 255u);
  const uint32_t z = v * 257u;
  return (x >> 8) + ((z + 1 + (z >> 16)) >> 16);
}

// floor(x / 65025) = floor(floor(x / 255) / 255) for 0 <= x < 2^31.
SYLVANE_KERNEL uint32_t DivBy65025(uint32_t x) { return DivBy255(DivBy255(x)); }

SYLVANE_KERNEL int32_t Min255(int32_t v) { return v > 255 ? 255 : v; }

// True when some pixel of the row carries tree paint (weight below 255).
SYLVANE_KERNEL bool AnyTreePaint(const uint8_t* __restrict m, int32_t width) {
  uint32_t all = 255;
  for (int32_t x = 0; x < width; ++x) all &= m[x];
  return all != 255;
}

// True when some byte of the row's tree colour is not 0.
SYLVANE_KERNEL bool AnyTreeColour(const uint8_t* __restrict t, int32_t width) {
  uint32_t any = 0;
  const int32_t n = width * 3;
  for (int32_t i = 0; i < n; ++i) any |= t[i];
  return any != 0;
}

// Spot values of light l along row yb: from the quarter table when the
// render built one for its table, else by the square-root walk.
SYLVANE_KERNEL void LightRow(const RenderPlan& plan, const Light& l, int32_t yb, int32_t* __restrict out) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t width = plan.width;
  if (q.values.empty()) {
    SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, width, out);
    return;
  }
  const uint16_t* __restrict p = q.Row(std::abs(yb - l.y));
  const int32_t split = l.x < 0 ? 0 : (l.x > width ? width : l.x);
  for (int32_t x = 0; x < split; ++x) out[x] = p[l.x - x];
  for (int32_t x = split; x < width; ++x) out[x] = p[x - l.x];
}

// Each weight three times, so that the channel loops run straight over the
// interleaved bytes.
SYLVANE_KERNEL void TripleWeights(const uint8_t* __restrict m, int32_t width, uint8_t* __restrict m3) {
  for (int32_t x = 0; x < width; ++x) {
    const uint8_t v = m[x];
    m3[3 * x] = v;
    m3[3 * x + 1] = v;
    m3[3 * x + 2] = v;
  }
}

// out = B * M / 255 + T per channel byte, with the weights already tripled.
SYLVANE_KERNEL void PlainBytes(const uint8_t* __restrict b, const uint8_t* __restrict t,
                               const uint8_t* __restrict m3, int32_t n, uint8_t* __restrict o) {
  for (int32_t i = 0; i < n; ++i) {
    const uint16_t p = uint16_t(b[i] * m3[i]);
    const uint16_t q = uint16_t((p + 1 + (p >> 8)) >> 8);
    const uint16_t v = uint16_t(q + t[i]);
    o[i] = uint8_t(v > 255 ? 255 : v);
  }
}

SYLVANE_KERNEL void Plain(const uint8_t* __restrict b, const uint8_t* __restrict t, const uint8_t* __restrict m,
                          int32_t width, RowScratch& s, uint8_t* __restrict o) {
  uint8_t* __restrict m3 = s.weight3.data();
  TripleWeights(m, width, m3);
  PlainBytes(b, t, m3, width * 3, o);
}

// out += floor(left * light * k / 65025), saturating: one light's colour
// channel weighted by how much tree paint covers the pixel.
SYLVANE_KERNEL void AddWeightedLight(int32_t* __restrict out, const int32_t* __restrict left,
                                     const int32_t* __restrict light, uint32_t k, int32_t width) {
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t add = DivBy65025(uint32_t(left[x]) * uint32_t(light[x]) * k);
    const int32_t v = out[x] + int32_t(add);
    out[x] = v > 255 ? 255 : v;
  }
}

// out += floor(light * k / 255), saturating, on every pixel (renderer 6).
SYLVANE_KERNEL void AddLight(int32_t* __restrict out, const int32_t* __restrict light, uint32_t k, int32_t width) {
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t add = DivBy255(uint32_t(light[x]) * k);
    const int32_t v = out[x] + int32_t(add);
    out[x] = v > 255 ? 255 : v;
  }
}

SYLVANE_KERNEL void DimLights(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                              const uint8_t* __restrict m, int32_t yb, RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = plan.width;
  int32_t* __restrict out0 = s.out[0].data();
  int32_t* __restrict out1 = s.out[1].data();
  int32_t* __restrict out2 = s.out[2].data();
  int32_t* __restrict left = s.weight_left.data();
  // First step: trunc(T * f) + trunc(B * M / 255) per channel; the dim
  // factors come from their tables (trunc of a double product).
  const uint8_t* __restrict dim0 = plan.dim[0];
  const uint8_t* __restrict dim1 = plan.dim[1];
  const uint8_t* __restrict dim2 = plan.dim[2];
  if (plan.dim_exact) {
    const uint32_t f0 = plan.dim_multiplier[0];
    const uint32_t f1 = plan.dim_multiplier[1];
    const uint32_t f2 = plan.dim_multiplier[2];
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t mm = m[x];
      left[x] = int32_t(255 - mm);
      out0[x] = int32_t(((t[3 * x] * f0) >> 16) + Div255(b[3 * x] * mm));
      out1[x] = int32_t(((t[3 * x + 1] * f1) >> 16) + Div255(b[3 * x + 1] * mm));
      out2[x] = int32_t(((t[3 * x + 2] * f2) >> 16) + Div255(b[3 * x + 2] * mm));
    }
  } else {
    for (int32_t x = 0; x < width; ++x) {
      out0[x] = dim0[t[3 * x]];
      out1[x] = dim1[t[3 * x + 1]];
      out2[x] = dim2[t[3 * x + 2]];
    }
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t mm = m[x];
      left[x] = int32_t(255 - mm);
      out0[x] += int32_t(Div255(b[3 * x] * mm));
      out1[x] += int32_t(Div255(b[3 * x + 1] * mm));
      out2[x] += int32_t(Div255(b[3 * x + 2] * mm));
    }
  }
  // The coloured lights: renderer 6 adds them everywhere; the others only
  // where tree paint lies, in proportion to it (a pixel of weight 255 gets 0,
  // so a row without paint can skip them).
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  if (plan.lights.empty() || (!everywhere && !AnyTreePaint(m, width))) {
    // No light reaches this row.
  } else if (everywhere) {
    int32_t* __restrict light = s.a.data();
    int32_t* outs[3] = {out0, out1, out2};
    for (const Light& l : plan.lights) {
      LightRow(plan, l, yb, light);
      for (int c = 0; c < 3; ++c) {
        if (l.colour[c] != 0) AddLight(outs[c], light, uint32_t(l.colour[c]), width);
      }
    }
  } else {
    // Lights reach painted pixels only: blocks of bare pixels are skipped.
    constexpr int32_t kBlock = 64;
    int32_t painted_blocks = 0;
    int32_t* __restrict blocks = s.d.data();  // starts of blocks holding paint
    for (int32_t x0 = 0; x0 < width; x0 += kBlock) {
      const int32_t n = width - x0 < kBlock ? width - x0 : kBlock;
      if (AnyTreePaint(m + x0, n)) blocks[painted_blocks++] = x0;
    }
    int32_t* __restrict light = s.a.data();
    int32_t* outs[3] = {out0, out1, out2};
    for (const Light& l : plan.lights) {
      LightRow(plan, l, yb, light);
      for (int c = 0; c < 3; ++c) {
        if (l.colour[c] == 0) continue;
        for (int32_t i = 0; i < painted_blocks; ++i) {
          const int32_t x0 = blocks[i];
          const int32_t n = width - x0 < kBlock ? width - x0 : kBlock;
          AddWeightedLight(outs[c] + x0, left + x0, light + x0, uint32_t(l.colour[c]), n);
        }
      }
    }
  }
  for (int32_t x = 0; x < width; ++x) {
    o[3 * x] = uint8_t(Min255(out0[x]));
    o[3 * x + 1] = uint8_t(Min255(out1[x]));
    o[3 * x + 2] = uint8_t(Min255(out2[x]));
  }
}

SYLVANE_KERNEL void PlainChannel(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                                 const uint8_t* __restrict m, int32_t yb, RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = plan.width;
  Plain(b, t, m, width, s, o);
  if (plan.lights.empty() || !AnyTreePaint(m, width)) return;
  int32_t* __restrict light = s.a.data();
  LightRow(plan, plan.lights[0], yb, light);
  uint8_t* __restrict channel = o + plan.channel;
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t left = 255u - m[x];
    const uint32_t v = channel[3 * x] + DivBy255(left * uint32_t(light[x]));
    channel[3 * x] = uint8_t(v > 255 ? 255 : v);
  }
}

}  // namespace sylvane::renderers::kernels
