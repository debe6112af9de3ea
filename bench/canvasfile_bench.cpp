// Canvas files of a 3840 x 2160 garden: saving and opening (to and from disk
// and in memory), beside the bare PNG coding of the same two layers that makes
// up most of the work.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/random.h"
#include "canvas/canvas_file.h"
#include "canvas/image/image_io.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

struct BenchGarden {
  Canvas canvas;
  std::unique_ptr<TreeTable> table = std::make_unique<TreeTable>();
  LabelList labels;
  GardenRefs refs() { return GardenRefs{canvas, *table, labels}; }
};

// A garden whose tree layer carries soft round patches of paint over about a
// fifth of the canvas (the weight plane falls where paint lies), and ten
// sample trees.
BenchGarden& Garden() {
  static BenchGarden* g = [] {
    SeedRandom(1);
    auto* garden = new BenchGarden();
    SetUpCanvasLayers(garden->canvas, kWidth, kHeight, 0x00406080u, kBackgroundColour, Surface{}, 10, false);
    for (int k = 0; k < 400; ++k) {
      const int cx = Rand() % kWidth, cy = Rand() % kHeight, radius = 20 + Rand() % 60;
      const uint8_t red = uint8_t(Rand() % 256), green = uint8_t(Rand() % 256), blue = uint8_t(Rand() % 256);
      for (int y = std::max(0, cy - radius); y < std::min(kHeight, cy + radius); ++y) {
        for (int x = std::max(0, cx - radius); x < std::min(kWidth, cx + radius); ++x) {
          const double d = std::sqrt(double((x - cx) * (x - cx) + (y - cy) * (y - cy))) / radius;
          if (d >= 1.0) continue;
          const double cover = 1.0 - d;
          uint8_t* px = garden->canvas.trees.PixelAt(x, y);
          px[0] = uint8_t(blue * cover);
          px[1] = uint8_t(green * cover);
          px[2] = uint8_t(red * cover);
          garden->canvas.weight.BufferRow(kHeight - 1 - y)[x] = uint8_t(255 * (1.0 - cover));
        }
      }
    }
    for (int i = 0; i < 10; ++i) {
      Tree& t = (*garden->table)[i];
      MakeSampleTree(t, 100 + i * 300, 2000, 90);
      t.state = 1;
    }
    garden->table->SetCount(10);
    return garden;
  }();
  return *g;
}

std::string BenchFile() {
  return (std::filesystem::temp_directory_path() / "sylvane-canvasfile-bench.syl").string();
}

// Baseline: the tree layer with the weight plane as one RGBA PNG stream.
void BM_EncodePngLayers(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> png;
  for (auto _ : state) {
    EncodePng(g.canvas.trees, &g.canvas.weight, png);
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["bytes"] = double(png.size());
}
BENCHMARK(BM_EncodePngLayers)->Unit(benchmark::kMillisecond);

void BM_EncodeCanvasFile(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> bytes;
  for (auto _ : state) {
    EncodeCanvasFile(g.refs(), bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_EncodeCanvasFile)->Unit(benchmark::kMillisecond);

// Through a temporary file that is flushed to disk and renamed over the target.
void BM_SaveCanvasFile(benchmark::State& state) {
  BenchGarden& g = Garden();
  const std::string path = BenchFile();
  for (auto _ : state) benchmark::DoNotOptimize(SaveCanvasFile(g.refs(), path));
}
BENCHMARK(BM_SaveCanvasFile)->Unit(benchmark::kMillisecond);

// Baseline: decoding the PNG stream of the two layers.
void BM_DecodePngLayers(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> png;
  EncodePng(g.canvas.trees, &g.canvas.weight, png);
  Surface layer;
  AlphaPlane weight;
  for (auto _ : state) benchmark::DoNotOptimize(DecodePng(png.data(), png.size(), layer, &weight, false));
}
BENCHMARK(BM_DecodePngLayers)->Unit(benchmark::kMillisecond);

// Parse, take-over and the background layer rebuilt at the canvas size.
void BM_ReadCanvasFile(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> bytes;
  EncodeCanvasFile(g.refs(), bytes);
  BenchGarden target;
  for (auto _ : state) benchmark::DoNotOptimize(ReadCanvasFile(bytes.data(), bytes.size(), target.refs(), "b.syl"));
}
BENCHMARK(BM_ReadCanvasFile)->Unit(benchmark::kMillisecond);

void BM_OpenCanvasFile(benchmark::State& state) {
  BenchGarden& g = Garden();
  const std::string path = BenchFile();
  SaveCanvasFile(g.refs(), path);
  BenchGarden target;
  for (auto _ : state) benchmark::DoNotOptimize(OpenCanvasFile(target.refs(), path));
  std::remove(path.c_str());
}
BENCHMARK(BM_OpenCanvasFile)->Unit(benchmark::kMillisecond);

// Baseline: copying the bytes of the three layers once.
void BM_CopyLayers(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> copy;
  for (auto _ : state) {
    copy = g.canvas.trees.pixels;
    copy.insert(copy.end(), g.canvas.weight.bytes.begin(), g.canvas.weight.bytes.end());
    copy.insert(copy.end(), g.canvas.background.pixels.begin(), g.canvas.background.pixels.end());
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_CopyLayers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sylvane
