// Row kernels of the gain formulas: gain on the trees (F1) and the
// whole-picture gain (F3), with the gains of every renderer that uses them.
// Forced inline like those of renderer_kernels.h, for the same reason.
#pragma once
#include <cstdint>
#include <cstring>

#include "paint/renderer_kernels.h"
#include "paint/renderers_byte_permute.h"

namespace sylvane::renderers::kernels {

// Lattice lines that renderers 18 and 19 leave black.
SYLVANE_KERNEL bool LatticeOneRow(int32_t yb) { return yb % 64 <= 3; }
SYLVANE_KERNEL bool LatticeTwoRow(int32_t yb) { return yb % 256 <= 8 || yb % 128 <= 2; }

// Blackens the lattice columns of a written row.
SYLVANE_KERNEL void LatticeColumns(Gain gain, int32_t width, uint8_t* __restrict o) {
  if (gain == Gain::kLatticeOne) {
    for (int32_t x = 0; x < width; x += 16) {
      const int32_t n = width - x < 2 ? width - x : 2;
      std::memset(o + 3 * x, 0, size_t(n) * 3);
    }
  } else {
    for (int32_t x = 0; x < width; x += 128) {
      const int32_t line = x % 256 == 0 ? 9 : 3;  // x mod 256 <= 8, else x mod 128 <= 2
      const int32_t n = width - x < line ? width - x : line;
      std::memset(o + 3 * x, 0, size_t(n) * 3);
    }
  }
}

// g = the sum of all lights' spot values along row yb.
SYLVANE_KERNEL void SumOfLights(const RenderPlan& plan, int32_t yb, const Span& sp, RowScratch& s, int32_t* __restrict g) {
  const int32_t width = sp.width;
  if (plan.lights.empty()) {
    for (int32_t x = 0; x < width; ++x) g[x] = 0;
    return;
  }
  LightRow(plan, plan.lights[0], yb, sp, g);
  int32_t* __restrict more = s.a.data();
  for (size_t i = 1; i < plan.lights.size(); ++i) {
    LightRow(plan, plan.lights[i], yb, sp, more);
    for (int32_t x = 0; x < width; ++x) g[x] += more[x];
  }
}

// The sum of all lights' spot values along row yb on 16-bit lanes (plans with
// sum_fits16): rows of 16-bit tables are read where they lie.
SYLVANE_KERNEL const uint16_t* SumOfLights16(const RenderPlan& plan, int32_t yb, const Span& sp, RowScratch& s) {
  const int32_t width = sp.width;
  uint16_t* __restrict g = s.acc16[0].data();
  uint16_t* __restrict widened = s.light16.data();
  if (plan.lights.empty()) {
    std::memset(g, 0, size_t(width) * sizeof(uint16_t));
    return g;
  }
  const uint16_t* first = LightRow16(plan, plan.lights[0], yb, sp, s.a.data(), widened);
  if (plan.lights.size() == 1) return first;
  std::memcpy(g, first, size_t(width) * sizeof(uint16_t));
  for (size_t i = 1; i < plan.lights.size(); ++i) {
    const uint16_t* __restrict more = LightRow16(plan, plan.lights[i], yb, sp, s.a.data(), widened);
    for (int32_t x = 0; x < width; ++x) g[x] = uint16_t(g[x] + more[x]);
  }
  return g;
}

// Each gain three times, one per channel byte.
SYLVANE_KERNEL void TripleGains16(const uint16_t* __restrict g, int32_t width, uint16_t* __restrict g3) {
  for (int32_t x = 0; x < width; ++x) {
    const uint16_t v = g[x];
    g3[3 * x] = v;
    g3[3 * x + 1] = v;
    g3[3 * x + 2] = v;
  }
}

// floor(s * 100 / 255) = floor(20 s / 51) for s <= 1500 on 16-bit lanes:
// 20561 / 2^20 exceeds 1 / 51 by so little that 20 s times it stays below the
// next integer.
SYLVANE_KERNEL uint16_t Hundredth255x16(uint16_t s) {
  return uint16_t(uint16_t((uint32_t(uint16_t(s * 20)) * 20561u) >> 16) >> 4);
}

// floor(v / 255) for v < 2^17 - 1 given as its 16-bit halves: with
// v = 65536 hi + lo and 65536 = 257 * 255 + 1, 257 hi + floor((hi + lo) / 255).
SYLVANE_KERNEL uint16_t Div255Halves(uint16_t hi, uint16_t lo) {
  return uint16_t(hi * 257 + Div255x16(uint16_t(lo + hi)));
}

// floor(v / 255) for v = 65536 hi + lo with hi <= 253: 257 hi +
// floor((hi + lo) / 255), the latter floor(lo / 255) plus one where the
// remainder of lo and hi reach 255 together.
SYLVANE_KERNEL uint16_t Div255Wide(uint16_t hi, uint16_t lo) {
  const uint16_t q = Div255x16(lo);
  const uint16_t r = uint16_t(lo - q * 255);
  return uint16_t(hi * 257 + q + (uint16_t(r + hi) >= 255 ? 1 : 0));
}

// floor((c * v + s) / 255) for 16-bit c, v and s with the sum below 2^24:
// the product's halves, the sum's carry, then Div255Wide.
SYLVANE_KERNEL uint16_t MulAddDiv255(uint16_t c, uint16_t v, uint16_t s) {
  const uint16_t product_high = uint16_t((uint32_t(c) * v) >> 16);
  const uint16_t lo = uint16_t(uint16_t(c * v) + s);
  const uint16_t hi = uint16_t(product_high + (lo < s ? 1 : 0));
  return Div255Wide(hi, lo);
}

// The gains of renderers 17, 18, 19 and 24 on 16-bit lanes, interleaved like the
// pixel bytes, read from the tables where they lie.
SYLVANE_KERNEL void ChannelGains16(const RenderPlan& plan, int32_t yb, const Span& sp, RowScratch& s,
                                   uint16_t* __restrict g3) {
  const int32_t width = sp.width;
  uint16_t* buffers[4] = {s.acc16[0].data(), s.acc16[1].data(), s.acc16[2].data(), s.light16.data()};
  const uint16_t* lights[4] = {nullptr, nullptr, nullptr, nullptr};
  const size_t count = plan.lights.size() < 4 ? plan.lights.size() : 4;
  for (size_t i = 0; i < count; ++i) lights[i] = LightRow16(plan, plan.lights[i], yb, sp, s.a.data(), buffers[i]);
  switch (plan.gain) {
    case Gain::kThreeMixed: {
      // Each channel's own light plus 100/255 of the other two.
      const uint16_t* __restrict g1 = lights[0];
      const uint16_t* __restrict g2 = lights[1];
      const uint16_t* __restrict g3l = lights[2];
      for (int32_t x = 0; x < width; ++x) {
        g3[3 * x + 2] = uint16_t(g1[x] + Hundredth255x16(uint16_t(g2[x] + g3l[x])));
        g3[3 * x + 1] = uint16_t(g3l[x] + Hundredth255x16(uint16_t(g1[x] + g2[x])));
        g3[3 * x] = uint16_t(g2[x] + Hundredth255x16(uint16_t(g1[x] + g3l[x])));
      }
      return;
    }
    case Gain::kLatticeOne: {
      // G_c = a + b + c_c * w / 255, the last as floor(w * m_c / 2^32) with
      // m_c = ceil(c_c 2^32 / 255) (exact for w < 2^16 as for ScaleBy65025x16),
      // w itself for c_c = 255.
      const uint16_t* __restrict a = lights[0];
      const uint16_t* __restrict b = lights[1];
      const uint16_t* __restrict w = lights[2];
      uint16_t mh[3];
      uint16_t ml[3];
      uint16_t whole[3];  // 0xFFFF where c_c = 255, else 0
      for (int c = 0; c < 3; ++c) {
        const uint64_t mc = ((uint64_t(plan.colour_numbers[c]) << 32) + 254) / 255;
        whole[c] = plan.colour_numbers[c] == 255 ? 0xFFFF : 0;
        mh[c] = uint16_t(mc >> 16);
        ml[c] = uint16_t(mc & 0xFFFFu);
      }
      const uint16_t h0 = mh[0], h1 = mh[1], h2 = mh[2];
      const uint16_t l0 = ml[0], l1 = ml[1], l2 = ml[2];
      const uint16_t w0 = whole[0], w1 = whole[1], w2 = whole[2];
      for (int32_t x = 0; x < width; ++x) {
        const uint16_t base = uint16_t(a[x] + b[x]);
        const uint16_t wx = w[x];
        g3[3 * x] = uint16_t(base + ((MulShift32(wx, h0, l0) & uint16_t(~w0)) | (wx & w0)));
        g3[3 * x + 1] = uint16_t(base + ((MulShift32(wx, h1, l1) & uint16_t(~w1)) | (wx & w1)));
        g3[3 * x + 2] = uint16_t(base + ((MulShift32(wx, h2, l2) & uint16_t(~w2)) | (wx & w2)));
      }
      return;
    }
    case Gain::kLatticeTwo: {
      // Renderer 19; the fractional parts of a channel's terms add up before
      // truncation. The sums reach 2^18 (c r up to 255 * 400); their other
      // terms fit 16 bits (p and q up to 260).
      const uint16_t* __restrict r = lights[0];
      const uint16_t* __restrict a = lights[1];
      const uint16_t* __restrict p = lights[2];
      const uint16_t* __restrict q = lights[3];
      const uint16_t cb = plan.colour_numbers16[0];
      const uint16_t cg = plan.colour_numbers16[1];
      const uint16_t cr = plan.colour_numbers16[2];
      for (int32_t x = 0; x < width; ++x) {
        const uint16_t pp = p[x];
        const uint16_t qq = q[x];
        g3[3 * x] = uint16_t(a[x] + pp + MulAddDiv255(cb, r[x], uint16_t(80 * qq)));
        g3[3 * x + 1] = uint16_t(a[x] + MulAddDiv255(cg, r[x], uint16_t(100 * pp + 150 * qq)));
        g3[3 * x + 2] = uint16_t(a[x] + qq + MulAddDiv255(cr, r[x], uint16_t(100 * pp)));
      }
      return;
    }
    case Gain::kGlitter: {
      // Three draws per pixel (red, green, blue) in row order, continued from
      // the state before the first pixel. Eight interleaved sequences, each
      // stepping eight draws at once, give the same states in order.
      uint32_t* __restrict st = s.draws.data();  // room for 3 * width + 32 states
      const int32_t n = 3 * width;
      // Four vectors of eight sequences each, stepping 32 draws at once, so
      // that four multiplies are on their way at a time.
      uint32_t lane[32];
      // The span's first draw: where the previous span of this thread ended
      // (the next span of the row, or the first of the next row), else
      // found by advancing the generator.
      const uint64_t first = 3ull * (uint64_t(yb) * uint64_t(plan.width) + uint64_t(sp.x0)) + 1;
      lane[0] = s.next_draw == first && s.draws_from == plan.glitter_state
                    ? s.next_draw_state
                    : AdvanceRandomState(plan.glitter_state, first);
      for (int l = 1; l < 32; ++l) lane[l] = lane[l - 1] * 214013u + 2531011u;
      const uint32_t add32 = AdvanceRandomState(0, 32);
      const uint32_t mul32 = AdvanceRandomState(1, 32) - add32;
      using U32x8 = uint32_t __attribute__((vector_size(32)));
      U32x8 v0, v1, v2, v3;
      std::memcpy(&v0, lane, sizeof v0);
      std::memcpy(&v1, lane + 8, sizeof v1);
      std::memcpy(&v2, lane + 16, sizeof v2);
      std::memcpy(&v3, lane + 24, sizeof v3);
      for (int32_t i = 1; i <= n; i += 32) {
        std::memcpy(st + i, &v0, sizeof v0);
        std::memcpy(st + i + 8, &v1, sizeof v1);
        std::memcpy(st + i + 16, &v2, sizeof v2);
        std::memcpy(st + i + 24, &v3, sizeof v3);
        v0 = v0 * mul32 + add32;
        v1 = v1 * mul32 + add32;
        v2 = v2 * mul32 + add32;
        v3 = v3 * mul32 + add32;
      }
      s.next_draw = first + uint64_t(n);
      s.next_draw_state = st[n] * 214013u + 2531011u;
      s.draws_from = plan.glitter_state;
      // Pixel x takes draws 3x + 1 (red), 3x + 2 (green), 3x + 3 (blue).
      // The number is 128..255 and the spot at most 500: the product stays
      // below 2^17 - 1.
      const uint16_t* __restrict spot = lights[0];
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t v = spot[x];
        const uint32_t pb = (((st[3 * x + 3] >> 16) & 127u) + 128u) * v;
        const uint32_t pg = (((st[3 * x + 2] >> 16) & 127u) + 128u) * v;
        const uint32_t pr = (((st[3 * x + 1] >> 16) & 127u) + 128u) * v;
        g3[3 * x] = Div255Halves(uint16_t(pb >> 16), uint16_t(pb));
        g3[3 * x + 1] = Div255Halves(uint16_t(pg >> 16), uint16_t(pg));
        g3[3 * x + 2] = Div255Halves(uint16_t(pr >> 16), uint16_t(pr));
      }
      return;
    }
    default:
      return;
  }
}

// Renderer 23: the cell's three gains (blue, green, red) by position.
SYLVANE_KERNEL void ColourDotGains(const RenderPlan& plan, int32_t yb, const Span& sp, uint16_t* __restrict g3) {
  const int32_t period = plan.dot_period;
  const int32_t* __restrict cells = plan.dot_gains.data() + size_t(yb % period) * size_t(period) * 3;
  for (int32_t x0 = 0; x0 < sp.width; x0 += period) {
    const int32_t n = 3 * (sp.width - x0 < period ? sp.width - x0 : period);
    uint16_t* __restrict out = g3 + 3 * x0;
    for (int32_t i = 0; i < n; ++i) out[i] = uint16_t(cells[i]);
  }
}

// F1 over the channel bytes: (B * M + T * G) / 255, clamped. Above 65279 the
// quotient is at least 256 and clamps to 255.
// On 16-bit lanes: T * G saturates at 65535 (its high half not 0), and so
// does the sum; anything from 65279 on gives 255.
SYLVANE_KERNEL void GainOnTrees(const uint8_t* __restrict b, const uint8_t* __restrict t,
                                const uint8_t* __restrict m3, const uint16_t* __restrict g3, int32_t n,
                                uint8_t* __restrict o) {
  for (int32_t i = 0; i < n; ++i) {
    const uint16_t tv = t[i];
    const uint16_t high = uint16_t((uint32_t(tv) * g3[i]) >> 16);
    const uint16_t low = uint16_t(tv * g3[i]);
    const uint16_t lit = high != 0 ? uint16_t(0xFFFF) : low;
    const uint16_t bm = uint16_t(b[i] * m3[i]);
    uint16_t v = uint16_t(bm + lit);
    v = v < bm ? uint16_t(0xFFFF) : v;
    v = v > 65279 ? uint16_t(65279) : v;
    o[i] = uint8_t(Div255x16(v));
  }
}

// F3 for one channel byte: floor(G * B * M / 65025) + floor(G * T / 255),
// clamped, on 16-bit lanes for any G < 2^16. With y = G * P (P = B * M) =
// 65536 hi + lo: from hi >= 254 on the first term is at least 255, and the
// result clamps; below, y < 2^24 and floor(y / 255) = a + floor((a + b) / 255)
// with a = y >> 8 (16 bits) and b = y & 255, which leaves floor(y / 65025) =
// floor(floor(y / 255) / 255). G * T at 2^16 or more makes the second term
// at least 257.
SYLVANE_KERNEL uint8_t WholeByte(uint16_t gain, uint16_t p, uint16_t t) {
  const uint16_t hi = uint16_t((uint32_t(gain) * p) >> 16);
  const uint16_t lo = uint16_t(gain * p);
  const uint16_t a = uint16_t(uint16_t(hi << 8) | uint16_t(lo >> 8));
  const uint16_t b = uint16_t(lo & 255u);
  const uint16_t first = Div255x16(uint16_t(a + Div255x16(uint16_t(a + b))));
  const uint16_t hi2 = uint16_t((uint32_t(gain) * t) >> 16);
  const uint16_t second = Div255x16(uint16_t(gain * t));
  const uint16_t sum = uint16_t(first + second);
  const bool full = hi >= 254 || hi2 != 0 || sum > 255;
  return uint8_t(full ? 255 : sum);
}

// F3 over the channel bytes.
SYLVANE_KERNEL void WholePicture(const uint8_t* __restrict b, const uint8_t* __restrict t,
                                 const uint8_t* __restrict m3, const uint16_t* __restrict g3, int32_t n,
                                 uint8_t* __restrict o) {
  for (int32_t i = 0; i < n; ++i) o[i] = WholeByte(g3[i], uint16_t(b[i] * m3[i]), t[i]);
}

// The gains of a span on 16-bit lanes: one per pixel (returned), or one per
// channel byte written to g3 (returns nullptr) for the renderers whose
// channels take different gains.
SYLVANE_KERNEL const uint16_t* SpanGains(const RenderPlan& plan, int32_t yb, const Span& sp, RowScratch& s,
                                         uint16_t* __restrict g3) {
  const int32_t width = sp.width;
  uint16_t* __restrict per_pixel = s.acc16[0].data();
  switch (plan.gain) {
    case Gain::kSum: {
      if (plan.sum_fits16) return SumOfLights16(plan, yb, sp, s);
      int32_t* __restrict g = s.out[0].data();
      SumOfLights(plan, yb, sp, s, g);
      for (int32_t x = 0; x < width; ++x) per_pixel[x] = uint16_t(g[x]);
      return per_pixel;
    }
    case Gain::kDots: {
      const int32_t period = plan.dot_period;
      const int32_t* __restrict cells = plan.dot_gains.data() + size_t(yb % period) * size_t(period);
      for (int32_t x0 = 0; x0 < width; x0 += period) {
        const int32_t n = width - x0 < period ? width - x0 : period;
        for (int32_t i = 0; i < n; ++i) per_pixel[x0 + i] = uint16_t(cells[i]);
      }
      return per_pixel;
    }
    case Gain::kColourDots:
      ColourDotGains(plan, yb, sp, g3);
      return nullptr;
    default:
      ChannelGains16(plan, yb, sp, s, g3);
      return nullptr;
  }
}

// F1 (gain on the trees) or F3 (the whole picture) over a span.
// byte_permutes: the last pass runs on 512-bit registers (only in the form of
// the row code compiled for them).
SYLVANE_KERNEL void GainRow(const RenderPlan& plan, const uint8_t* __restrict b, const uint8_t* __restrict t,
                            const uint8_t* __restrict m, int32_t yb, const Span& sp, RowScratch& s,
                            uint8_t* __restrict o, bool byte_permutes) {
  const int32_t width = sp.width;
  const bool lattice = plan.gain == Gain::kLatticeOne || plan.gain == Gain::kLatticeTwo;
  if (lattice && (plan.gain == Gain::kLatticeOne ? LatticeOneRow(yb) : LatticeTwoRow(yb))) {
    std::memset(o, 0, size_t(width) * 3);
    return;
  }
  const bool whole = plan.formula == Formula::kWhole;
  // Gain on the trees alone: a span without tree colour is the plain picture
  // (either way gives the same bytes). Tree paint (weights below 255) nearly
  // always brings colour, and the weights are a third of the bytes to look at.
  if (!whole && !AnyTreePaint(m, width) && !AnyTreeColour(t, width)) {
    Plain(b, t, m, width, s, o);
  } else {
    uint16_t* __restrict g3 = s.gain3.data();
    const uint16_t* per_pixel = SpanGains(plan, yb, sp, s, g3);
#ifdef SYLVANE_HAS_BYTE_PERMUTE_ROWS
    if (byte_permutes) {
      BytePermuteGainPass(whole, b, t, m, per_pixel, g3, width, o);
    } else
#endif
    {
      (void)byte_permutes;
      if (per_pixel != nullptr) TripleGains16(per_pixel, width, g3);
      uint8_t* __restrict m3 = s.weight3.data();
      TripleWeights(m, width, m3);
      if (whole) {
        WholePicture(b, t, m3, g3, width * 3, o);
      } else {
        GainOnTrees(b, t, m3, g3, width * 3, o);
      }
    }
  }
  if (lattice) LatticeColumns(plan.gain, width, o);
}

}  // namespace sylvane::renderers::kernels
