// First placement of windows beside the main window (ui/window_placement.h).
#include <gtest/gtest.h>

#include "ui/window_placement.h"

namespace sylvane {
namespace {

const ScreenBox kWork{0, 0, 1280, 984};  // a 1280 x 1024 screen with a 40-pixel taskbar at the bottom

TEST(WindowPlacement, BesideTheMainWindowOnTheRightWhenThereIsRoom) {
  const ScreenBox main{510, 480, 260, 64};
  const ScreenBox b = PlaceBeside(main, 400, 300, kWork);
  EXPECT_EQ(b.left, 770 + kPlacementGap);
  EXPECT_EQ(b.width, 400);
  EXPECT_EQ(b.height, 300);
  EXPECT_EQ(b.top, 480);
}

TEST(WindowPlacement, OnTheLeftWhenTheRightIsTooNarrowAndNeverBelowTheWorkArea) {
  const ScreenBox main{1000, 900, 260, 64};
  const ScreenBox b = PlaceBeside(main, 600, 500, kWork);
  EXPECT_EQ(b.right(), 1000 - kPlacementGap);
  EXPECT_EQ(b.bottom(), kWork.bottom()) << "moved up to clear the taskbar";
  EXPECT_EQ(b.height, 500);
}

TEST(WindowPlacement, AWindowLargerThanTheWorkAreaIsShrunkToItAndCoversNoTaskbar) {
  const ScreenBox main{510, 480, 260, 64};
  const ScreenBox b = PlaceBeside(main, 3840, 2160, kWork);
  EXPECT_EQ(b, kWork);
}

TEST(WindowPlacement, NeitherSideFitsThenTheSideWithMoreRoom) {
  const ScreenBox main{300, 100, 260, 64};
  const ScreenBox b = PlaceBeside(main, 900, 400, kWork);
  EXPECT_EQ(b.right(), kWork.right());
  EXPECT_GE(b.left, kWork.left);
}

TEST(WindowPlacement, KeepInsideRespectsAWorkAreaThatDoesNotStartAtZero) {
  const ScreenBox work{0, 40, 1280, 984};  // taskbar at the top
  EXPECT_EQ(KeepInside(ScreenBox{-50, 0, 300, 200}, work), (ScreenBox{0, 40, 300, 200}));
  EXPECT_EQ(KeepInside(ScreenBox{1200, 1000, 300, 200}, work), (ScreenBox{980, 824, 300, 200}));
  EXPECT_EQ(KeepInside(ScreenBox{10, 50, 2000, 2000}, work), work);
}

}  // namespace
}  // namespace sylvane
