// Lighting: turns the three canvas layers into the finished picture. One of 28
// lighting modes (0..27, an application setting) selects one of 33 renderers
// (0..32): directly, by the local time of day (mode 1) or at random at every
// render (mode 22).
//
// Every renderer is made of soft round light spots whose strength falls off
// with the integer distance d to the light, spot(d; r, k) = trunc(r / sqrt(d^2
// + r^2) * k), combined with the layers by one of five formulas (plain, gain on
// the trees, dimmed trees with coloured lights, whole-picture gain, plain plus
// one coloured channel). Positions count rows from the bottom of the picture
// (the buffer row order).
//
// Rendering is a pure function of the layers: they are only read, so a copy
// taken while a growth pass paints may be handed to it from any thread. The
// only shared state it touches is the random generator (renderers 10, 18, 19,
// 23 to 27 and mode 22 draw from it).
#pragma once
#include <cstdint>

#include "canvas/image/surface.h"
#include "canvas/records/options.h"
#include "paint/canvas.h"
#include "paint/sun.h"
#include "platform/platform.h"

namespace sylvane {

constexpr int kLightingModeCount = 28;  // modes 0..27
constexpr int kRendererCount = 33;      // renderers 0..32

// Renderer entries of the mode table that are not a fixed index.
constexpr int32_t kRendererByTimeOfDay = -1;  // mode 1
constexpr int32_t kRendererAtRandom = -2;     // mode 22: rand() % 33 at every render

// One lighting mode. Labels are Shift-JIS, as compiled.
struct LightingMode {
  int32_t mode;            // 0..27
  const char* list_label;  // entry of the lighting list in the application settings
  int32_t menu_id;         // command id of the lighting menu entry that selects it
  const char* menu_label;  // text of that menu entry
  int32_t renderer;        // 0..32, kRendererByTimeOfDay or kRendererAtRandom
};

// The 28 modes, index = mode.
const LightingMode* LightingModes();
// The mode a lighting menu command selects, or -1 when id is not one.
int LightingModeForMenuId(int32_t menu_id);

// A group of the lighting menu: its submenu label (nullptr for the entries at
// the top of the menu) and its command ids in menu order.
struct LightingMenuGroup {
  const char* label;
  int32_t count;        // entries used in ids
  int32_t ids[7];
};
constexpr int kLightingMenuGroupCount = 6;
const LightingMenuGroup* LightingMenuGroups();

// The renderer of mode 1 at a local time: 6 at 0:00-0:09, 5 at 0:10-3:59,
// 1 at 4:00-6:59, 2 at 7:00-9:59, 0 at 10:00-11:59, 8 at 12:00-12:59, 0 at
// 13:00-15:59, 3 at 16:00-18:59, 4 at 19:00-22:59, 5 at 23:00-23:59.
int RendererForTimeOfDay(int hour, int minute);

// The renderer for mode at this render: reads the local time through the
// platform for mode 1, draws rand() % 33 for mode 22; a mode outside 0..27
// uses renderer 0.
int ChooseRenderer(int mode);

// Where the current lighting takes its renderer from: the lighting mode, or
// (following the sun) the time-of-day phases of the real sun at a place,
// read from the local clock as the place's local time.
struct SunLighting {
  bool follow_sun = false;  // true: the sun's phase now, whatever the mode
  SunPlace place;           // where the sun is followed
};
void SetSunLighting(const SunLighting& lighting);
SunLighting CurrentSunLighting();
// The sun lighting the options name ([lighting] source and [sun]).
SunLighting SunLightingFromOptions(const Options& options);

// The renderer of the current lighting at this render: the sun's phase at
// the local time when the lighting follows the sun, otherwise
// ChooseRenderer(CurrentLightingMode()).
int ChooseCurrentRenderer();

// Status codes of the render functions.
constexpr int kRenderOk = 0;
constexpr int kRenderLayersDiffer = -1;  // the three layers are not all the same size; out empty

// Renders the layers with renderer (0..32; any other index renders as 0) into
// out, which is re-created at the tree layer's size (empty for an empty
// canvas). Pixels renderers 18 and 19 leave out of their lattice are black.
int RenderLayers(int renderer, const Surface& background, const Surface& trees,
                 const AlphaPlane& weight, Surface& out);

// ChooseRenderer(mode), then RenderLayers.
int RenderWithMode(int mode, const Surface& background, const Surface& trees,
                   const AlphaPlane& weight, Surface& out);

// Renders the canvas with the current lighting (ChooseCurrentRenderer).
int RenderCanvas(const Canvas& canvas, Surface& out);

// The current lighting mode (the application setting) and "set mode": stores
// n (callers then re-render). A value outside 0..27 is stored as given and
// renders as renderer 0.
int CurrentLightingMode();
void SetLightingMode(int mode);

// Worker threads a render splits its rows over: 0 (the default) picks by the
// machine's cores and the canvas size; 1 renders on the calling thread only.
void SetLightingThreads(int threads);

}  // namespace sylvane
