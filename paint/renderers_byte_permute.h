// The dimmed-trees formulas with coloured lights (and renderer 6's variant)
// in one pass per row on 512-bit registers with byte permutes: every light's
// share and the three channels' sums stay in registers, and the pixels are
// worked on as interleaved bytes, the sums permuted into their order. Only
// x86-64 processors with 512-bit byte permutes run it; the other forms of the
// row code give the same bytes.
#pragma once
#include <cstdint>

#include "paint/renderers.h"

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define SYLVANE_HAS_BYTE_PERMUTE_ROWS 1

namespace sylvane::renderers {

bool ProcessorHasBytePermuteRows();

// Renders buffer row yb of out (pixels and padding) when the plan is one of
// those formulas on 16-bit lanes (dim_pattern) whose dim multipliers are
// exact for every T (no exceptions), with every light's values in a quarter
// table of bytes, and returns true; else writes nothing and returns false. Only on a processor for which ProcessorHasBytePermuteRows is true.
bool BytePermuteDimRow(const RenderPlan& plan, const Layers& layers, int32_t yb, uint8_t* out_row);

}  // namespace sylvane::renderers
#endif
