// Wallpaper pictures for several monitors: each monitor's picture is the lit
// garden fitted to that monitor's own pixel size by the wallpaper style, with
// the canvas's background colour around it; the virtual-desktop picture is
// the bounding box of all monitors (its top-left pixel is the box's top-left
// corner) with every monitor's picture drawn at its place and the background
// colour where no monitor is.
//
// How a style places the garden on one monitor of w x h pixels:
//   centre   the garden at its own size in the middle; a garden larger than
//            the monitor in either direction is shrunk (aspect kept) until
//            it fits, so every monitor shows the whole garden;
//   tile     the garden repeated at its own size from the monitor's
//            top-left corner;
//   stretch  the garden scaled (aspect kept) to the largest size that fits,
//            in the middle, so that a portrait monitor shows it across its
//            width with the colour above and below.
// Shrinking is bilinear (SmoothShrink); enlarging takes the nearest pixel.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/image/surface.h"

namespace sylvane {

// One monitor in virtual-desktop coordinates (pixels; the primary monitor's
// top-left corner is 0, 0, so others may have negative origins).
struct MonitorRect {
  int32_t x = 0;       // left edge
  int32_t y = 0;       // top edge
  int32_t width = 0;   // pixels across, > 0
  int32_t height = 0;  // pixels down, > 0

  bool operator==(const MonitorRect&) const = default;
};

// How the garden is placed on each monitor.
enum class MonitorFit {
  kCentre,
  kTile,
  kStretch,
};

// The fit of a wallpaper style string ("0" centre, "1" tile, "2" fit to the
// desktop); any other string centres, as the wallpaper output does.
MonitorFit FitForStyleString(std::string_view style);

// Where the garden lands on one monitor: its scaled size and its top-left
// corner inside the monitor (the first tile's corner for kTile).
struct GardenPlacement {
  int32_t x = 0;       // left edge inside the monitor, pixels
  int32_t y = 0;       // top edge inside the monitor, pixels
  int32_t width = 0;   // scaled garden width, pixels (>= 1)
  int32_t height = 0;  // scaled garden height, pixels (>= 1)
};

// The placement of a garden_w x garden_h garden on a monitor_w x monitor_h
// monitor (all sizes positive).
GardenPlacement PlaceGarden(int32_t garden_w, int32_t garden_h, int32_t monitor_w, int32_t monitor_h,
                            MonitorFit fit);

// The bounding box of the monitors (all zero for an empty list).
MonitorRect VirtualDesktop(const std::vector<MonitorRect>& monitors);

// Status codes of the composing functions.
enum class LayoutStatus {
  kOk,
  kNoGarden,    // the garden picture is empty
  kBadMonitor,  // a monitor of no pixels, or no monitors at all
  kTooLarge,    // the picture would exceed kMaxSurfaceSide on a side
};

// Both composing functions check their input first and leave out as it was
// when they refuse it; out's buffer is reused when it has the size already.
// (Only when memory runs out while shrinking the garden is out left partly
// drawn, with kTooLarge.)

// One monitor's picture: out becomes w x h (headers refreshed) with the
// garden placed by fit and background (COLORREF 0x00BBGGRR) around it.
LayoutStatus ComposeMonitorPicture(const Surface& garden, uint32_t background, MonitorFit fit, int32_t w,
                                   int32_t h, Surface& out);

// The picture covering the virtual desktop: out becomes the bounding box of
// monitors, filled with background, each monitor's picture drawn at its place
// (a later monitor covers an earlier one where they overlap).
LayoutStatus ComposeDesktopPicture(const Surface& garden, uint32_t background, MonitorFit fit,
                                   const std::vector<MonitorRect>& monitors, Surface& out);

// True when the picture across the desktop is one monitor's picture repeated:
// the monitors all have one size and fill their bounding box as a grid (no
// gaps, no overlaps, every corner a whole number of monitors from the box's).
// Tiled from any monitor's corner -- the box's, or the primary monitor's as
// some systems tile -- that one picture then shows the same desktop.
bool DesktopRepeatsOneMonitor(const std::vector<MonitorRect>& monitors);

// The picture to set tiled where the system has no wallpaper of each
// monitor: one monitor's picture when DesktopRepeatsOneMonitor, else the
// picture covering the virtual desktop (ComposeDesktopPicture).
LayoutStatus ComposeTiledDesktopPicture(const Surface& garden, uint32_t background, MonitorFit fit,
                                        const std::vector<MonitorRect>& monitors, Surface& out);

// Parses "WxH+X+Y,WxH+X+Y,..." (X and Y signed: "+-1920", "-1920" and
// "+1920" are all accepted; sizes positive). False with error set otherwise.
bool ParseMonitorList(std::string_view text, std::vector<MonitorRect>& out, std::string& error);

}  // namespace sylvane
