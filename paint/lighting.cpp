#include "paint/lighting.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "base/random.h"
#include "canvas/settings.h"
#include "paint/renderers.h"

namespace sylvane {
namespace {

const LightingMode kModes[kLightingModeCount] = {
    {0, "00 なし（オフ）", 40035, "なし（オフ）", 0},
    {1, "01 一日の色彩（時刻ごとに変化）", 40036, "一日の色彩（時刻ごとに変化）", kRendererByTimeOfDay},
    {2, "02 5 colors", 40037, "5 colors", 7},
    {3, "03 ブルーライト", 40043, "ブルーライト", 9},
    {4, "04 深海", 40038, "深海（光源移動）", 10},
    {5, "05 たそがれ", 40039, "たそがれ", 11},
    {6, "06 ピーチ", 40040, "ピーチ", 12},
    {7, "07 グリーングラデーション", 40041, "グリーングラデーション", 13},
    {8, "08 アッパーライト", 40042, "アッパーライト", 14},
    {9, "09 ダウンライト", 40044, "ダウンライト", 15},
    {10, "10 4 points", 40045, "4 points", 16},
    {11, "11 5 colors", 40046, "3 colors", 17},
    {12, "12 格子1（光源移動・光色変化）", 40047, "格子1（光源移動・光色変化）", 18},
    {13, "13 格子2（光源移動・光色変化）", 40048, "格子2（光源移動・光色変化）", 19},
    {14, "14 4 corners", 40049, "4 corners", 20},
    {15, "15 シンプルライト", 40050, "シンプルスポットライト", 21},
    {16, "16 ポップ", 40051, "ポップ", 22},
    {17, "17 many points（光色変化）", 40053, "many points（光色変化）", 23},
    {18, "18 ジュエル（光源移動・光色変化）", 40052, "ジュエル（光源移動・光色変化）", 24},
    {19, "19 ランダム3points", 40054, "ランダム3points", 25},
    {20, "20 ランダム2points", 40055, "ランダム2points", 26},
    {21, "21 ランダム1points", 40056, "ランダム1points", 27},
    {22, "22 ランダムモード", 40057, "ランダムモード", kRendererAtRandom},
    {23, "23 シンプルライト（背景も適用）", 40078, "シンプルスポットライト", 28},
    {24, "24 アッパーライト（背景も適用）", 40079, "アッパーライト", 29},
    {25, "25 ダウンライト（背景も適用）", 40080, "ダウンライト", 30},
    {26, "26 4 points（背景も適用）", 40081, "4 points", 31},
    {27, "27 4 corners（背景も適用）", 40082, "4 corners", 32},
};

const LightingMenuGroup kMenuGroups[kLightingMenuGroupCount] = {
    {nullptr, 2, {40035, 40057}},
    {"ノーマルライト", 6, {40050, 40042, 40044, 40045, 40049, 40051}},
    {"ノーマルライト（背景にも適用）", 5, {40078, 40079, 40080, 40081, 40082}},
    {"色ライト", 6, {40037, 40046, 40043, 40039, 40040, 40041}},
    {"光色変化・光源移動", 7, {40056, 40055, 40054, 40036, 40052, 40053, 40038}},
    {"格子", 2, {40047, 40048}},
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

void RenderRows(const renderers::RenderPlan& plan, const renderers::Layers& layers, Surface& out,
                int32_t first, int32_t last) {
  renderers::RowScratch scratch;
  scratch.Reserve(plan.width);
  for (int32_t yb = first; yb < last; ++yb) {
    renderers::RenderRow(plan, layers, yb, scratch, out.BufferRow(yb));
  }
}

// Starts a thread for rows first..last-1; false when no thread could be
// started (the caller then renders them itself).
bool StartRows(std::vector<std::thread>& pool, const renderers::RenderPlan& plan,
               const renderers::Layers& layers, Surface& out, int32_t first, int32_t last) {
  try {
    pool.emplace_back(RenderRows, std::cref(plan), std::cref(layers), std::ref(out), first, last);
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace

namespace renderers {

void RenderRow(const RenderPlan& plan, const Layers& layers, int32_t yb, RowScratch& scratch,
               uint8_t* out_row) {
  const uint8_t* b = layers.background->BufferRow(yb);
  const uint8_t* t = layers.trees->BufferRow(yb);
  const uint8_t* m = layers.weight->BufferRow(yb);
  switch (plan.formula) {
    case Formula::kPlain:
      PlainRow(b, t, m, plan.width, out_row);
      break;
    case Formula::kDimLights:
    case Formula::kDimAddAll:
      DimLightsRow(plan, b, t, m, yb, scratch, out_row);
      break;
    case Formula::kPlainChannel:
      PlainChannelRow(plan, b, t, m, yb, scratch, out_row);
      break;
    case Formula::kGain:
    case Formula::kWhole:
      GainRow(plan, b, t, m, yb, scratch, out_row);
      break;
  }
  // Row padding is written too, so that the whole buffer is defined.
  const size_t used = size_t(plan.width) * 3;
  const size_t stride = size_t(StrideFor(plan.width));
  for (size_t i = used; i < stride; ++i) out_row[i] = 0;
}

}  // namespace renderers

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
  out.Create(w, h);
  const renderers::Layers layers{&background, &trees, &weight};
  const int threads = ThreadsFor(w, h);
  if (threads <= 1) {
    RenderRows(plan, layers, out, 0, h);
  } else {
    std::vector<std::thread> pool;
    pool.reserve(size_t(threads - 1));
    const int32_t per = h / threads;
    const int32_t extra = h % threads;
    int32_t first = 0;
    int32_t own_first = 0;
    int32_t own_last = 0;
    for (int i = 0; i < threads; ++i) {
      const int32_t last = first + per + (i < extra ? 1 : 0);
      if (i == threads - 1) {
        own_first = first;
        own_last = last;
      } else if (!StartRows(pool, plan, layers, out, first, last)) {
        RenderRows(plan, layers, out, first, last);
      }
      first = last;
    }
    RenderRows(plan, layers, out, own_first, own_last);
    for (std::thread& t : pool) t.join();
  }
  out.RefreshHeaders();
  return kRenderOk;
}

int RenderWithMode(int mode, const Surface& background, const Surface& trees,
                   const AlphaPlane& weight, Surface& out) {
  return RenderLayers(ChooseRenderer(mode), background, trees, weight, out);
}

int RenderCanvas(const Canvas& canvas, Surface& out) {
  return RenderWithMode(CurrentLightingMode(), canvas.background, canvas.trees, canvas.weight, out);
}

int CurrentLightingMode() { return Settings().lighting_mode; }

void SetLightingMode(int mode) { Settings().lighting_mode = mode; }

void SetLightingThreads(int threads) { g_threads.store(std::max(0, threads), std::memory_order_relaxed); }

}  // namespace sylvane
