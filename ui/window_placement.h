// Where a window opens the first time: beside an anchor window (the main
// window), inside the monitor's work area and never over the taskbar.
#pragma once
#include <cstdint>

namespace sylvane {

// A rectangle in screen pixels.
struct ScreenBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
  bool operator==(const ScreenBox&) const = default;
};

// Gap between the anchor and the placed window, pixels.
constexpr int32_t kPlacementGap = 8;

// A window of width x height (shrunk to the work area) beside `anchor`: to
// its right when it fits there, else to its left, else against the work
// area's side with more room; its top level with the anchor's, moved up or
// down as far as needed to stay inside the work area.
ScreenBox PlaceBeside(const ScreenBox& anchor, int32_t width, int32_t height, const ScreenBox& work);

// `box` shrunk to the work area and moved as little as possible to lie inside it.
ScreenBox KeepInside(const ScreenBox& box, const ScreenBox& work);

}  // namespace sylvane
