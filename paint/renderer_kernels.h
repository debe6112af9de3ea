// Row kernels: the divisions without dividing, the light rows the formulas
// read and the plain formula. They are forced inline so that
// renderers_rows.cpp can compile them several times: for the baseline
// processor and for ones with wider vector instructions. Every loop is plain
// integer arithmetic, so every form gives the same bytes.
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

// A run of columns x0 .. x0 + width - 1 of one row: rows are rendered span by
// span, so that the kernels' work arrays stay in the nearest cache. The row
// pointers handed to a kernel start at column x0, and every light's column is
// taken relative to it.
struct Span {
  int32_t x0 = 0;
  int32_t width = 0;
};

SYLVANE_KERNEL int32_t Min255(int32_t v) { return v > 255 ? 255 : v; }

// floor(v / 255) for any 16-bit v: a multiply-high and a shift, so that the
// loops run on 16-bit lanes.
SYLVANE_KERNEL uint16_t Div255x16(uint16_t v) { return uint16_t(uint16_t((uint32_t(v) * 0x8081u) >> 16) >> 7); }

// floor(u * m / 2^32) for u < 2^16 and m = 65536 mh + ml < 2^32 in 16-bit
// steps: floor((u * mh + floor(u * ml / 2^16)) / 2^16), the high half of
// u * mh plus the carry out of adding floor(u * ml / 2^16) to its low half.
// Three multiplies and three adds, so that the loops run on 16-bit lanes.
SYLVANE_KERNEL uint16_t MulShift32(uint16_t u, uint16_t mh, uint16_t ml) {
  const uint16_t high = uint16_t((uint32_t(u) * mh) >> 16);
  const uint16_t low = uint16_t(u * mh);
  const uint16_t add = uint16_t((uint32_t(u) * ml) >> 16);
  const uint16_t sum = uint16_t(low + add);
  return uint16_t(high + (sum < low ? 1 : 0));
}

// floor(u * k / 65025) for u < 2^16 and k < 256 as floor(u * m / 2^32) with
// m = ScaleMultiplier(k): m / 2^32 exceeds k / 65025 by less than 2^-32, so
// u * m / 2^32 exceeds u * k / 65025 by less than 2^-16, less than the gap
// 1 / 65025 from any fraction to the next integer.
SYLVANE_KERNEL uint16_t ScaleBy65025x16(uint16_t u, uint16_t mh, uint16_t ml) { return MulShift32(u, mh, ml); }
SYLVANE_KERNEL uint16_t ScaleBy65025x16(uint16_t u, uint16_t k) {
  const uint32_t m = ScaleMultiplier(k);
  return ScaleBy65025x16(u, uint16_t(m >> 16), uint16_t(m & 0xFFFFu));
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

// A row of a quarter table (dx >= 0) for columns 0..width-1 of a light at
// column light_x: mirrored left of the light.
template <typename In, typename Out>
SYLVANE_KERNEL void MirrorRow(const In* __restrict p, int32_t light_x, int32_t width, Out* __restrict out) {
  const int32_t split = light_x < 0 ? 0 : (light_x > width ? width : light_x);
  for (int32_t x = 0; x < split; ++x) out[x] = p[light_x - x];
  for (int32_t x = split; x < width; ++x) out[x] = p[x - light_x];
}

// Spot values of light l along the span of row yb: from the quarter table
// when the render built one for its table, else by the square-root walk.
SYLVANE_KERNEL void LightRow(const RenderPlan& plan, const Light& l, int32_t yb, const Span& sp,
                             int32_t* __restrict out) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t width = sp.width;
  const int32_t lx = l.x - sp.x0;  // the light's column in the span's numbering
  if (!q.built()) {
    SpotRow(plan.tables[size_t(l.table)], lx, l.y, yb, width, out);
    return;
  }
  const int32_t dy = std::abs(yb - l.y);
  if (q.narrow) {
    MirrorRow(q.Row8(dy), lx, width, out);
  } else {
    MirrorRow(q.Row16(dy), lx, width, out);
  }
}

// Spot values of light l along the span of row yb as 16-bit values (a spot
// value never exceeds its strength): straight from a quarter table of 16-bit
// values when the span lies right of the light, else mirrored, widened or
// computed into out.
SYLVANE_KERNEL const uint16_t* LightRow16(const RenderPlan& plan, const Light& l, int32_t yb, const Span& sp,
                                          int32_t* __restrict wide, uint16_t* __restrict out) {
  const QuarterTable& q = plan.quarters[size_t(l.table)];
  const int32_t width = sp.width;
  const int32_t lx = l.x - sp.x0;
  if (!q.built()) {
    SpotRow(plan.tables[size_t(l.table)], lx, l.y, yb, width, wide);
    for (int32_t x = 0; x < width; ++x) out[x] = uint16_t(wide[x]);
    return out;
  }
  const int32_t dy = std::abs(yb - l.y);
  if (q.narrow) {
    MirrorRow(q.Row8(dy), lx, width, out);
    return out;
  }
  if (lx <= 0) return q.Row16(dy) - lx;
  MirrorRow(q.Row16(dy), lx, width, out);
  return out;
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

// Asks the cache for the table values that row yb reads over the span, so
// that they are near when it comes (called one row ahead: the rows of a table
// are far apart in memory, and a light left of the span reads its row
// backwards, which the processor does not foresee).
SYLVANE_KERNEL void PrefetchLights(const RenderPlan& plan, int32_t yb, const Span& sp) {
  for (const Light& l : plan.lights) {
    const QuarterTable& q = plan.quarters[size_t(l.table)];
    const int32_t dy = std::abs(yb - l.y);
    if (!q.built() || dy >= q.rows) continue;
    const int32_t first = sp.x0 - l.x;  // column offsets the span reads
    const int32_t last = first + sp.width - 1;
    const int32_t low = first > 0 ? first : (last < 0 ? -last : 0);  // |dx| read
    const int32_t high = -first > last ? -first : last;
    const uint8_t* row = q.narrow ? q.Row8(dy) : reinterpret_cast<const uint8_t*>(q.Row16(dy));
    const size_t size = q.narrow ? 1 : 2;
    const uint8_t* begin = row + size * size_t(low);
    const uint8_t* end = row + size * (size_t(high) + 1);
    for (const uint8_t* p = begin; p < end; p += 64) __builtin_prefetch(p, 0, 2);
  }
}

// Asks the second-level cache for the span's layer bytes and its output
// (3 x width bytes each) before the work on the lights: the pass that reads
// and writes them comes after it, and would otherwise wait on memory at
// every span, the processor's own prefetching having stopped in between.
SYLVANE_KERNEL void PrefetchSpanBytes(const uint8_t* b, const uint8_t* t, uint8_t* o, int32_t width) {
  for (int32_t i = 0; i < 3 * width; i += 64) {
    __builtin_prefetch(b + i, 0, 2);
    __builtin_prefetch(t + i, 0, 2);
    __builtin_prefetch(o + i, 1, 2);
  }
}

}  // namespace sylvane::renderers::kernels
