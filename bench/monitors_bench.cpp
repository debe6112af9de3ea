// Composing the wallpaper of two 3840 x 2160 monitors from a 1920 x 1080
// garden (fit style: every monitor shows it doubled), into a picture kept
// from one update to the next as the program keeps it. Baseline: a memcpy of
// the composed picture's bytes, the least any composing costs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "canvas/monitor_layout.h"

namespace sylvane {
namespace {

constexpr uint32_t kBackground = 0x00663b1d;

const Surface& Garden() {
  static Surface s = [] {
    Surface g;
    g.CreateFilled(1920, 1080, 0);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        uint8_t* p = g.PixelAt(x, y);
        p[0] = uint8_t(x);
        p[1] = uint8_t(y);
        p[2] = uint8_t(x ^ y);
      }
    g.RefreshHeaders();
    return g;
  }();
  return s;
}

const std::vector<MonitorRect> kSideBySide = {{0, 0, 3840, 2160}, {3840, 0, 3840, 2160}};
const std::vector<MonitorRect> kOffset = {{0, 0, 3840, 2160}, {3840, 200, 3840, 2160}};

void ComposeDesktop(benchmark::State& state, const std::vector<MonitorRect>& monitors) {
  Surface out;
  for (auto _ : state) {
    ComposeDesktopPicture(Garden(), kBackground, MonitorFit::kStretch, monitors, out);
    benchmark::DoNotOptimize(out.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.pixels.size()));
}

void BM_Baseline_MemcpyOffsetDesktop(benchmark::State& state) {
  const MonitorRect box = VirtualDesktop(kOffset);
  std::vector<uint8_t> from(size_t(StrideFor(box.width)) * size_t(box.height), 7), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(to.size()));
}

void BM_MonitorPicture(benchmark::State& state) {
  Surface out;
  for (auto _ : state) {
    ComposeMonitorPicture(Garden(), kBackground, MonitorFit::kStretch, 3840, 2160, out);
    benchmark::DoNotOptimize(out.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.pixels.size()));
}

void BM_DesktopPictureSideBySide(benchmark::State& state) { ComposeDesktop(state, kSideBySide); }
void BM_DesktopPictureOffset(benchmark::State& state) { ComposeDesktop(state, kOffset); }

BENCHMARK(BM_Baseline_MemcpyOffsetDesktop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonitorPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesktopPictureSideBySide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesktopPictureOffset)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sylvane
