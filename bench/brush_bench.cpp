// Brush pattern building and stamping, beside a baseline from the same run:
// the random draws one build makes (6 x 64 for an 8 x 8 pattern) plus copying
// the 64 cells of one variant, which is the least a build and stamp must do.
#include <benchmark/benchmark.h>

#include <cstring>

#include "base/random.h"
#include "canvas/image/surface.h"
#include "paint/brush.h"

namespace sylvane {
namespace {

void BM_Baseline_Draws384_Copy64(benchmark::State& state) {
  SeedRandom(1);
  float source[64];
  float target[64];
  for (int i = 0; i < 64; ++i) source[i] = i * 0.01f;
  for (auto _ : state) {
    int sum = 0;
    for (int i = 0; i < kBrushVariants * 64; ++i) sum += Rand();
    std::memcpy(target, source, sizeof target);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(target);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Baseline_Draws384_Copy64);

void BuildBench(benchmark::State& state, bool shapes) {
  SeedRandom(1);
  SetBrushShapeCache(shapes);
  BrushPattern p;
  for (auto _ : state) {
    p.Build(1, 8, 8, 150, 100, 90);
    benchmark::DoNotOptimize(p.cells.cells.data());
  }
  SetBrushShapeCache(true);
}
void BM_BrushBuild_Type1_8x8(benchmark::State& state) { BuildBench(state, true); }
void BM_BrushBuild_Type1_8x8_Literal(benchmark::State& state) { BuildBench(state, false); }
BENCHMARK(BM_BrushBuild_Type1_8x8);
BENCHMARK(BM_BrushBuild_Type1_8x8_Literal);

// A type-1 dab of state.range(0) x state.range(0) cells stamped along a row.
void BM_BrushStamp_Type1(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  SeedRandom(1);
  Surface trees;
  trees.CreateFilled(600, 400, 0);
  AlphaPlane weight;
  weight.CreateFilled(600, 400, 255);
  BrushPattern p;
  p.Build(1, size, size, 150, 100, 90);
  int x = 0;
  for (auto _ : state) {
    StampBrush(p, x, 200, 120, 200, 60, trees, weight);
    x = (x + 3) % 600;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BrushStamp_Type1)->Arg(8)->Arg(2);

}  // namespace
}  // namespace sylvane
