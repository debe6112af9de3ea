// Growth speed. One growth pass of 100 sample trees (budget 200) on a
// 1920 x 1080 canvas, with the Gaussian tables and brush shapes cached and, as
// the baseline from the same run, the literal algorithm: every Gaussian table
// rebuilt at its pick, every brush built cell by cell with its square roots.
// Drawing one 64 x 64 part sprite beside a plain copy of the same sprite's
// bytes.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "base/random.h"
#include "bench/bench_sprites.h"
#include "paint/brush.h"
#include "canvas/records/name_labels.h"
#include "trees/draw_part.h"
#include "trees/growth.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

using bench_sprites::DiscSprite;

constexpr int kW = 1920;
constexpr int kH = 1080;

struct PassFixture {
  std::unique_ptr<TreeTable> table = std::make_unique<TreeTable>();
  std::vector<Tree> planted;
  Surface trees;
  AlphaPlane weight;
  LabelList labels;

  PassFixture() {
    SeedRandom(12345);
    std::array<PartImage, kPartCount> parts = {DiscSprite(24, 0xFFF0F0, 0xE0A0C0), DiscSprite(16, 0xFFFFFF, 0xF0E0FF),
                                               DiscSprite(28, 0x60C040, 0x308020), DiscSprite(6, 0x406020, 0x406020)};
    for (int i = 0; i < TreeTable::kSlots; ++i) {
      Tree t;
      MakeSampleTree(t, 40 + (i % 20) * 92, 200 + (i / 20) * 200, 90);
      t.CopyParts(parts);
      t.state = 1;
      planted.push_back(std::move(t));
    }
    trees.CreateFilled(kW, kH, 0);
    weight.CreateFilled(kW, kH, 255);
  }

  // Every tree back at its planting, the canvas blank.
  void Reset() {
    for (int i = 0; i < TreeTable::kSlots; ++i) (*table)[i] = planted[size_t(i)];
    table->SetCount(TreeTable::kSlots);
    std::memset(trees.pixels.data(), 0, trees.pixels.size());
    std::memset(weight.bytes.data(), 255, weight.bytes.size());
    labels.Clear();
    SeedRandom(777);
  }

  GrowthEnv Env() {
    GrowthEnv env;
    env.tree_layer = &trees;
    env.weight = &weight;
    env.labels = &labels;
    return env;
  }
};

void RunPass(benchmark::State& state, bool cached) {
  static PassFixture* fixture = new PassFixture();
  SetGaussianCache(cached);
  SetBrushShapeCache(cached);
  const GrowthEnv env = fixture->Env();
  int64_t trees = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fixture->Reset();
    state.ResumeTiming();
    GrowthStats stats;
    GrowthPass(*fixture->table, env, 200, &stats);
    trees += stats.trees_handled;
  }
  SetGaussianCache(true);
  SetBrushShapeCache(true);
  state.counters["trees/pass"] = benchmark::Counter(double(trees) / double(state.iterations()));
}

void BM_GrowthPass100Trees_CachedTables(benchmark::State& state) { RunPass(state, true); }
void BM_GrowthPass100Trees_Literal(benchmark::State& state) { RunPass(state, false); }
BENCHMARK(BM_GrowthPass100Trees_CachedTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GrowthPass100Trees_Literal)->Unit(benchmark::kMicrosecond);

void BM_GaussianPickTurn_Cached(benchmark::State& state) {
  SeedRandom(1);
  for (auto _ : state) benchmark::DoNotOptimize(GaussianPick(0, 2, 90));
}
void BM_GaussianPickTurn_Rebuilt(benchmark::State& state) {
  SeedRandom(1);
  for (auto _ : state) benchmark::DoNotOptimize(GaussianPickUncached(0, 2, 90));
}
BENCHMARK(BM_GaussianPickTurn_Cached);
BENCHMARK(BM_GaussianPickTurn_Rebuilt);

void BM_DrawPart64(benchmark::State& state) {
  const PartImage sprite = DiscSprite(64, 0xFFE0E0, 0xC080A0);
  Surface trees;
  AlphaPlane weight;
  trees.CreateFilled(512, 512, 0);
  weight.CreateFilled(512, 512, 255);
  SeedRandom(3);
  int angle = 0;
  for (auto _ : state) {
    DrawPart(trees, weight, sprite, 256, 256, angle, 90);
    angle = (angle + 37) % 360 - 180;
  }
  benchmark::DoNotOptimize(trees.pixels.data());
}
BENCHMARK(BM_DrawPart64)->Unit(benchmark::kMicrosecond);

// Baseline: copying the 64 x 64 sprite's picture and alpha bytes once.
void BM_CopySprite64_Baseline(benchmark::State& state) {
  const PartImage sprite = DiscSprite(64, 0xFFE0E0, 0xC080A0);
  std::vector<uint8_t> out(sprite.surface.pixels.size() + sprite.alpha.bytes.size());
  for (auto _ : state) {
    std::memcpy(out.data(), sprite.surface.pixels.data(), sprite.surface.pixels.size());
    std::memcpy(out.data() + sprite.surface.pixels.size(), sprite.alpha.bytes.data(), sprite.alpha.bytes.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopySprite64_Baseline)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sylvane
