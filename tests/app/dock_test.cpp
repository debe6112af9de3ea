// Dragging the main window and docking it onto the wallpaper changer.
#include "app/dock.h"

#include <gtest/gtest.h>

namespace sylvane::app {
namespace {

// A main window 200 x 60 grabbed 30, 20 from its top-left (bottom gap 40);
// the changer 250 wide at (100, 300).
DockInput Base(int cursor_x, int cursor_y) {
  DockInput in;
  in.cursor_x = cursor_x;
  in.cursor_y = cursor_y;
  in.grab_x = 30;
  in.grab_y = 20;
  in.bottom_gap = 40;
  in.main_width = 200;
  in.has_changer = true;
  in.changer_left = 100;
  in.changer_top = 300;
  in.changer_right = 350;
  return in;
}

TEST(DragStep, FarFromTheChangerTheWindowFollowsTheCursor) {
  DockResult r = DragStep(Base(500, 100));
  EXPECT_EQ(r.main_x, 470);
  EXPECT_EQ(r.main_y, 80);
  EXPECT_EQ(r.docked, kUndocked);
  EXPECT_FALSE(r.move_changer);
}

TEST(DragStep, BottomWithinNinePixelsOfTheChangerTopSnapsAndDocks) {
  // Bottom = cursor y + 40 = 291: 9 pixels above the changer's top.
  DockResult r = DragStep(Base(160, 251));
  EXPECT_EQ(r.docked, kDocked);
  EXPECT_EQ(r.main_y, 300 - 40 - 20) << "the bottom meets the changer's top";
  EXPECT_EQ(r.main_y + 60, 300);
  EXPECT_EQ(r.main_x, 130) << "left 130 is 30 pixels from the changer's left: no snap";
  EXPECT_EQ(r.dock_offset, 60);
  EXPECT_FALSE(r.move_changer);
}

TEST(DragStep, BottomTenPixelsAwayDoesNotSnap) {
  DockResult r = DragStep(Base(160, 250));  // bottom 290
  EXPECT_EQ(r.docked, kUndocked);
  EXPECT_EQ(r.main_y, 230);
  DockResult below = DragStep(Base(160, 270));  // bottom 310: 10 below
  EXPECT_EQ(below.docked, kUndocked);
  DockResult inside = DragStep(Base(160, 269));  // bottom 309: 9 below
  EXPECT_EQ(inside.docked, kDocked);
}

TEST(DragStep, LeftEdgeSnapsToTheChangersLeftWithinNinePixels) {
  DockResult r = DragStep(Base(139, 255));  // left 109
  EXPECT_EQ(r.docked, kDocked);
  EXPECT_EQ(r.main_x, 100);
  DockResult r2 = DragStep(Base(140, 255));  // left 110: ten pixels away
  EXPECT_EQ(r2.main_x, 110);
  DockResult r3 = DragStep(Base(121, 255));  // left 91: nine pixels left of it
  EXPECT_EQ(r3.main_x, 100);
}

TEST(DragStep, NoSnapWithoutHorizontalOverlap) {
  DockResult right = DragStep(Base(380, 255));  // main 350..550 touches the changer's right edge only
  EXPECT_EQ(right.docked, kUndocked);
  DockResult left = DragStep(Base(-70, 255));   // main -100..100 ends at the changer's left
  EXPECT_EQ(left.docked, kUndocked);
  DockResult overlap = DragStep(Base(-69, 255));
  EXPECT_EQ(overlap.docked, kDocked);
}

TEST(DragStep, DockedTheChangerHangsUnderTheWindowAndMovesWithIt) {
  DockInput in = Base(400, 500);
  in.docked = kDocked;
  in.dock_offset = 60;
  DockResult r = DragStep(in);
  EXPECT_EQ(r.main_x, 370);
  EXPECT_EQ(r.main_y, 480);
  EXPECT_TRUE(r.move_changer);
  EXPECT_EQ(r.changer_x, 340);
  EXPECT_EQ(r.changer_y, 540) << "the changer's top is the window's bottom";
  EXPECT_EQ(r.docked, kDocked);
}

TEST(DragStep, WithoutAChangerNothingDocks) {
  DockInput in = Base(160, 255);
  in.has_changer = false;
  DockResult r = DragStep(in);
  EXPECT_EQ(r.docked, kUndocked);
  EXPECT_EQ(r.main_x, 130);
  EXPECT_EQ(r.main_y, 235);
}

}  // namespace
}  // namespace sylvane::app
