// Timelapse speed and memory: 600 frames of a growing 1280 x 720 garden (one
// growth pass and one render a frame) into an animated WebP through the
// animation writer, beside the bare libwebp animation encoder on the same
// frames and, as the floor, making the frames alone. The GIF writer on the
// same frames for comparison. Argument 0: one lighting throughout, so only
// the growing trees change; argument 1: the worst case, another renderer at
// every frame, so every frame changes whole. Counters: peak_MB is the
// process's peak resident memory during the run (the high-water mark is
// reset first), out_MB the animation's size.
#include <benchmark/benchmark.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/random.h"
#include "bench/bench_sprites.h"
#include "canvas/image/animation.h"
#include "canvas/records/name_labels.h"
#include "paint/lighting.h"
#include "trees/growth.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane {
namespace {

using bench_sprites::DiscSprite;

constexpr int kW = 1280;
constexpr int kH = 720;
constexpr int kFrames = 600;
constexpr int kTrees = 24;

// A garden that grows one pass a frame, the same frames from every start.
class GrowingGarden {
 public:
  GrowingGarden() {
    background_.Create(kW, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t* p = background_.PixelAt(x, y);
        // A sky-to-ground gradient with a fine texture, as a photograph has.
        const int grain = int((uint32_t(x * 7919 + y * 104729) >> 3) % 9);
        p[0] = uint8_t(200 - y * 120 / kH + grain);
        p[1] = uint8_t(150 + y * 60 / kH + grain);
        p[2] = uint8_t(90 + x * 40 / kW + grain);
      }
    background_.RefreshHeaders();
    parts_ = {DiscSprite(24, 0xFFF0F0, 0xE0A0C0), DiscSprite(16, 0xFFFFFF, 0xF0E0FF),
              DiscSprite(28, 0x60C040, 0x308020), DiscSprite(6, 0x406020, 0x406020)};
  }

  void Restart() {
    SeedRandom(2026);
    table_ = std::make_unique<TreeTable>();
    for (int i = 0; i < kTrees; ++i) {
      Tree t;
      MakeSampleTree(t, 60 + (i % 12) * 105, 330 + (i / 12) * 380, 90);
      t.CopyParts(parts_);
      t.state = 1;
      (*table_)[i] = std::move(t);
    }
    table_->SetCount(kTrees);
    trees_.CreateFilled(kW, kH, 0);
    weight_.CreateFilled(kW, kH, 255);
    labels_.Clear();
    frame_ = 0;
  }

  // One growth pass, then the lit picture; with changing_light each frame
  // takes the next renderer.
  const Surface& NextFrame(bool changing_light) {
    GrowthEnv env;
    env.tree_layer = &trees_;
    env.weight = &weight_;
    env.labels = &labels_;
    GrowthPass(*table_, env, 200);
    RenderLayers(changing_light ? frame_++ % kRendererCount : 0, background_, trees_, weight_, lit_);
    return lit_;
  }

 private:
  Surface background_;
  std::array<PartImage, kPartCount> parts_;
  std::unique_ptr<TreeTable> table_;
  Surface trees_;
  AlphaPlane weight_;
  LabelList labels_;
  Surface lit_;
  int frame_ = 0;
};

GrowingGarden& Garden() {
  static GrowingGarden* garden = new GrowingGarden();
  return *garden;
}

// Resets the peak resident memory to the current one (Linux).
void ResetPeakMemory() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

std::string OutPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

void Report(benchmark::State& state, double peak, double bytes) {
  state.counters["peak_MB"] = peak;
  state.counters["out_MB"] = bytes / (1 << 20);
  state.counters["frames"] = kFrames;
}

void RunWriter(benchmark::State& state, const char* name) {
  const std::string path = OutPath(name);
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Garden().Restart();
    ResetPeakMemory();
    state.ResumeTiming();
    AnimationWriter writer;
    if (writer.Open(path, kW, kH, 30) != kAnimationOk) state.SkipWithError("cannot open the output");
    for (int i = 0; i < kFrames; ++i) writer.AddFrame(Garden().NextFrame(state.range(0) != 0));
    if (writer.Finish() != kAnimationOk) state.SkipWithError("cannot write the output");
    peak = PeakMegabytes();
  }
  Report(state, peak, double(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

void BM_Timelapse600Frames_AnimationWriterWebp(benchmark::State& state) { RunWriter(state, "sylvane-bench.webp"); }
void BM_Timelapse600Frames_AnimationWriterGif(benchmark::State& state) { RunWriter(state, "sylvane-bench.gif"); }

// Baseline: libwebp's animation encoder called directly with the writer's
// settings, assembled in memory, nothing written.
void BM_Timelapse600Frames_BareWebpAnimEncoder(benchmark::State& state) {
  const AnimationSettings settings;
  double peak = 0, bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Garden().Restart();
    ResetPeakMemory();
    state.ResumeTiming();
    WebPConfig config;
    WebPConfigInit(&config);
    config.quality = float(settings.webp_quality);
    config.method = settings.webp_method;
    config.thread_level = 1;
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(kW, kH, &options);
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.width = kW;
    picture.height = kH;
    picture.use_argb = 1;
    WebPPictureAlloc(&picture);
    for (int i = 0; i < kFrames; ++i) {
      const Surface& frame = Garden().NextFrame(state.range(0) != 0);
      WebPPictureImportBGR(&picture, frame.BufferRow(kH - 1), -frame.stride);
      WebPAnimEncoderAdd(encoder, &picture, i * 1000 / 30, &config);
    }
    WebPAnimEncoderAdd(encoder, nullptr, kFrames * 1000 / 30, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    bytes = double(data.size);
    WebPDataClear(&data);
    WebPPictureFree(&picture);
    WebPAnimEncoderDelete(encoder);
    peak = PeakMegabytes();
  }
  Report(state, peak, bytes);
}

// The floor: growing and rendering the frames, no encoding.
void BM_Timelapse600Frames_FramesOnly(benchmark::State& state) {
  double peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Garden().Restart();
    ResetPeakMemory();
    state.ResumeTiming();
    for (int i = 0; i < kFrames; ++i) benchmark::DoNotOptimize(Garden().NextFrame(state.range(0) != 0).pixels.data());
    peak = PeakMegabytes();
  }
  Report(state, peak, 0);
}

BENCHMARK(BM_Timelapse600Frames_AnimationWriterWebp)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Timelapse600Frames_BareWebpAnimEncoder)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Timelapse600Frames_FramesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Timelapse600Frames_AnimationWriterGif)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace sylvane
