// Lighting renderers on a 3840 x 2160 garden, beside a plain copy of the same
// bytes and renderer 0 in the same run.
//   BM_CopyBaseline           memcpy of one layer's bytes (what the output holds)
//   BM_Render/R               renderer R, rows split over the machine's cores
//   BM_RenderOneThread/R      renderer R on the calling thread only
// On a machine shared with other work the wall-clock figures of the threaded
// renders follow the load; the one-thread figures are also reported as the
// thread's CPU time (BM_CopyBaselineCpu beside them), which the load disturbs
// far less.
// Two gardens: "painted", every pixel covered by tree paint (the worst case:
// every light is evaluated everywhere), and "sparse", a third of the pixels
// painted in clumps, as a garden looks after a few weeks.
#include <benchmark/benchmark.h>

#include <cstring>

#include "base/random.h"
#include "canvas/image/surface.h"
#include "paint/lighting.h"

namespace {

using sylvane::AlphaPlane;
using sylvane::Surface;

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

uint32_t Mix(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 13;
  return h;
}

struct Garden {
  Surface background, trees;
  AlphaPlane weight;
};

Garden MakeGarden(bool sparse) {
  Garden g;
  g.background.CreateFilled(kWidth, kHeight, 0);
  g.trees.CreateFilled(kWidth, kHeight, 0);
  g.weight.CreateFilled(kWidth, kHeight, 255);
  for (int r = 0; r < kHeight; ++r) {
    uint8_t* b = g.background.BufferRow(r);
    uint8_t* t = g.trees.BufferRow(r);
    uint8_t* m = g.weight.BufferRow(r);
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) b[3 * x + c] = uint8_t(Mix(x, r, c));
      // Clumps 64 pixels wide: in the sparse garden one of three is painted.
      const bool painted = !sparse || Mix(x / 64, r / 64, 9) % 3 == 0;
      if (!painted) continue;
      const int weight = int(Mix(x, r, 5) % 255);
      m[x] = uint8_t(weight);
      for (int c = 0; c < 3; ++c) t[3 * x + c] = uint8_t(Mix(x, r, 6 + c) % uint32_t(256 - weight));
    }
  }
  return g;
}

const Garden& GetGarden(bool sparse) {
  static const Garden painted = MakeGarden(false);
  static const Garden clumps = MakeGarden(true);
  return sparse ? clumps : painted;
}

void BM_CopyBaseline(benchmark::State& state) {
  const Garden& g = GetGarden(false);
  Surface out;
  out.Create(kWidth, kHeight);
  for (auto _ : state) {
    std::memcpy(out.pixels.data(), g.background.pixels.data(), g.background.pixels.size());
    benchmark::DoNotOptimize(out.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g.background.pixels.size()));
}

void RenderBench(benchmark::State& state, bool sparse, int threads) {
  const Garden& g = GetGarden(sparse);
  const int renderer = int(state.range(0));
  sylvane::SetLightingThreads(threads);
  sylvane::SeedRandom(1);
  Surface out;
  for (auto _ : state) {
    sylvane::RenderLayers(renderer, g.background, g.trees, g.weight, out);
    benchmark::DoNotOptimize(out.pixels.data());
  }
  sylvane::SetLightingThreads(0);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(g.background.pixels.size()));
}

void BM_Render(benchmark::State& state) { RenderBench(state, false, 0); }
void BM_RenderSparse(benchmark::State& state) { RenderBench(state, true, 0); }
void BM_RenderOneThread(benchmark::State& state) { RenderBench(state, false, 1); }

BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render)->DenseRange(0, 32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderSparse)->Arg(0)->Arg(8)->Arg(24)->Arg(31)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyBaseline)->Name("BM_CopyBaselineCpu")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderOneThread)->DenseRange(0, 32)->Unit(benchmark::kMillisecond);

}  // namespace
