// The first start's welcome and the recommended garden it offers.
#pragma once
#include <windows.h>

namespace sylvane::app {

// Shows the welcome window and the tray balloon while there is no garden yet.
void ShowWelcome(HWND main);

// "おすすめの庭を作る": after the save question when a garden exists, a canvas
// the size of the desktop with a 10-minute clock and a few starter trees
// planted along its bottom edge, grown a little at once; then the wallpaper.
void MakeRecommendedGarden(HWND main);

}  // namespace sylvane::app
