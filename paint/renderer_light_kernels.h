// Row kernels of the formulas that add coloured lights to dimmed trees (and
// renderer 6's variant that adds them everywhere) and of the plain formula
// with one lit channel: the lights' shares on 16-bit lanes and the formulas
// built on them. Forced inline like those of renderer_kernels.h, for the same
// reason.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "paint/renderer_kernels.h"

namespace sylvane::renderers::kernels {

// A run of one light's spot values, read in place: the value at column x of
// the run is p[kStep * x] (kStep -1: a table row read backwards, left of the
// light).
template <typename V, int kStep>
struct Run {
  using Value = V;
  static constexpr int step = kStep;
  const V* p;
  Run From(int32_t x) const { return Run{p + kStep * x}; }
};

// acc_c += floor((255 - M) * L / 255) for the channels c in kChannels (bit c):
// the share of a light whose colour is 255 in those channels.
template <int kChannels, int kStep, typename Value>
SYLVANE_KERNEL void AddFullShares(const uint16_t* __restrict left, const Value* __restrict light, int32_t n,
                                  uint16_t* __restrict acc0, uint16_t* __restrict acc1, uint16_t* __restrict acc2) {
  for (int32_t x = 0; x < n; ++x) {
    const uint16_t share = Div255x16(uint16_t(left[x] * light[kStep * x]));
    if constexpr ((kChannels & 1) != 0) acc0[x] = uint16_t(acc0[x] + share);
    if constexpr ((kChannels & 2) != 0) acc1[x] = uint16_t(acc1[x] + share);
    if constexpr ((kChannels & 4) != 0) acc2[x] = uint16_t(acc2[x] + share);
  }
}

// acc_c += floor((255 - M) * L * k_c / 65025) for the channels c in kChannels
// (bit c), every one by its multiplier (m_c = ScaleMultiplier(k_c), exact for
// k_c = 255 too), in one pass: a light with two or more colour values other
// than 0 and 255 costs less so than in a pass per channel.
template <int kChannels, int kStep, typename Value>
SYLVANE_KERNEL void AddScaledShares(const uint16_t* __restrict left, const Value* __restrict light, int32_t n,
                                    const uint16_t* mh, const uint16_t* ml, uint16_t* __restrict acc0,
                                    uint16_t* __restrict acc1, uint16_t* __restrict acc2) {
  const uint16_t h0 = mh[0], h1 = mh[1], h2 = mh[2];
  const uint16_t l0 = ml[0], l1 = ml[1], l2 = ml[2];
  for (int32_t x = 0; x < n; ++x) {
    const uint16_t u = uint16_t(left[x] * light[kStep * x]);
    if constexpr ((kChannels & 1) != 0) acc0[x] = uint16_t(acc0[x] + ScaleBy65025x16(u, h0, l0));
    if constexpr ((kChannels & 2) != 0) acc1[x] = uint16_t(acc1[x] + ScaleBy65025x16(u, h1, l1));
    if constexpr ((kChannels & 4) != 0) acc2[x] = uint16_t(acc2[x] + ScaleBy65025x16(u, h2, l2));
  }
}

// One light's shares of F2 over columns [x0, x1) of a span:
// floor((255 - M) * L * k / 65025) per channel: all in one pass when two or
// more k are neither 0 nor 255, else one pass for the channels where k = 255
// and one for the other channel with k > 0.
template <typename Values>
SYLVANE_KERNEL void AddWeightedShares(const Light& l, const uint16_t* __restrict left, Values run, int32_t x0,
                                      int32_t x1, uint16_t* const* accs) {
  constexpr int kStep = Values::step;
  const typename Values::Value* __restrict light = run.p;
  const int full = (l.colour[0] == 255 ? 1 : 0) | (l.colour[1] == 255 ? 2 : 0) | (l.colour[2] == 255 ? 4 : 0);
  const int32_t n = x1 - x0;
  const uint16_t* __restrict lf = left + x0;
  uint16_t* __restrict a0 = accs[0] + x0;
  uint16_t* __restrict a1 = accs[1] + x0;
  uint16_t* __restrict a2 = accs[2] + x0;
  const int scaled = (l.colour[0] % 255 != 0 ? 1 : 0) + (l.colour[1] % 255 != 0 ? 1 : 0) +
                     (l.colour[2] % 255 != 0 ? 1 : 0);
  if (scaled >= 2) {
    const uint16_t* mh = l.scale_high;
    const uint16_t* ml = l.scale_low;
    int channels = 0;
    for (int c = 0; c < 3; ++c) channels |= l.colour[c] != 0 ? 1 << c : 0;
    switch (channels) {
      case 3: AddScaledShares<3, kStep>(lf, light, n, mh, ml, a0, a1, a2); break;
      case 5: AddScaledShares<5, kStep>(lf, light, n, mh, ml, a0, a1, a2); break;
      case 6: AddScaledShares<6, kStep>(lf, light, n, mh, ml, a0, a1, a2); break;
      default: AddScaledShares<7, kStep>(lf, light, n, mh, ml, a0, a1, a2); break;
    }
    return;
  }
  switch (full) {
    case 1: AddFullShares<1, kStep>(lf, light, n, a0, a1, a2); break;
    case 2: AddFullShares<2, kStep>(lf, light, n, a0, a1, a2); break;
    case 3: AddFullShares<3, kStep>(lf, light, n, a0, a1, a2); break;
    case 4: AddFullShares<4, kStep>(lf, light, n, a0, a1, a2); break;
    case 5: AddFullShares<5, kStep>(lf, light, n, a0, a1, a2); break;
    case 6: AddFullShares<6, kStep>(lf, light, n, a0, a1, a2); break;
    case 7: AddFullShares<7, kStep>(lf, light, n, a0, a1, a2); break;
    default: break;
  }
  for (int c = 0; c < 3; ++c) {
    const int32_t k = l.colour[c];
    if (k == 0 || k == 255) continue;
    const uint16_t mh = l.scale_high[c];
    const uint16_t ml = l.scale_low[c];
    uint16_t* __restrict acc = accs[c] + x0;
    for (int32_t x = 0; x < n; ++x) {
      acc[x] = uint16_t(acc[x] + ScaleBy65025x16(uint16_t(lf[x] * light[kStep * x]), mh, ml));
    }
  }
}

// Renderer 6 over columns [x0, x1) of a span: acc_c += floor(L * k / 255) on
// every pixel; L itself when k = 255.
template <typename Values>
SYLVANE_KERNEL void AddEverywhere(const Light& l, Values run, int32_t x0, int32_t x1, uint16_t* const* accs) {
  constexpr int kStep = Values::step;
  const typename Values::Value* __restrict light = run.p;
  const int32_t n = x1 - x0;
  for (int c = 0; c < 3; ++c) {
    const uint16_t k = uint16_t(l.colour[c]);
    uint16_t* __restrict acc = accs[c] + x0;
    if (k == 0) continue;
    if (k == 255) {
      for (int32_t x = 0; x < n; ++x) acc[x] = uint16_t(acc[x] + light[kStep * x]);
    } else {
      for (int32_t x = 0; x < n; ++x) acc[x] = uint16_t(acc[x] + Div255x16(uint16_t(light[kStep * x] * k)));
    }
  }
}

template <bool kEverywhere, typename Values>
SYLVANE_KERNEL void AddLightRun(const Light& l, const uint16_t* __restrict left, Values run, int32_t x0, int32_t x1,
                                uint16_t* const* accs) {
  if constexpr (kEverywhere) {
    AddEverywhere(l, run, x0, x1, accs);
  } else {
    AddWeightedShares(l, left, run, x0, x1, accs);
  }
}

// One light's shares over a span, its values read in the pieces they come
// in: a byte table's row backwards left of the light and forwards right of
// it, else the values of LightRow16 (a 16-bit table's row right of the light,
// or mirrored or computed into the scratch).
template <bool kEverywhere>
SYLVANE_KERNEL void AddLightRuns(const RenderPlan& plan, const Light& l, int32_t yb, const Span& sp, RowScratch& s,
                                 const uint16_t* left, uint16_t* const* accs) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t lx = l.x - sp.x0;
  if (q.built() && q.narrow) {
    const uint8_t* row = q.Row8(std::abs(yb - l.y));
    const int32_t split = lx < 0 ? 0 : (lx > sp.width ? sp.width : lx);
    if (split > 0) AddLightRun<kEverywhere>(l, left, Run<uint8_t, -1>{row + lx}, 0, split, accs);
    if (split < sp.width) {
      AddLightRun<kEverywhere>(l, left, Run<uint8_t, 1>{row - lx}.From(split), split, sp.width, accs);
    }
  } else {
    const uint16_t* values = LightRow16(plan, l, yb, sp, s.a.data(), s.light16.data());
    AddLightRun<kEverywhere>(l, left, Run<uint16_t, 1>{values}, 0, sp.width, accs);
  }
}

// One channel byte of F2: trunc(T * f) as T * high + (T * low >> 16), less
// one where T is one of the channel's first kExceptions exceptions, plus
// floor(B * M / 255) and the lights' sum, clamped.
template <int kExceptions>
SYLVANE_KERNEL uint8_t DimByte(uint16_t tv, uint16_t bv, uint16_t mv, uint16_t lights, uint16_t high, uint16_t low,
                               const uint16_t* e) {
  uint16_t dim = uint16_t(tv * high + uint16_t((uint32_t(tv) * low) >> 16));
  for (int j = 0; j < kExceptions; ++j) dim = uint16_t(dim - (tv == e[j] ? 1 : 0));
  const uint16_t v = uint16_t(dim + Div255x16(uint16_t(bv * mv)) + lights);
  return uint8_t(v > 255 ? 255 : v);
}

// F2 pixel by pixel over the span, the channels' multipliers held in
// registers and the weight read once per pixel; kLights adds the per-channel
// sums acc0..acc2.
template <int kExceptions, bool kLights>
SYLVANE_KERNEL void DimPixels(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                              const uint8_t* __restrict m, int32_t width, const uint16_t* __restrict acc0,
                              const uint16_t* __restrict acc1, const uint16_t* __restrict acc2, uint8_t* __restrict o) {
  const uint16_t h0 = plan.dim_high16[0], h1 = plan.dim_high16[1], h2 = plan.dim_high16[2];
  const uint16_t l0 = plan.dim_low16[0], l1 = plan.dim_low16[1], l2 = plan.dim_low16[2];
  uint16_t e0[kDimExceptions], e1[kDimExceptions], e2[kDimExceptions];
  for (int j = 0; j < kDimExceptions; ++j) {
    e0[j] = plan.dim_exceptions16[0][j];
    e1[j] = plan.dim_exceptions16[1][j];
    e2[j] = plan.dim_exceptions16[2][j];
  }
  for (int32_t x = 0; x < width; ++x) {
    const uint16_t mv = m[x];
    const uint16_t a0 = kLights ? acc0[x] : 0;
    const uint16_t a1 = kLights ? acc1[x] : 0;
    const uint16_t a2 = kLights ? acc2[x] : 0;
    o[3 * x] = DimByte<kExceptions>(t[3 * x], b[3 * x], mv, a0, h0, l0, e0);
    o[3 * x + 1] = DimByte<kExceptions>(t[3 * x + 1], b[3 * x + 1], mv, a1, h1, l1, e1);
    o[3 * x + 2] = DimByte<kExceptions>(t[3 * x + 2], b[3 * x + 2], mv, a2, h2, l2, e2);
  }
}

// DimPixels for the plan's count of exceptions.
template <bool kLights>
SYLVANE_KERNEL void DimPixelsWith(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                                  const uint8_t* __restrict m, int32_t width, const uint16_t* acc0,
                                  const uint16_t* acc1, const uint16_t* acc2, uint8_t* __restrict o) {
  switch (plan.dim_exception_count) {
    case 0: DimPixels<0, kLights>(plan, b, t, m, width, acc0, acc1, acc2, o); break;
    case 1: DimPixels<1, kLights>(plan, b, t, m, width, acc0, acc1, acc2, o); break;
    case 2: DimPixels<2, kLights>(plan, b, t, m, width, acc0, acc1, acc2, o); break;
    case 3: DimPixels<3, kLights>(plan, b, t, m, width, acc0, acc1, acc2, o); break;
    default: DimPixels<4, kLights>(plan, b, t, m, width, acc0, acc1, acc2, o); break;
  }
}

// F2 and renderer 6 for plans with dim_pattern: the lights' shares first,
// on 16-bit lanes into three per-channel sums, then one pass over the pixels.
// The plan's spot values times 255 fit 16 bits; the sums stay below 2^16 (at
// most 510 + 255 per light), and since every share is at least 0, clamping
// the sum once equals clamping after every light.
SYLVANE_KERNEL void DimLightsByPixel(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                                     const uint8_t* __restrict m, int32_t yb, const Span& sp, RowScratch& s,
                                     uint8_t* __restrict o) {
  const int32_t width = sp.width;
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  if (plan.lights.empty() || (!everywhere && !AnyTreePaint(m, width))) {
    // No light reaches the span.
    DimPixelsWith<false>(plan, b, t, m, width, nullptr, nullptr, nullptr, o);
    return;
  }
  uint16_t* __restrict acc0 = s.acc16[0].data();
  uint16_t* __restrict acc1 = s.acc16[1].data();
  uint16_t* __restrict acc2 = s.acc16[2].data();
  uint16_t* accs[3] = {acc0, acc1, acc2};
  PrefetchSpanBytes(b, t, o, width);
  if (everywhere) {
    std::memset(acc0, 0, size_t(width) * sizeof(uint16_t));
    std::memset(acc1, 0, size_t(width) * sizeof(uint16_t));
    std::memset(acc2, 0, size_t(width) * sizeof(uint16_t));
    for (const Light& l : plan.lights) AddLightRuns<true>(plan, l, yb, sp, s, nullptr, accs);
  } else {
    // Where tree paint lies, in proportion to it: 255 - M is 0 on bare
    // pixels, so their shares are 0 too.
    uint16_t* __restrict left = s.left16.data();
    for (int32_t x = 0; x < width; ++x) {
      left[x] = uint16_t(255 - m[x]);
      acc0[x] = 0;
      acc1[x] = 0;
      acc2[x] = 0;
    }
    for (const Light& l : plan.lights) AddLightRuns<false>(plan, l, yb, sp, s, left, accs);
  }
  DimPixelsWith<true>(plan, b, t, m, width, acc0, acc1, acc2, o);
}

SYLVANE_KERNEL void DimLights(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                              const uint8_t* __restrict m, int32_t yb, const Span& sp, RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = sp.width;
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
      LightRow(plan, l, yb, sp, light);
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
      LightRow(plan, l, yb, sp, light);
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
                                 const uint8_t* __restrict m, int32_t yb, const Span& sp, RowScratch& s, uint8_t* __restrict o) {
  const int32_t width = sp.width;
  Plain(b, t, m, width, s, o);
  if (plan.lights.empty() || !AnyTreePaint(m, width)) return;
  int32_t* __restrict light = s.a.data();
  LightRow(plan, plan.lights[0], yb, sp, light);
  uint8_t* __restrict channel = o + plan.channel;
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t left = 255u - m[x];
    const uint32_t v = channel[3 * x] + DivBy255(left * uint32_t(light[x]));
    channel[3 * x] = uint8_t(v > 255 ? 255 : v);
  }
}

}  // namespace sylvane::renderers::kernels
