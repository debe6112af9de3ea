// The row code's passes on 512-bit registers with byte permutes.
//
// The dimmed-trees row goes by chunks of 64 pixels: one register of weights,
// three of interleaved channel bytes. Every light's share of the chunk is worked out on 16-bit
// lanes (the bytes unpacked within each 128-bit lane and packed back in the
// same order) and added to the channels' sums with byte saturation: every
// share is at least 0 and the formula clamps at 255 once, so a sum clamped at
// 255 on the way gives the same byte. The channel bytes are unpacked in turn,
// with constants laid out in the same order, and the sums permuted into the
// interleaved order.
//
// The gain formulas' last pass goes by 32 pixels: every channel byte is
// widened to a 16-bit lane in its own order, and each pixel's weight and gain
// are permuted out to its three lanes.
#include "paint/renderers_byte_permute.h"

#ifdef SYLVANE_HAS_BYTE_PERMUTE_ROWS
// GCC 12's byte permute intrinsics start from an undefined register, which
// its own flow analysis then reports as read uninitialised.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#define SYLVANE_BYTE_PERMUTE_TARGET "avx512f,avx512bw,avx512vl,avx512vbmi,avx2,bmi2"

namespace sylvane::renderers {
namespace {

constexpr int32_t kChunk = 64;  // pixels per chunk
constexpr size_t kMostLights = 16;

// Byte i of the chunk's interleaved register j (0..2) is channel (64 j + i) % 3
// of pixel (64 j + i) / 3.
struct ChunkIndices {
  std::array<uint8_t, 192> channel{};  // the channel of every byte
  std::array<uint8_t, 192> pixel{};    // the pixel of every byte
  // For the permute of the blue and green sums (blue bytes 0..63, green
  // 64..127): the byte each channel byte takes (red bytes are taken next).
  std::array<uint8_t, 192> blue_green{};
  uint64_t red[3] = {0, 0, 0};  // bit i of register j: byte i is red
};

constexpr ChunkIndices MakeChunkIndices() {
  ChunkIndices c;
  for (int g = 0; g < 192; ++g) {
    const int p = g / 3;
    const int ch = g % 3;
    c.channel[size_t(g)] = uint8_t(ch);
    c.pixel[size_t(g)] = uint8_t(p);
    c.blue_green[size_t(g)] = uint8_t(ch == 1 ? 64 + p : p);
    if (ch == 2) c.red[g / 64] |= uint64_t(1) << (g % 64);
  }
  return c;
}

constexpr ChunkIndices kIndices = MakeChunkIndices();

constexpr std::array<uint8_t, 64> MakeOrder(bool descending) {
  std::array<uint8_t, 64> r{};
  for (int i = 0; i < 64; ++i) r[size_t(i)] = uint8_t(descending ? 63 - i : i);
  return r;
}

constexpr std::array<uint8_t, 64> kAscending = MakeOrder(false);
constexpr std::array<uint8_t, 64> kDescending = MakeOrder(true);

// One light as the chunk loop reads it.
struct LightOfRow {
  const uint8_t* row;        // its quarter table's row at this row's distance (dx >= 0)
  int32_t x;                 // its column
  __mmask64 first_columns;   // the row's first 64 columns, or as many as it has
  int full;                  // bit c: colour 255 in channel c
  int scaled;                // bit c: colour neither 0 nor 255 in channel c
  uint16_t colour[3];        // 0..255 per channel
  uint16_t high[3];          // ScaleMultiplier(colour) in 16-bit halves
  uint16_t low[3];
};

// The lights of row yb, or false when some light has no byte table row
// covering the canvas's columns.
bool LightsOfRow(const RenderPlan& plan, int32_t yb, LightOfRow* out) {
  if (plan.lights.size() > kMostLights) return false;
  for (size_t i = 0; i < plan.lights.size(); ++i) {
    const Light& l = plan.lights[i];
    const QuarterTable& q = plan.quarters[size_t(l.table)];
    const int32_t dy = std::abs(yb - l.y);
    const int32_t reach = std::max(l.x, plan.width - 1 - l.x);
    if (!q.built() || !q.narrow || dy >= q.rows || l.x < 0 || l.x >= plan.width || reach >= q.columns) return false;
    LightOfRow& r = out[i];
    r.row = q.Row8(dy);
    r.x = l.x;
    r.first_columns = q.columns >= kChunk ? ~__mmask64(0) : (__mmask64(1) << q.columns) - 1;
    r.full = 0;
    r.scaled = 0;
    for (int c = 0; c < 3; ++c) {
      const int32_t k = l.colour[c];
      if (k < 0 || k > 255) return false;
      r.full |= k == 255 ? 1 << c : 0;
      r.scaled |= k != 0 && k != 255 ? 1 << c : 0;
      r.colour[c] = uint16_t(k);
      r.high[c] = l.scale_high[c];
      r.low[c] = l.scale_low[c];
    }
  }
  return true;
}

#define SYLVANE_PERMUTE_KERNEL __attribute__((target(SYLVANE_BYTE_PERMUTE_TARGET), always_inline)) inline

using V = __m512i;

SYLVANE_PERMUTE_KERNEL V Load64(const std::array<uint8_t, 192>& a, int j) { return _mm512_loadu_si512(a.data() + 64 * j); }

// A 16-bit constant per channel, laid out as a byte register of pattern
// channel_j unpacked (low: the lower 8 bytes of every 128-bit lane).
SYLVANE_PERMUTE_KERNEL void ChannelWords(const uint16_t* by_channel, V channel_j, V& low, V& high) {
  const V low_bytes = _mm512_permutexvar_epi8(
      channel_j, _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0,
                                  int64_t(by_channel[0] & 0xFF) | int64_t(by_channel[1] & 0xFF) << 8 |
                                      int64_t(by_channel[2] & 0xFF) << 16));
  const V high_bytes = _mm512_permutexvar_epi8(
      channel_j, _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0,
                                  int64_t(by_channel[0] >> 8) | int64_t(by_channel[1] >> 8) << 8 |
                                      int64_t(by_channel[2] >> 8) << 16));
  low = _mm512_unpacklo_epi8(low_bytes, high_bytes);
  high = _mm512_unpackhi_epi8(low_bytes, high_bytes);
}

// floor(v / 255) on 16-bit lanes.
SYLVANE_PERMUTE_KERNEL V Div255Words(V v) { return _mm512_srli_epi16(_mm512_mulhi_epu16(v, _mm512_set1_epi16(int16_t(0x8081))), 7); }

// floor(u * (65536 mh + ml) / 2^32) on 16-bit lanes: the high half of u * mh
// plus the carry out of adding floor(u * ml / 2^16) to its low half.
SYLVANE_PERMUTE_KERNEL V MulShift32Words(V u, V mh, V ml) {
  const V high = _mm512_mulhi_epu16(u, mh);
  const V low = _mm512_mullo_epi16(u, mh);
  const V sum = _mm512_add_epi16(low, _mm512_mulhi_epu16(u, ml));
  const __mmask32 carry = _mm512_cmplt_epu16_mask(sum, low);
  return _mm512_mask_add_epi16(high, carry, high, _mm512_set1_epi16(1));
}

// The byte orders that LightValues permutes by.
struct Orders {
  V ascending;   // 0..63
  V descending;  // 63..0
};

// The 64 spot values of a light over columns x..x+63, those of the n columns
// of the chunk (pixels: their lanes) valid.
SYLVANE_PERMUTE_KERNEL V LightValues(const LightOfRow& l, int32_t x, __mmask64 pixels, const Orders& orders) {
  const int32_t d = x - l.x;
  if (d >= 0) return _mm512_maskz_loadu_epi8(pixels, l.row + d);
  // Left of the light the row is read backwards. Only the row's last chunk
  // is short, and it holds the canvas's last column, which is not left of
  // the light: this chunk is whole.
  if (d + kChunk - 1 <= 0) return _mm512_permutexvar_epi8(orders.descending, _mm512_loadu_si512(l.row - d - (kChunk - 1)));
  // The chunk holds the light's column: every distance |d + j| is below 64.
  const V first = _mm512_maskz_loadu_epi8(l.first_columns, l.row);
  const V distance = _mm512_abs_epi8(_mm512_add_epi8(_mm512_set1_epi8(int8_t(d)), orders.ascending));
  return _mm512_maskz_permutexvar_epi8(pixels, distance, first);
}

struct Sums {
  V c0, c1, c2;  // per-channel sums (blue, green, red), saturated at 255
};

SYLVANE_PERMUTE_KERNEL void AddShare(Sums& s, int channels, V share) {
  if (channels & 1) s.c0 = _mm512_adds_epu8(s.c0, share);
  if (channels & 2) s.c1 = _mm512_adds_epu8(s.c1, share);
  if (channels & 4) s.c2 = _mm512_adds_epu8(s.c2, share);
}

// The lights' sums of one chunk: floor((255 - M) * L * k / 65025) per light
// and channel, or floor(L * k / 255) everywhere.
SYLVANE_PERMUTE_KERNEL Sums LightSums(const LightOfRow* lights, size_t count, bool everywhere, V m, int32_t x,
                                      __mmask64 pixels, const Orders& orders) {
  const V zero = _mm512_setzero_si512();
  Sums s{zero, zero, zero};
  const V left = _mm512_xor_si512(m, _mm512_set1_epi8(-1));
  const V left_low = _mm512_unpacklo_epi8(left, zero);
  const V left_high = _mm512_unpackhi_epi8(left, zero);
  for (size_t i = 0; i < count; ++i) {
    const LightOfRow& l = lights[i];
    const V values = LightValues(l, x, pixels, orders);
    const V low = _mm512_unpacklo_epi8(values, zero);
    const V high = _mm512_unpackhi_epi8(values, zero);
    if (everywhere) {
      AddShare(s, l.full, values);
      for (int c = 0; c < 3; ++c) {
        if ((l.scaled & (1 << c)) == 0) continue;
        const V k = _mm512_set1_epi16(int16_t(l.colour[c]));
        const V share = _mm512_packus_epi16(Div255Words(_mm512_mullo_epi16(low, k)),
                                            Div255Words(_mm512_mullo_epi16(high, k)));
        AddShare(s, 1 << c, share);
      }
      continue;
    }
    const V u_low = _mm512_mullo_epi16(left_low, low);
    const V u_high = _mm512_mullo_epi16(left_high, high);
    if (l.full != 0) AddShare(s, l.full, _mm512_packus_epi16(Div255Words(u_low), Div255Words(u_high)));
    for (int c = 0; c < 3; ++c) {
      if ((l.scaled & (1 << c)) == 0) continue;
      const V mh = _mm512_set1_epi16(int16_t(l.high[c]));
      const V ml = _mm512_set1_epi16(int16_t(l.low[c]));
      AddShare(s, 1 << c, _mm512_packus_epi16(MulShift32Words(u_low, mh, ml), MulShift32Words(u_high, mh, ml)));
    }
  }
  return s;
}

// The constants of one of a chunk's three channel registers.
struct ByteRegister {
  V channel, pixel, blue_green;
  __mmask64 red;
  V dim_high[2], dim_low[2];          // the dim multipliers' halves, unpacked low and high
  V exceptions[kDimExceptions][2];    // T whose dim is one less than the multiplier's (256: none)
};

__attribute__((target(SYLVANE_BYTE_PERMUTE_TARGET))) void DimRow(const RenderPlan& plan, const Layers& layers,
                                                                  int32_t yb, const LightOfRow* lights,
                                                                  uint8_t* out_row) {
  const int32_t width = plan.width;
  const uint8_t* b = layers.background->BufferRow(yb);
  const uint8_t* t = layers.trees->BufferRow(yb);
  const uint8_t* m = layers.weight->BufferRow(yb);
  const bool everywhere = plan.formula == Formula::kDimAddAll;
  const size_t count = plan.lights.size();
  const int exception_count = plan.dim_exception_count;
  const V zero = _mm512_setzero_si512();
  const V one = _mm512_set1_epi16(1);
  const Orders orders{_mm512_loadu_si512(kAscending.data()), _mm512_loadu_si512(kDescending.data())};
  ByteRegister regs[3];
  for (int j = 0; j < 3; ++j) {
    ByteRegister& r = regs[j];
    r.channel = Load64(kIndices.channel, j);
    r.pixel = Load64(kIndices.pixel, j);
    r.blue_green = Load64(kIndices.blue_green, j);
    r.red = kIndices.red[j];
    ChannelWords(plan.dim_high16, r.channel, r.dim_high[0], r.dim_high[1]);
    ChannelWords(plan.dim_low16, r.channel, r.dim_low[0], r.dim_low[1]);
    for (int e = 0; e < exception_count; ++e) {
      const uint16_t by_channel[3] = {plan.dim_exceptions16[0][e], plan.dim_exceptions16[1][e],
                                      plan.dim_exceptions16[2][e]};
      ChannelWords(by_channel, r.channel, r.exceptions[e][0], r.exceptions[e][1]);
    }
  }
  for (int32_t x = 0; x < width; x += kChunk) {
    const int32_t n = width - x < kChunk ? width - x : kChunk;
    const __mmask64 pixels = n == kChunk ? ~__mmask64(0) : (__mmask64(1) << n) - 1;
    const V mv = _mm512_maskz_loadu_epi8(pixels, m + x);
    // 255 - M is 0 where no tree paint lies: those pixels take no light.
    const bool lit = count > 0 && (everywhere || _mm512_mask_cmpneq_epi8_mask(pixels, mv, _mm512_set1_epi8(-1)) != 0);
    const Sums s = lit ? LightSums(lights, count, everywhere, mv, x, pixels, orders) : Sums{zero, zero, zero};
    for (int j = 0; j < 3; ++j) {
      const ByteRegister& r = regs[j];
      const int32_t first = 3 * x + 64 * j;
      const int32_t bytes = 3 * width - first;
      if (bytes <= 0) break;
      const __mmask64 used = bytes >= 64 ? ~__mmask64(0) : (__mmask64(1) << bytes) - 1;
      const V tv = _mm512_maskz_loadu_epi8(used, t + first);
      const V bv = _mm512_maskz_loadu_epi8(used, b + first);
      const V m3 = _mm512_permutexvar_epi8(r.pixel, mv);
      const V sums = _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(s.c0, r.blue_green, s.c1), r.red,
                                                  r.pixel, s.c2);
      V dim[2], shade[2];
      for (int h = 0; h < 2; ++h) {
        const V tw = h == 0 ? _mm512_unpacklo_epi8(tv, zero) : _mm512_unpackhi_epi8(tv, zero);
        const V bw = h == 0 ? _mm512_unpacklo_epi8(bv, zero) : _mm512_unpackhi_epi8(bv, zero);
        const V mw = h == 0 ? _mm512_unpacklo_epi8(m3, zero) : _mm512_unpackhi_epi8(m3, zero);
        V d = _mm512_add_epi16(_mm512_mullo_epi16(tw, r.dim_high[h]), _mm512_mulhi_epu16(tw, r.dim_low[h]));
        for (int e = 0; e < exception_count; ++e) {
          d = _mm512_mask_sub_epi16(d, _mm512_cmpeq_epi16_mask(tw, r.exceptions[e][h]), d, one);
        }
        dim[h] = d;
        shade[h] = Div255Words(_mm512_mullo_epi16(bw, mw));
      }
      const V v = _mm512_adds_epu8(_mm512_adds_epu8(_mm512_packus_epi16(dim[0], dim[1]),
                                                    _mm512_packus_epi16(shade[0], shade[1])),
                                   sums);
      _mm512_mask_storeu_epi8(out_row + first, used, v);
    }
  }
  // Row padding is written too, so that the whole buffer is defined.
  for (int32_t i = 3 * width; i < StrideFor(width); ++i) out_row[i] = 0;
}

// The pixel of every 16-bit lane of a 32-pixel chunk's channel words:
// lane e of group k (0..2) is byte 32 k + e of the chunk.
struct WordIndices {
  std::array<uint16_t, 96> pixel{};
};

constexpr WordIndices MakeWordIndices() {
  WordIndices w;
  for (int g = 0; g < 96; ++g) w.pixel[size_t(g)] = uint16_t(g / 3);
  return w;
}

constexpr WordIndices kWordIndices = MakeWordIndices();

// F1 on 16-bit lanes: (B * M + T * G) / 255, clamped. T * G saturates at
// 65535 where its high half is not 0, and so does the sum; anything from
// 65279 on gives 255.
SYLVANE_PERMUTE_KERNEL V GainOnTreesWords(V tw, V bw, V mw, V gw) {
  const V all = _mm512_set1_epi16(-1);
  const V lit = _mm512_mask_mov_epi16(_mm512_mullo_epi16(tw, gw),
                                      _mm512_cmpneq_epi16_mask(_mm512_mulhi_epu16(tw, gw), _mm512_setzero_si512()), all);
  const V v = _mm512_min_epu16(_mm512_adds_epu16(_mm512_mullo_epi16(bw, mw), lit), _mm512_set1_epi16(int16_t(65279)));
  return Div255Words(v);
}

// F3 on 16-bit lanes: floor(G * B * M / 65025) + floor(G * T / 255), clamped
// (the steps of WholeByte in renderer_gain_kernels.h).
SYLVANE_PERMUTE_KERNEL V WholeWords(V tw, V bw, V mw, V gw) {
  const V p = _mm512_mullo_epi16(bw, mw);
  const V hi = _mm512_mulhi_epu16(gw, p);
  const V lo = _mm512_mullo_epi16(gw, p);
  const V a = _mm512_or_si512(_mm512_slli_epi16(hi, 8), _mm512_srli_epi16(lo, 8));
  const V low_byte = _mm512_and_si512(lo, _mm512_set1_epi16(255));
  const V first = Div255Words(_mm512_add_epi16(a, Div255Words(_mm512_add_epi16(a, low_byte))));
  const V second = Div255Words(_mm512_mullo_epi16(gw, tw));
  const V sum = _mm512_add_epi16(first, second);
  const V limit = _mm512_set1_epi16(255);
  const __mmask32 full = _mm512_cmpge_epu16_mask(hi, _mm512_set1_epi16(254)) |
                         _mm512_cmpneq_epi16_mask(_mm512_mulhi_epu16(gw, tw), _mm512_setzero_si512()) |
                         _mm512_cmpgt_epu16_mask(sum, limit);
  return _mm512_mask_mov_epi16(sum, full, limit);
}

template <bool kWhole>
__attribute__((target(SYLVANE_BYTE_PERMUTE_TARGET))) void GainPass(const uint8_t* b, const uint8_t* t,
                                                                    const uint8_t* m, const uint16_t* per_pixel,
                                                                    const uint16_t* per_byte, int32_t width,
                                                                    uint8_t* o) {
  constexpr int32_t kPixels = 32;
  const V pixel[3] = {_mm512_loadu_si512(kWordIndices.pixel.data()), _mm512_loadu_si512(kWordIndices.pixel.data() + 32),
                      _mm512_loadu_si512(kWordIndices.pixel.data() + 64)};
  for (int32_t x = 0; x < width; x += kPixels) {
    const int32_t n = width - x < kPixels ? width - x : kPixels;
    const __mmask32 pixels = n == kPixels ? ~__mmask32(0) : (__mmask32(1) << n) - 1;
    const V mp = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(pixels, m + x));
    const V gp = per_pixel != nullptr ? _mm512_maskz_loadu_epi16(pixels, per_pixel + x) : _mm512_setzero_si512();
    for (int k = 0; k < 3; ++k) {
      const int32_t first = 3 * x + 32 * k;
      const int32_t bytes = 3 * width - first;
      if (bytes <= 0) break;
      const __mmask32 used = bytes >= 32 ? ~__mmask32(0) : (__mmask32(1) << bytes) - 1;
      const V tw = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(used, t + first));
      const V bw = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(used, b + first));
      const V mw = _mm512_permutexvar_epi16(pixel[k], mp);
      const V gw = per_pixel != nullptr ? _mm512_permutexvar_epi16(pixel[k], gp)
                                        : _mm512_maskz_loadu_epi16(used, per_byte + first);
      const V v = kWhole ? WholeWords(tw, bw, mw, gw) : GainOnTreesWords(tw, bw, mw, gw);
      _mm512_mask_cvtepi16_storeu_epi8(o + first, used, v);
    }
  }
}

}  // namespace

bool ProcessorHasBytePermuteRows() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
}

bool BytePermuteDimRow(const RenderPlan& plan, const Layers& layers, int32_t yb, uint8_t* out_row) {
  const bool dims = plan.formula == Formula::kDimLights || plan.formula == Formula::kDimAddAll;
  if (!dims || !plan.dim_pattern) return false;
  LightOfRow lights[kMostLights];
  if (!LightsOfRow(plan, yb, lights)) return false;
  DimRow(plan, layers, yb, lights, out_row);
  return true;
}

void BytePermuteGainPass(bool whole, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                         const uint16_t* per_pixel, const uint16_t* per_byte, int32_t width, uint8_t* o) {
  if (whole) {
    GainPass<true>(b, t, m, per_pixel, per_byte, width, o);
  } else {
    GainPass<false>(b, t, m, per_pixel, per_byte, width, o);
  }
}

}  // namespace sylvane::renderers
#endif
