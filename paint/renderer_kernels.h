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
#include <cstring>

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

// floor(v / 255) for any 16-bit v: a multiply-high and a shift, so that the
// loops run on 16-bit lanes.
SYLVANE_KERNEL uint16_t Div255x16(uint16_t v) { return uint16_t(uint16_t((uint32_t(v) * 0x8081u) >> 16) >> 7); }

// floor(u * k / 65025) for u < 2^16 and k < 256 in 16-bit steps: with
// u * k = 65536 hi + lo and 65536 = 257 * 255 + 1, floor(u * k / 255) =
// 257 hi + floor((hi + lo) / 255), and lo = 255 a + r leaves hi + r < 510.
SYLVANE_KERNEL uint16_t ScaleBy65025x16(uint16_t u, uint16_t k) {
  const uint32_t x = uint32_t(u) * k;
  const uint16_t hi = uint16_t(x >> 16);
  const uint16_t lo = uint16_t(x);
  const uint16_t a = Div255x16(lo);
  const uint16_t r = uint16_t(lo - a * 255);
  const uint16_t carry = uint16_t(hi + r) >= 255 ? 1 : 0;
  return Div255x16(uint16_t(hi * 257 + a + carry));
}

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

// A row of a byte table (dx >= 0) widened for columns 0..width-1 of a light
// at column light_x: mirrored left of the light.
template <typename Out>
SYLVANE_KERNEL void NarrowRow(const uint8_t* __restrict p, int32_t light_x, int32_t width, Out* __restrict out) {
  const int32_t split = light_x < 0 ? 0 : (light_x > width ? width : light_x);
  for (int32_t x = 0; x < split; ++x) out[x] = p[light_x - x];
  for (int32_t x = split; x < width; ++x) out[x] = p[x - light_x];
}

// Spot values of light l along row yb: from the quarter table when the
// render built one for its table, else by the square-root walk.
SYLVANE_KERNEL void LightRow(const RenderPlan& plan, const Light& l, int32_t yb, int32_t* __restrict out) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t width = plan.width;
  if (!q.built()) {
    SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, width, out);
    return;
  }
  const int32_t dy = std::abs(yb - l.y);
  if (q.narrow) {
    NarrowRow(q.Row8(dy), l.x, width, out);
  } else {
    const uint16_t* __restrict p = q.Row16(dy) - l.x;
    for (int32_t x = 0; x < width; ++x) out[x] = p[x];
  }
}

// Spot values of light l along row yb as 16-bit values (a spot value never
// exceeds its strength): straight from a quarter table of 16-bit values,
// else widened from one of bytes or computed, into out.
SYLVANE_KERNEL const uint16_t* LightRow16(const RenderPlan& plan, const Light& l, int32_t yb,
                                          int32_t* __restrict wide, uint16_t* __restrict out) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t width = plan.width;
  if (!q.built()) {
    SpotRow(plan.tables[size_t(l.table)], l.x, l.y, yb, width, wide);
    for (int32_t x = 0; x < width; ++x) out[x] = uint16_t(wide[x]);
    return out;
  }
  const int32_t dy = std::abs(yb - l.y);
  if (q.narrow) {
    NarrowRow(q.Row8(dy), l.x, width, out);
    return out;
  }
  return q.Row16(dy) - l.x;
}

// trunc(T * f) as the plan's multiply and shift, less one at its exceptions.
SYLVANE_KERNEL uint32_t DimOf(uint32_t t, uint32_t multiplier, const uint32_t* __restrict exceptions) {
  const uint32_t off = uint32_t(t == exceptions[0]) + uint32_t(t == exceptions[1]) + uint32_t(t == exceptions[2]) +
                       uint32_t(t == exceptions[3]);
  return ((t * multiplier) >> 16) - off;
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

// The lights' shares of F2 and renderer 6 on 16-bit lanes, added to the three
// per-channel sums acc0..acc2, for plans whose spot values times 255 fit 16
// bits. Sums stay below 2^16 (at most 510 + 255 per light), and since every
// share is at least 0, clamping the sum once equals clamping after every light.
SYLVANE_KERNEL void NarrowLightShares(const RenderPlan& plan, const uint8_t* __restrict m, int32_t yb, RowScratch& s,
                                      uint16_t* __restrict acc0, uint16_t* __restrict acc1,
                                      uint16_t* __restrict acc2) {
  const int32_t width = plan.width;
  uint16_t* __restrict left = s.left16.data();
  for (int32_t x = 0; x < width; ++x) left[x] = uint16_t(255 - m[x]);
  uint16_t* accs[3] = {acc0, acc1, acc2};
  uint16_t* __restrict light = s.light16.data();
  uint16_t* __restrict u = s.weighted16.data();
  uint16_t* __restrict share = s.term16.data();
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  if (plan.lights.empty() || (!everywhere && !AnyTreePaint(m, width))) {
    // No light reaches this row.
  } else if (everywhere) {
    // Renderer 6: floor(L * k / 255) on every pixel; L itself when k = 255.
    for (const Light& l : plan.lights) {
      const uint16_t* __restrict lr = LightRow16(plan, l, yb, s.a.data(), light);
      for (int c = 0; c < 3; ++c) {
        const uint16_t k = uint16_t(l.colour[c]);
        uint16_t* __restrict acc = accs[c];
        if (k == 0) continue;
        if (k == 255) {
          for (int32_t x = 0; x < width; ++x) acc[x] = uint16_t(acc[x] + lr[x]);
        } else {
          for (int32_t x = 0; x < width; ++x) acc[x] = uint16_t(acc[x] + Div255x16(uint16_t(lr[x] * k)));
        }
      }
    }
  } else {
    // floor((255 - M) * L * k / 65025) where tree paint lies: blocks of bare
    // pixels are skipped. With u = (255 - M) * L the share is floor(u / 255)
    // for k = 255, the same for every such channel.
    // Spans of neighbouring painted blocks: [starts[i], ends[i]).
    constexpr int32_t kBlock = 64;
    int32_t spans = 0;
    int32_t* __restrict starts = s.d.data();
    int32_t* __restrict ends = s.c.data();
    for (int32_t x0 = 0; x0 < width; x0 += kBlock) {
      const int32_t n = width - x0 < kBlock ? width - x0 : kBlock;
      if (!AnyTreePaint(m + x0, n)) continue;
      if (spans > 0 && ends[spans - 1] == x0) {
        ends[spans - 1] = x0 + n;
      } else {
        starts[spans] = x0;
        ends[spans++] = x0 + n;
      }
    }
    for (const Light& l : plan.lights) {
      const uint16_t* __restrict lr = LightRow16(plan, l, yb, s.a.data(), light);
      const bool full = l.colour[0] == 255 || l.colour[1] == 255 || l.colour[2] == 255;
      for (int32_t i = 0; i < spans; ++i) {
        const int32_t x0 = starts[i];
        const int32_t n = ends[i] - x0;
        uint16_t* __restrict ub = u + x0;
        const uint16_t* __restrict lb = lr + x0;
        const uint16_t* __restrict wb = left + x0;
        for (int32_t x = 0; x < n; ++x) ub[x] = uint16_t(wb[x] * lb[x]);
        uint16_t* __restrict sb = share + x0;
        if (full) {
          for (int32_t x = 0; x < n; ++x) sb[x] = Div255x16(ub[x]);
        }
        for (int c = 0; c < 3; ++c) {
          const uint16_t k = uint16_t(l.colour[c]);
          uint16_t* __restrict acc = accs[c] + x0;
          if (k == 0) continue;
          if (k == 255) {
            for (int32_t x = 0; x < n; ++x) acc[x] = uint16_t(acc[x] + sb[x]);
          } else {
            for (int32_t x = 0; x < n; ++x) acc[x] = uint16_t(acc[x] + ScaleBy65025x16(ub[x], k));
          }
        }
      }
    }
  }
}

// DimLights in 16-bit lanes (plans with narrow_lights), the dimmed tree colour
// and the weighted background channel by channel.
SYLVANE_KERNEL void DimLightsNarrow(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                                    const uint8_t* __restrict m, int32_t yb, RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = plan.width;
  uint16_t* __restrict acc0 = s.acc16[0].data();
  uint16_t* __restrict acc1 = s.acc16[1].data();
  uint16_t* __restrict acc2 = s.acc16[2].data();
  uint16_t* base[3] = {acc0, acc1, acc2};
  // The channels apart once, so that the loops below read them in a row.
  {
    uint8_t* __restrict t0 = s.planes[0].data();
    uint8_t* __restrict t1 = s.planes[1].data();
    uint8_t* __restrict t2 = s.planes[2].data();
    uint8_t* __restrict b0 = s.planes[3].data();
    uint8_t* __restrict b1 = s.planes[4].data();
    uint8_t* __restrict b2 = s.planes[5].data();
    for (int32_t x = 0; x < width; ++x) {
      t0[x] = t[3 * x];
      t1[x] = t[3 * x + 1];
      t2[x] = t[3 * x + 2];
    }
    for (int32_t x = 0; x < width; ++x) {
      b0[x] = b[3 * x];
      b1[x] = b[3 * x + 1];
      b2[x] = b[3 * x + 2];
    }
  }
  if (plan.dim_exact) {
    // One channel at a time, so that few constants are live in the loop.
    for (int c = 0; c < 3; ++c) {
      const uint16_t low = uint16_t(plan.dim_multiplier[c] & 0xFFFFu);   // T * f >> 16 =
      const uint16_t high = uint16_t(plan.dim_multiplier[c] >> 16);      // T * high + (T * low >> 16)
      const uint16_t e0 = uint16_t(plan.dim_exceptions[c][0]);
      const uint16_t e1 = uint16_t(plan.dim_exceptions[c][1]);
      const uint16_t e2 = uint16_t(plan.dim_exceptions[c][2]);
      const uint16_t e3 = uint16_t(plan.dim_exceptions[c][3]);
      const uint8_t* __restrict tc = s.planes[c].data();
      const uint8_t* __restrict bc = s.planes[3 + c].data();
      uint16_t* __restrict acc = base[c];
      for (int32_t x = 0; x < width; ++x) {
        const uint16_t tv = tc[x];
        const uint16_t off = uint16_t((tv == e0) + (tv == e1) + (tv == e2) + (tv == e3));
        const uint16_t dim = uint16_t(tv * high + uint16_t((uint32_t(tv) * low) >> 16) - off);
        acc[x] = uint16_t(dim + Div255x16(uint16_t(bc[x] * m[x])));
      }
    }
  } else {
    for (int c = 0; c < 3; ++c) {
      const uint8_t* __restrict dim = plan.dim[c];
      const uint8_t* __restrict tc = s.planes[c].data();
      const uint8_t* __restrict bc = s.planes[3 + c].data();
      uint16_t* __restrict acc = base[c];
      for (int32_t x = 0; x < width; ++x) acc[x] = uint16_t(dim[tc[x]] + Div255x16(uint16_t(bc[x] * m[x])));
    }
  }
  NarrowLightShares(plan, m, yb, s, acc0, acc1, acc2);
  // Clamped to bytes channel by channel, then interleaved.
  uint8_t* __restrict p0 = s.planes[0].data();
  uint8_t* __restrict p1 = s.planes[1].data();
  uint8_t* __restrict p2 = s.planes[2].data();
  for (int32_t x = 0; x < width; ++x) p0[x] = uint8_t(acc0[x] > 255 ? 255 : acc0[x]);
  for (int32_t x = 0; x < width; ++x) p1[x] = uint8_t(acc1[x] > 255 ? 255 : acc1[x]);
  for (int32_t x = 0; x < width; ++x) p2[x] = uint8_t(acc2[x] > 255 ? 255 : acc2[x]);
  for (int32_t x = 0; x < width; ++x) {
    o[3 * x] = p0[x];
    o[3 * x + 1] = p1[x];
    o[3 * x + 2] = p2[x];
  }
}

// DimLights in 16-bit lanes with the dimmed tree colour and the weighted
// background computed over the interleaved bytes, the dim multipliers laid out
// like the bytes (plans with dim_pattern); only the lights' shares go channel
// by channel, and are interleaved once at the end.
SYLVANE_KERNEL void DimLightsInterleaved(const RenderPlan& plan, const uint8_t* __restrict b,
                                         const uint8_t* __restrict t, const uint8_t* __restrict m, int32_t yb,
                                         RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = plan.width;
  const int32_t n = 3 * width;
  uint8_t* __restrict m3 = s.weight3.data();
  uint16_t* __restrict base3 = s.gain3.data();
  const uint16_t* __restrict low3 = plan.dim_low3.data();
  const uint16_t* __restrict high3 = plan.dim_high3.data();
  TripleWeights(m, width, m3);
  for (int32_t i = 0; i < n; ++i) {
    const uint16_t tv = t[i];
    const uint16_t dim = uint16_t(tv * high3[i] + uint16_t((uint32_t(tv) * low3[i]) >> 16));
    base3[i] = uint16_t(dim + Div255x16(uint16_t(b[i] * m3[i])));
  }
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  if (plan.lights.empty() || (!everywhere && !AnyTreePaint(m, width))) {
    for (int32_t i = 0; i < n; ++i) o[i] = uint8_t(base3[i] > 255 ? 255 : base3[i]);
    return;
  }
  uint16_t* __restrict acc0 = s.acc16[0].data();
  uint16_t* __restrict acc1 = s.acc16[1].data();
  uint16_t* __restrict acc2 = s.acc16[2].data();
  std::memset(acc0, 0, size_t(width) * sizeof(uint16_t));
  std::memset(acc1, 0, size_t(width) * sizeof(uint16_t));
  std::memset(acc2, 0, size_t(width) * sizeof(uint16_t));
  NarrowLightShares(plan, m, yb, s, acc0, acc1, acc2);
  for (int32_t x = 0; x < width; ++x) {
    const uint16_t v0 = uint16_t(base3[3 * x] + acc0[x]);
    const uint16_t v1 = uint16_t(base3[3 * x + 1] + acc1[x]);
    const uint16_t v2 = uint16_t(base3[3 * x + 2] + acc2[x]);
    o[3 * x] = uint8_t(v0 > 255 ? 255 : v0);
    o[3 * x + 1] = uint8_t(v1 > 255 ? 255 : v1);
    o[3 * x + 2] = uint8_t(v2 > 255 ? 255 : v2);
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
      out0[x] = int32_t(DimOf(t[3 * x], f0, plan.dim_exceptions[0]) + Div255(b[3 * x] * mm));
      out1[x] = int32_t(DimOf(t[3 * x + 1], f1, plan.dim_exceptions[1]) + Div255(b[3 * x + 1] * mm));
      out2[x] = int32_t(DimOf(t[3 * x + 2], f2, plan.dim_exceptions[2]) + Div255(b[3 * x + 2] * mm));
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
