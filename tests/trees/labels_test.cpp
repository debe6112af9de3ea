// The name-label list and the placement of a label in the canvas window.
#include <gtest/gtest.h>

#include "canvas/records/name_labels.h"

#include <thread>

namespace sylvane {
namespace {

LabelEntry At(int x, int y) {
  LabelEntry e;
  e.name = "ki";
  e.x = x;
  e.y = y;
  return e;
}

TEST(LabelList, StartsEmptyWhiteAndTwelvePixelsHigh) {
  LabelList list;
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.text_colour, 0x00FFFFFF);
  EXPECT_EQ(list.font_height, 12);
  EXPECT_EQ(list.display_mode, kLabelsOff);
}

TEST(LabelList, AddKeepsOrderAndClearKeepsColourAndFont) {
  LabelList list;
  list.text_colour = 0x123456;
  list.font_height = 20;
  list.display_mode = kLabelsNames;
  list.Add(At(1, 2));
  LabelEntry second = At(3, 4);
  second.name = std::string(300, 'a');  // longer than a char[260] holds
  list.Add(second);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.entries[0].x, 1);
  EXPECT_EQ(list.entries[1].y, 4);
  EXPECT_EQ(list.entries[1].name.size(), 259u);
  list.Clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.text_colour, 0x123456);
  EXPECT_EQ(list.font_height, 20);
  EXPECT_EQ(list.display_mode, kLabelsNames);
}

TEST(LabelList, SnapshotsWhileAnotherThreadAdds) {
  LabelList list;
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) list.Add(At(i, i));
  });
  size_t last = 0;
  for (int i = 0; i < 200; ++i) {
    const std::vector<LabelEntry> copy = list.Snapshot();
    EXPECT_GE(copy.size(), last);
    for (size_t k = 0; k < copy.size(); ++k) EXPECT_EQ(copy[k].x, int(k));
    last = copy.size();
  }
  writer.join();
  EXPECT_EQ(list.Snapshot().size(), 2000u);
}

TEST(LabelList, MutantsShowTheirNameWithVar) {
  EXPECT_EQ(LabelDisplayName("sakura", 0), "sakura");
  EXPECT_EQ(LabelDisplayName("sakura", 1), "sakura_var");
  EXPECT_EQ(LabelDisplayName(std::string(258, 'x'), 1).size(), 259u);
}

TEST(PlaceLabel, GoesRightAndUpWhereThereIsRoom) {
  const LabelPlacement p = PlaceLabel(At(100, 100), 800, 1.0f, 12);
  EXPECT_EQ(p.anchor_x, 110);
  EXPECT_EQ(p.anchor_y, 130);
  EXPECT_EQ(p.end_x, 120);
  EXPECT_EQ(p.end_y, 100);
  EXPECT_EQ(p.text_x, 120);
  EXPECT_EQ(p.text_y, 94);
}

TEST(PlaceLabel, WithinOneHundredNinetyPixelsOfTheRightEdgeGoesLeftAtEveryZoom) {
  const int width = 800;
  for (float zoom : {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f}) {
    SCOPED_TRACE(zoom);
    const LabelPlacement inside = PlaceLabel(At(width - 150, 300), width, zoom, 12);
    EXPECT_LT(inside.end_x, inside.anchor_x);
    const LabelPlacement clear = PlaceLabel(At(width - 400, 300), width, zoom, 12);
    EXPECT_GT(clear.end_x, clear.anchor_x);
  }
  // At zoom 1 the turn comes exactly past 190 pixels from the edge.
  EXPECT_GT(PlaceLabel(At(610, 300), 800, 1.0f, 12).end_x, 620);
  EXPECT_LT(PlaceLabel(At(611, 300), 800, 1.0f, 12).end_x, 621);
}

TEST(PlaceLabel, NearTheTopTheLineGoesDown) {
  EXPECT_EQ(PlaceLabel(At(50, 44), 800, 1.0f, 12).end_y, 44 + 30 + 30);
  EXPECT_EQ(PlaceLabel(At(50, 45), 800, 1.0f, 12).end_y, 45 + 30 - 30);
}

TEST(PlaceLabel, AtZoomOneTenthTheLinesSpanOneAndNineteenPixels) {
  const LabelPlacement right = PlaceLabel(At(100, 500), 1000, 0.1f, 12);
  EXPECT_EQ(right.end_x - right.anchor_x, 1);
  EXPECT_EQ(right.anchor_y - right.end_y, 3);
  const LabelPlacement left = PlaceLabel(At(990, 500), 1000, 0.1f, 12);
  EXPECT_EQ(left.anchor_x - left.end_x, 19);
}

}  // namespace
}  // namespace sylvane
