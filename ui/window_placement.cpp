#include "ui/window_placement.h"

#include <algorithm>

namespace sylvane {

ScreenBox KeepInside(const ScreenBox& box, const ScreenBox& work) {
  ScreenBox b = box;
  b.width = std::max<int32_t>(0, std::min(b.width, work.width));
  b.height = std::max<int32_t>(0, std::min(b.height, work.height));
  b.left = std::clamp(b.left, work.left, work.right() - b.width);
  b.top = std::clamp(b.top, work.top, work.bottom() - b.height);
  return b;
}

ScreenBox PlaceBeside(const ScreenBox& anchor, int32_t width, int32_t height, const ScreenBox& work) {
  ScreenBox b{0, anchor.top, std::min(width, work.width), std::min(height, work.height)};
  const int32_t right_side = anchor.right() + kPlacementGap;
  const int32_t left_side = anchor.left - kPlacementGap - b.width;
  if (right_side + b.width <= work.right()) {
    b.left = right_side;
  } else if (left_side >= work.left) {
    b.left = left_side;
  } else {
    const int32_t room_right = work.right() - anchor.right();
    const int32_t room_left = anchor.left - work.left;
    b.left = room_right >= room_left ? work.right() - b.width : work.left;
  }
  return KeepInside(b, work);
}

}  // namespace sylvane
