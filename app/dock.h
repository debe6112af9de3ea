// One step of dragging the main window, with docking onto the wallpaper
// changer: while docked the changer hangs under the main window's bottom edge
// and moves with it; an undocked main window snaps onto the changer's top
// when its bottom comes within 9 pixels of it while the two overlap
// horizontally. Screen pixels throughout. Portable, so that it can be tested
// without windows.
#pragma once
#include <cstdlib>

namespace sylvane::app {

// Docked state of the main window.
constexpr int kUndocked = 0;
constexpr int kDocked = 2;
// The bottom of the main window snaps when it is closer than this to the changer's top.
constexpr int kSnapDistance = 10;
// The main window's left snaps to the changer's left within this many pixels.
constexpr int kSnapLeft = 9;

struct DockInput {
  int cursor_x = 0, cursor_y = 0;  // cursor now
  int grab_x = 0, grab_y = 0;      // cursor minus the main window's left and top when the drag started
  int bottom_gap = 0;              // the main window's bottom minus the cursor's y when the drag started
  int main_width = 0;              // width of the main window
  int docked = kUndocked;          // kDocked while the main window hangs on the changer
  int dock_offset = 0;             // cursor x minus the changer's left while docked
  bool has_changer = false;        // a visible changer exists
  int changer_left = 0, changer_top = 0, changer_right = 0;  // its rectangle now
};

struct DockResult {
  int main_x = 0, main_y = 0;        // new top-left of the main window
  bool move_changer = false;         // the changer moves too
  int changer_x = 0, changer_y = 0;  // its new top-left when it moves
  int docked = kUndocked;
  int dock_offset = 0;
};

inline DockResult DragStep(const DockInput& in) {
  DockResult r;
  r.docked = in.docked;
  r.dock_offset = in.dock_offset;
  r.main_x = in.cursor_x - in.grab_x;
  r.main_y = in.cursor_y - in.grab_y;
  if (!in.has_changer) return r;
  if (in.docked == kDocked) {
    r.move_changer = true;
    r.changer_x = in.cursor_x - in.dock_offset;
    r.changer_y = in.cursor_y + in.bottom_gap;
    return r;
  }
  int gap = in.cursor_y + in.bottom_gap - in.changer_top;
  int main_left = in.cursor_x - in.grab_x;
  int main_right = main_left + in.main_width;
  bool overlap = in.changer_left < main_right && main_left < in.changer_right;
  if (std::abs(gap) < kSnapDistance && overlap) {
    r.main_y = in.changer_top - in.bottom_gap - in.grab_y;
    r.main_x = std::abs(main_left - in.changer_left) <= kSnapLeft ? in.changer_left : main_left;
    r.docked = kDocked;
    r.dock_offset = in.cursor_x - in.changer_left;
  }
  return r;
}

}  // namespace sylvane::app
