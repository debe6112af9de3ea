// Canvas files of a 3840 x 2160 garden: saving and opening (to and from disk
// and in memory), beside the bare PNG coding of the same two layers that makes
// up most of the work.
//   BM_Baseline_DefaultPngLayers  libpng alone at its default settings, the two
//                                 layers as ready-made RGBA rows
//   BM_SaveCanvasFile             the whole save, at most a quarter of that
//   BM_SaveCanvasFileFullLabels   the same with a full label list
//   BM_DecodePngLayers            decoding the stream a save writes
//   BM_OpenCanvasFile             the whole open, within a fifth above that
// The machine may be shared: compare CPU times.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>

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

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

// Only plain data in the frame that calls setjmp.
bool WriteDefaultPng(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* stream) {
  stream->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, stream, AppendPngBytes, NoFlush);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgba + size_t(y) * size_t(width) * 4);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Baseline: the tree layer with the weight plane as one RGBA stream, written
// by libpng with nothing but the header set (its default filters and level).
void BM_Baseline_DefaultPngLayers(benchmark::State& state) {
  BenchGarden& g = Garden();
  const Surface& s = g.canvas.trees;
  std::vector<uint8_t> rgba(size_t(s.width) * size_t(s.height) * 4);
  for (int y = 0; y < s.height; ++y) {
    const uint8_t* in = s.PixelAt(0, y);
    const uint8_t* a = g.canvas.weight.BufferRow(s.height - 1 - y);
    uint8_t* out = rgba.data() + size_t(y) * size_t(s.width) * 4;
    for (int x = 0; x < s.width; ++x, in += 3, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = a[x];
    }
  }
  std::vector<uint8_t> stream;
  for (auto _ : state) {
    if (!WriteDefaultPng(rgba.data(), s.width, s.height, &stream)) {
      state.SkipWithError("libpng failed");
      break;
    }
    benchmark::DoNotOptimize(stream.data());
  }
  state.counters["bytes"] = double(stream.size());
}
BENCHMARK(BM_Baseline_DefaultPngLayers)->Unit(benchmark::kMillisecond);

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
  state.counters["bytes"] = double(std::filesystem::file_size(path));
}
BENCHMARK(BM_SaveCanvasFile)->Unit(benchmark::kMillisecond);

// The same garden with a full label list (kMaxLabels labels whose file names
// are as long as the file keeps them, 5.3 MB of the file): the labels go to
// the file in pieces beside the PNG stream.
void BM_SaveCanvasFileFullLabels(benchmark::State& state) {
  BenchGarden& g = Garden();
  static LabelList* labels = [] {
    auto* list = new LabelList();
    std::string file = "sample.ki";
    while (file.size() + 4 <= 259) file += "_var";
    for (int i = 0; i < kMaxLabels; ++i) list->Add(LabelEntry{"sample_var", 1, 1, i % kWidth, i % kHeight, file});
    return list;
  }();
  const GardenRefs refs{g.canvas, *g.table, *labels};
  const std::string path = BenchFile();
  for (auto _ : state) benchmark::DoNotOptimize(SaveCanvasFile(refs, path));
  state.counters["bytes"] = double(std::filesystem::file_size(path));
}
BENCHMARK(BM_SaveCanvasFileFullLabels)->Unit(benchmark::kMillisecond);

// Baseline: decoding the PNG stream of the two layers as a save writes it.
void BM_DecodePngLayers(benchmark::State& state) {
  BenchGarden& g = Garden();
  std::vector<uint8_t> png;
  EncodePng(g.canvas.trees, &g.canvas.weight, png, PngPacking::kFast);
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
