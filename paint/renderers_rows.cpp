// Rendering one row: the kernels of renderer_kernels.h,
// renderer_light_kernels.h and renderer_gain_kernels.h compiled for the
// baseline processor and for ones with wider vector instructions, the widest
// the processor has chosen at run time.
#include <atomic>

#include "paint/renderer_gain_kernels.h"
#include "paint/renderer_kernels.h"
#include "paint/renderer_light_kernels.h"
#include "paint/renderers.h"
#include "paint/renderers_byte_permute.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SYLVANE_HAS_VECTOR_ROWS 1
// 256-bit vectors on Linux; on Windows the stack is only 16-byte aligned, so
// the vector code keeps to 128-bit registers there.
#ifdef _WIN32
#define SYLVANE_VECTOR_TARGET "sse4.2"
#else
#define SYLVANE_VECTOR_TARGET "avx2"
#endif
#endif

namespace sylvane::renderers {
namespace {

// Columns per span: a multiple of every period the renderers repeat with
// (lattice lines every 256, dots every 128), and small enough that a span's
// work arrays stay in the first-level cache. The coloured-light formulas
// take wider spans: they pass over the span once per light, and each pass
// costs its setting up.
constexpr int32_t kSpanColumns = 256;
constexpr int32_t kLightSpanColumns = 512;
static_assert(kSpanColumns % 256 == 0 && kLightSpanColumns % 256 == 0, "spans start on lattice and dot periods");

// byte_permutes: the form compiled for processors with 512-bit byte permutes.
SYLVANE_KERNEL void SpanBody(const RenderPlan& plan, const Layers& layers, int32_t yb, const kernels::Span& sp,
                             RowScratch& scratch, uint8_t* out_row, bool byte_permutes) {
  const uint8_t* b = layers.background->BufferRow(yb) + 3 * size_t(sp.x0);
  const uint8_t* t = layers.trees->BufferRow(yb) + 3 * size_t(sp.x0);
  const uint8_t* m = layers.weight->BufferRow(yb) + size_t(sp.x0);
  uint8_t* o = out_row + 3 * size_t(sp.x0);
  if (!plan.lights.empty()) kernels::PrefetchLights(plan, yb + 1, sp);
  switch (plan.formula) {
    case Formula::kPlain:
      kernels::Plain(b, t, m, sp.width, scratch, o);
      break;
    case Formula::kDimLights:
    case Formula::kDimAddAll:
      if (plan.dim_pattern) {
        kernels::DimLightsByPixel(plan, b, t, m, yb, sp, scratch, o);
      } else {
        kernels::DimLights(plan, b, t, m, yb, sp, scratch, o);
      }
      break;
    case Formula::kPlainChannel:
      kernels::PlainChannel(plan, b, t, m, yb, sp, scratch, o);
      break;
    case Formula::kGain:
    case Formula::kWhole:
      kernels::GainRow(plan, b, t, m, yb, sp, scratch, o, byte_permutes);
      break;
  }
}

SYLVANE_KERNEL void RowBody(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch,
                            uint8_t* out_row, bool byte_permutes = false) {
  const bool coloured = plan.formula == Formula::kDimLights || plan.formula == Formula::kDimAddAll;
  const int32_t span = coloured ? kLightSpanColumns : kSpanColumns;
  for (int32_t x0 = 0; x0 < plan.width; x0 += span) {
    const kernels::Span sp{x0, plan.width - x0 < span ? plan.width - x0 : span};
    SpanBody(plan, layers, yb, sp, scratch, out_row, byte_permutes);
  }
  // Row padding is written too, so that the whole buffer is defined.
  const int32_t used = plan.width * 3;
  const int32_t stride = StrideFor(plan.width);
  for (int32_t i = used; i < stride; ++i) out_row[i] = 0;
}

void BaselineRow(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch, uint8_t* out_row) {
  RowBody(plan, layers, yb, scratch, out_row);
}

#ifdef SYLVANE_HAS_VECTOR_ROWS
__attribute__((target(SYLVANE_VECTOR_TARGET))) void VectorRow(const RenderPlan& plan, const Layers& layers,
                                                              int32_t yb, RowScratch& scratch, uint8_t* out_row) {
  RowBody(plan, layers, yb, scratch, out_row);
}

bool ProcessorHasVectorRows() {
  __builtin_cpu_init();
  return __builtin_cpu_supports(SYLVANE_VECTOR_TARGET);
}

#ifndef _WIN32
// 512-bit registers where the processor has them (twice the lanes again).
#define SYLVANE_HAS_WIDE_ROWS 1
#define SYLVANE_WIDE_TARGET "avx512f,avx512bw,avx512vl,avx512dq,avx2,bmi2,prefer-vector-width=512"
__attribute__((target(SYLVANE_WIDE_TARGET))) void WideRow(const RenderPlan& plan, const Layers& layers, int32_t yb,
                                                          RowScratch& scratch, uint8_t* out_row) {
  RowBody(plan, layers, yb, scratch, out_row);
}

bool ProcessorHasWideRows() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
}

#ifdef SYLVANE_HAS_BYTE_PERMUTE_ROWS
// The wide form, with the dimmed-trees formulas in one pass where the plan
// allows and the gain formulas' last pass on byte permutes.
__attribute__((target(SYLVANE_WIDE_TARGET ",avx512vbmi"))) void BytePermuteRow(const RenderPlan& plan,
                                                                               const Layers& layers, int32_t yb,
                                                                               RowScratch& scratch, uint8_t* out_row) {
  if (!BytePermuteDimRow(plan, layers, yb, out_row)) RowBody(plan, layers, yb, scratch, out_row, true);
}

bool ProcessorHasBytePermuteWideRows() { return ProcessorHasWideRows() && ProcessorHasBytePermuteRows(); }
#endif
#endif
#endif

using RowFunction = void (*)(const RenderPlan&, const Layers&, int32_t, RowScratch&, uint8_t*);

RowFunction AutoRow() {
#ifdef SYLVANE_HAS_BYTE_PERMUTE_ROWS
  static const bool permutes = ProcessorHasBytePermuteWideRows();
  if (permutes) return BytePermuteRow;
#endif
#ifdef SYLVANE_HAS_WIDE_ROWS
  static const bool wide = ProcessorHasWideRows();
  if (wide) return WideRow;
#endif
#ifdef SYLVANE_HAS_VECTOR_ROWS
  static const bool vector = ProcessorHasVectorRows();
  if (vector) return VectorRow;
#endif
  return BaselineRow;
}

std::atomic<RowFunction> g_row{nullptr};

}  // namespace

void SelectRowCode(RowCode code) {
  RowFunction f = nullptr;
  if (code == RowCode::kBaseline) f = BaselineRow;
#ifdef SYLVANE_HAS_VECTOR_ROWS
  if (code == RowCode::kVector && ProcessorHasVectorRows()) f = VectorRow;
#endif
#ifdef SYLVANE_HAS_WIDE_ROWS
  if (code == RowCode::kWide && ProcessorHasWideRows()) f = WideRow;
#endif
#ifdef SYLVANE_HAS_BYTE_PERMUTE_ROWS
  if (code == RowCode::kWideBytePermutes && ProcessorHasBytePermuteWideRows()) f = BytePermuteRow;
#endif
  g_row.store(f, std::memory_order_relaxed);
}

void RenderRow(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch, uint8_t* out_row) {
  RowFunction f = g_row.load(std::memory_order_relaxed);
  if (!f) f = AutoRow();
  f(plan, layers, yb, scratch, out_row);
}

}  // namespace sylvane::renderers
