#include "paint/lighting.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/random.h"
#include "canvas/records/settings.h"
#include "paint/renderers.h"
#include "res/commands.h"

namespace sylvane {
namespace {

const LightingMode kModes[kLightingModeCount] = {
    {0, "00 なし（オフ）", CMD_LIGHT_FIRST, "なし（オフ）", 0},
    {1, "01 一日の色彩（時刻ごとに変化）", CMD_LIGHT_FIRST + 1, "一日の色彩（時刻ごとに変化）", kRendererByTimeOfDay},
    {2, "02 5 colors", CMD_LIGHT_FIRST + 2, "5 colors", 7},
    {3, "03 ブルーライト", CMD_LIGHT_FIRST + 8, "ブルーライト", 9},
    {4, "04 深海", CMD_LIGHT_FIRST + 3, "深海（光源移動）", 10},
    {5, "05 たそがれ", CMD_LIGHT_FIRST + 4, "たそがれ", 11},
    {6, "06 ピーチ", CMD_LIGHT_FIRST + 5, "ピーチ", 12},
    {7, "07 グリーングラデーション", CMD_LIGHT_FIRST + 6, "グリーングラデーション", 13},
    {8, "08 アッパーライト", CMD_LIGHT_FIRST + 7, "アッパーライト", 14},
    {9, "09 ダウンライト", CMD_LIGHT_FIRST + 9, "ダウンライト", 15},
    {10, "10 4 points", CMD_LIGHT_FIRST + 10, "4 points", 16},
    {11, "11 5 colors", CMD_LIGHT_FIRST + 11, "3 colors", 17},
    {12, "12 格子1（光源移動・光色変化）", CMD_LIGHT_FIRST + 12, "格子1（光源移動・光色変化）", 18},
    {13, "13 格子2（光源移動・光色変化）", CMD_LIGHT_FIRST + 13, "格子2（光源移動・光色変化）", 19},
    {14, "14 4 corners", CMD_LIGHT_FIRST + 14, "4 corners", 20},
    {15, "15 シンプルライト", CMD_LIGHT_FIRST + 15, "シンプルスポットライト", 21},
    {16, "16 ポップ", CMD_LIGHT_FIRST + 16, "ポップ", 22},
    {17, "17 many points（光色変化）", CMD_LIGHT_FIRST + 18, "many points（光色変化）", 23},
    {18, "18 ジュエル（光源移動・光色変化）", CMD_LIGHT_FIRST + 17, "ジュエル（光源移動・光色変化）", 24},
    {19, "19 ランダム3points", CMD_LIGHT_FIRST + 19, "ランダム3points", 25},
    {20, "20 ランダム2points", CMD_LIGHT_FIRST + 20, "ランダム2points", 26},
    {21, "21 ランダム1points", CMD_LIGHT_FIRST + 21, "ランダム1points", 27},
    {22, "22 ランダムモード", CMD_LIGHT_FIRST + 22, "ランダムモード", kRendererAtRandom},
    {23, "23 シンプルライト（背景も適用）", CMD_LIGHT_BG_FIRST, "シンプルスポットライト", 28},
    {24, "24 アッパーライト（背景も適用）", CMD_LIGHT_BG_FIRST + 1, "アッパーライト", 29},
    {25, "25 ダウンライト（背景も適用）", CMD_LIGHT_BG_FIRST + 2, "ダウンライト", 30},
    {26, "26 4 points（背景も適用）", CMD_LIGHT_BG_FIRST + 3, "4 points", 31},
    {27, "27 4 corners（背景も適用）", CMD_LIGHT_BG_FIRST + 4, "4 corners", 32},
};

const LightingMenuGroup kMenuGroups[kLightingMenuGroupCount] = {
    {nullptr, 2, {CMD_LIGHT_FIRST, CMD_LIGHT_FIRST + 22}},
    {"ノーマルライト", 6, {CMD_LIGHT_FIRST + 15, CMD_LIGHT_FIRST + 7, CMD_LIGHT_FIRST + 9, CMD_LIGHT_FIRST + 10, CMD_LIGHT_FIRST + 14, CMD_LIGHT_FIRST + 16}},
    {"ノーマルライト（背景にも適用）", 5, {CMD_LIGHT_BG_FIRST, CMD_LIGHT_BG_FIRST + 1, CMD_LIGHT_BG_FIRST + 2, CMD_LIGHT_BG_FIRST + 3, CMD_LIGHT_BG_FIRST + 4}},
    {"色ライト", 6, {CMD_LIGHT_FIRST + 2, CMD_LIGHT_FIRST + 11, CMD_LIGHT_FIRST + 8, CMD_LIGHT_FIRST + 4, CMD_LIGHT_FIRST + 5, CMD_LIGHT_FIRST + 6}},
    {"光色変化・光源移動", 7, {CMD_LIGHT_FIRST + 21, CMD_LIGHT_FIRST + 20, CMD_LIGHT_FIRST + 19, CMD_LIGHT_FIRST + 1, CMD_LIGHT_FIRST + 17, CMD_LIGHT_FIRST + 18, CMD_LIGHT_FIRST + 3}},
    {"格子", 2, {CMD_LIGHT_FIRST + 12, CMD_LIGHT_FIRST + 13}},
};

std::atomic<int> g_threads{0};

// Rows below this many pixels in all are rendered on the calling thread:
// starting threads would cost more than it saves.
constexpr int64_t kPixelsPerThread = 64 * 1024;

int ThreadsFor(int32_t width, int32_t height) {
  int wanted = g_threads.load(std::memory_order_relaxed);
  if (wanted <= 0) {
    const int64_t pixels = int64_t(width) * height;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    wanted = int(std::min<int64_t>(cores, std::max<int64_t>(1, pixels / kPixelsPerThread)));
  }
  return std::clamp(wanted, 1, std::max(1, height));
}

// Runs work(first, last) over 0..count split into `threads` contiguous
// shares, one on the calling thread. A share whose thread cannot be started
// runs on the calling thread too.
template <typename Work>
void SplitOverThreads(int64_t count, int threads, const Work& work) {
  if (threads <= 1 || count <= 1) {
    work(int64_t(0), count);
    return;
  }
  std::vector<std::thread> pool;
  pool.reserve(size_t(threads - 1));
  const int64_t per = count / threads;
  const int64_t extra = count % threads;
  int64_t first = 0;
  for (int i = 0; i < threads; ++i) {
    const int64_t last = first + per + (i < extra ? 1 : 0);
    bool started = false;
    if (i < threads - 1) {
      try {
        pool.emplace_back([&work, first, last] { work(first, last); });
        started = true;
      } catch (const std::system_error&) {
        started = false;
      }
    }
    if (!started) work(first, last);
    first = last;
  }
  for (std::thread& t : pool) t.join();
}

// Makes out a w x h picture, keeping its buffer when it already has that
// size: every byte is written by the render, so it needs no clearing.
void PrepareOutput(Surface& out, int32_t w, int32_t h) {
  if (out.width == w && out.height == h && out.stride == StrideFor(w) &&
      out.pixels.size() == size_t(h) * size_t(StrideFor(w))) {
    return;
  }
  out.Create(w, h);
}

}  // namespace

const LightingMode* LightingModes() { return kModes; }

int LightingModeForMenuId(int32_t menu_id) {
  for (const LightingMode& m : kModes) {
    if (m.menu_id == menu_id) return m.mode;
  }
  return -1;
}

const LightingMenuGroup* LightingMenuGroups() { return kMenuGroups; }

int RendererForTimeOfDay(int hour, int minute) {
  if (hour == 0 && minute < 10) return 6;
  if (hour < 4) return 5;
  if (hour < 7) return 1;
  if (hour < 10) return 2;
  if (hour < 12) return 0;
  if (hour < 13) return 8;
  if (hour < 16) return 0;
  if (hour < 19) return 3;
  if (hour < 23) return 4;
  return 5;
}

int ChooseRenderer(int mode) {
  if (mode < 0 || mode >= kLightingModeCount) return 0;
  const int32_t renderer = kModes[mode].renderer;
  if (renderer == kRendererByTimeOfDay) {
    const LocalTime now = GetPlatform().Now();
    return RendererForTimeOfDay(now.hour, now.minute);
  }
  if (renderer == kRendererAtRandom) return Rand() % kRendererCount;
  return renderer;
}

namespace {
std::mutex g_sun_mutex;
SunLighting g_sun;  // guarded by g_sun_mutex: renders read it from any thread
}  // namespace

void SetSunLighting(const SunLighting& lighting) {
  std::lock_guard lock(g_sun_mutex);
  g_sun = lighting;
}

SunLighting CurrentSunLighting() {
  std::lock_guard lock(g_sun_mutex);
  return g_sun;
}

SunLighting SunLightingFromOptions(const Options& options) {
  SunLighting out;
  out.follow_sun = options.lighting_source == kLightingSourceSun;
  out.place = {options.sun_latitude, options.sun_longitude, options.sun_utc_offset};
  return out;
}

int ChooseCurrentRenderer() {
  const SunLighting sun = CurrentSunLighting();
  if (sun.follow_sun) return RendererForSun(sun.place, GetPlatform().Now());
  return ChooseRenderer(CurrentLightingMode());
}

int RenderLayers(int renderer, const Surface& background, const Surface& trees,
                 const AlphaPlane& weight, Surface& out) {
  const int32_t w = trees.width;
  const int32_t h = trees.height;
  if (background.width != w || background.height != h || weight.width != w || weight.height != h ||
      background.byte_count() != trees.byte_count() || weight.bytes.size() != size_t(w) * size_t(h)) {
    out.Clear();
    return kRenderLayersDiffer;
  }
  if (renderer < 0 || renderer >= kRendererCount) renderer = 0;
  renderers::RenderPlan plan;
  renderers::PlanRender(renderer, w, h, plan);
  if (w <= 0 || h <= 0) {
    out.Clear();
    return kRenderOk;
  }
  PrepareOutput(out, w, h);
  const int threads = ThreadsFor(w, h);
  const int64_t quarter_rows = renderers::QuarterRowCount(plan);
  if (quarter_rows > 0) {
    SplitOverThreads(quarter_rows, threads, [&plan](int64_t first, int64_t last) {
      renderers::BuildQuarterRows(plan, first, last);
    });
  }
  const renderers::Layers layers{&background, &trees, &weight};
  SplitOverThreads(h, threads, [&plan, &layers, &out](int64_t first, int64_t last) {
    renderers::RowScratch scratch;
    scratch.Reserve(plan.width);
    for (int64_t yb = first; yb < last; ++yb) {
      renderers::RenderRow(plan, layers, int32_t(yb), scratch, out.BufferRow(int32_t(yb)));
    }
  });
  renderers::RecycleRenderStorage(plan, true);
  out.RefreshHeaders();
  return kRenderOk;
}

int RenderWithMode(int mode, const Surface& background, const Surface& trees,
                   const AlphaPlane& weight, Surface& out) {
  return RenderLayers(ChooseRenderer(mode), background, trees, weight, out);
}

int RenderCanvas(const Canvas& canvas, Surface& out) {
  return RenderLayers(ChooseCurrentRenderer(), canvas.background, canvas.trees, canvas.weight, out);
}

int CurrentLightingMode() { return Settings().lighting_mode; }

void SetLightingMode(int mode) { Settings().lighting_mode = mode; }

void SetLightingThreads(int threads) { g_threads.store(std::max(0, threads), std::memory_order_relaxed); }

}  // namespace sylvane
