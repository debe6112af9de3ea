// The row code on 512-bit registers with byte permutes. The dimmed-trees
// formulas with coloured lights (and renderer 6's variant) run in one pass
// per row: every light's share and the three channels' sums stay in
// registers, and the pixels are worked on as interleaved bytes, the sums
// permuted into their order. The gain formulas' last pass spreads each
// pixel's weight and gain over its channel bytes in registers. Only x86-64
// processors with 512-bit byte permutes run it; the other forms of the row
// code give the same bytes.
#pragma once
#include <cstdint>

#include "paint/renderers.h"

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define SYLVANE_HAS_BYTE_PERMUTE_ROWS 1

namespace sylvane::renderers {

bool ProcessorHasBytePermuteRows();

// Renders buffer row yb of out (pixels and padding) when the plan is one of
// those formulas on 16-bit lanes (dim_pattern) with every light's values in
// a quarter table of bytes, and returns true; else writes nothing and
// returns false. Only on a processor for which ProcessorHasBytePermuteRows is true.
bool BytePermuteDimRow(const RenderPlan& plan, const Layers& layers, int32_t yb, uint8_t* out_row);

// The last pass of the gain formulas over a span of width pixels: F3 (the
// whole picture) when whole, else F1 (gain on the trees), the gains given
// one per pixel (per_pixel), or else one per channel byte (per_byte).
void BytePermuteGainPass(bool whole, const uint8_t* b, const uint8_t* t, const uint8_t* m,
                         const uint16_t* per_pixel, const uint16_t* per_byte, int32_t width, uint8_t* o);

}  // namespace sylvane::renderers
#endif
