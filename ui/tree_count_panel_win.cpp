// The growing-tree count panel.
#include "ui/skin_panels_win.h"

namespace sylvane {

void TreeCountPanel::SetCount(int32_t count) {
  count_.store(count);
  // Only an invalidation: the worker thread may call this, and the window is
  // painted by the thread that owns it.
  if (HWND window = hwnd_) InvalidateRect(window, nullptr, FALSE);
}

std::string TreeCountPanel::Text() const { return FormatTreeCount(count_.load()); }

}  // namespace sylvane
