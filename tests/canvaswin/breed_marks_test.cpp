#include "ui/breed_marks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sylvane {
namespace {

LabelEntry Label(const std::string& name, int32_t x, int32_t y, const std::string& file = "") {
  LabelEntry e;
  e.name = name;
  e.file_name = file.empty() ? name + ".ki" : file;
  e.x = x;
  e.y = y;
  return e;
}

TEST(BreedMarks, SameLabelComparesEveryField) {
  const LabelEntry a = Label("松", 10, 20);
  EXPECT_TRUE(SameLabel(a, a));
  LabelEntry b = a;
  b.x = 11;
  EXPECT_FALSE(SameLabel(a, b));
  b = a;
  b.y = 21;
  EXPECT_FALSE(SameLabel(a, b));
  b = a;
  b.file_name = "other.ki";
  EXPECT_FALSE(SameLabel(a, b));
  b = a;
  b.mutant = 1;
  EXPECT_FALSE(SameLabel(a, b));
  b = a;
  b.kind = 1;
  EXPECT_FALSE(SameLabel(a, b));
  b = a;
  b.name = "杉";
  EXPECT_FALSE(SameLabel(a, b));
}

TEST(BreedMarks, ClickThenCtrlClickMarksBothParentsInOrder) {
  BreedMarks m;
  EXPECT_EQ(m.count(), 0);
  EXPECT_FALSE(m.complete());
  MarkByClick(m, Label("A", 10, 10));
  EXPECT_EQ(m.count(), 1);
  EXPECT_FALSE(m.complete());
  MarkByCtrlClick(m, Label("B", 50, 60));
  ASSERT_TRUE(m.complete());
  EXPECT_EQ(m.first.name, "A");
  EXPECT_EQ(m.second.name, "B");
}

TEST(BreedMarks, PlainClickStartsAfreshWithTheClickedTree) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  MarkByClick(m, Label("C", 5, 5));
  EXPECT_EQ(m.count(), 1);
  EXPECT_EQ(m.first.name, "C");
  EXPECT_FALSE(m.has_second);
  // A plain click on the marked tree keeps it as the only mark.
  MarkByClick(m, Label("C", 5, 5));
  EXPECT_EQ(m.count(), 1);
}

TEST(BreedMarks, CtrlClickWithoutAFirstParentMarksTheFirst) {
  BreedMarks m;
  MarkByCtrlClick(m, Label("B", 50, 60));
  EXPECT_TRUE(m.has_first);
  EXPECT_FALSE(m.has_second);
  EXPECT_EQ(m.first.name, "B");
}

TEST(BreedMarks, CtrlClickOnAThirdTreeReplacesTheSecond) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  MarkByCtrlClick(m, Label("C", 70, 80));
  ASSERT_TRUE(m.complete());
  EXPECT_EQ(m.first.name, "A");
  EXPECT_EQ(m.second.name, "C");
}

TEST(BreedMarks, CtrlClickOnAMarkedTreeTakesItsMarkAway) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  MarkByCtrlClick(m, Label("B", 50, 60));
  EXPECT_EQ(m.count(), 1);
  EXPECT_EQ(m.first.name, "A");
  // The first parent goes: the second moves up.
  MarkByCtrlClick(m, Label("B", 50, 60));
  MarkByCtrlClick(m, Label("A", 10, 10));
  EXPECT_EQ(m.count(), 1);
  EXPECT_EQ(m.first.name, "B");
  EXPECT_FALSE(m.has_second);
  MarkByCtrlClick(m, Label("B", 50, 60));
  EXPECT_EQ(m.count(), 0);
}

TEST(BreedMarks, TwoTreesOfOneNameAreTwoParents) {
  // Scattered copies share name and file: they differ by their spot.
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("A", 30, 10));
  ASSERT_TRUE(m.complete());
  EXPECT_EQ(m.first.x, 10);
  EXPECT_EQ(m.second.x, 30);
}

TEST(BreedMarks, MarksOfLabelsStillListedStay) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  const std::vector<LabelEntry> list = {Label("X", 1, 1), Label("B", 50, 60), Label("A", 10, 10)};
  EXPECT_FALSE(DropStaleMarks(m, list));
  EXPECT_TRUE(m.complete());
}

TEST(BreedMarks, MarksOfLabelsGoneAreDropped) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  // Another canvas: neither label is there (a tree of the same name elsewhere is another tree).
  EXPECT_TRUE(DropStaleMarks(m, {Label("A", 11, 10)}));
  EXPECT_EQ(m.count(), 0);
  EXPECT_FALSE(DropStaleMarks(m, {}));
}

TEST(BreedMarks, SecondMovesUpWhenOnlyTheFirstIsGone) {
  BreedMarks m;
  MarkByClick(m, Label("A", 10, 10));
  MarkByCtrlClick(m, Label("B", 50, 60));
  EXPECT_TRUE(DropStaleMarks(m, {Label("B", 50, 60)}));
  EXPECT_EQ(m.count(), 1);
  EXPECT_EQ(m.first.name, "B");
  // And the first stays when only the second is gone.
  MarkByCtrlClick(m, Label("C", 70, 80));
  EXPECT_TRUE(DropStaleMarks(m, {Label("B", 50, 60)}));
  EXPECT_EQ(m.count(), 1);
  EXPECT_EQ(m.first.name, "B");
}

TEST(BreedMarks, CirclesSitWhereTheHoverMarkerWouldAtTheZoom) {
  BreedMarks m;
  EXPECT_TRUE(LayOutMarks(m, 1.0f).empty());
  MarkByClick(m, Label("A", 100, 50));
  MarkByCtrlClick(m, Label("B", 3, 200));
  const std::vector<MarkDraw> at_half = LayOutMarks(m, 0.5f);
  ASSERT_EQ(at_half.size(), 2u);
  // (100, 50) at 50 % is (50, 25); the circle's top-left is (54, 49).
  EXPECT_EQ(at_half[0].top_left, (ViewPoint{54, 49}));
  EXPECT_EQ(at_half[0].which, kMarkFirst);
  // (3, 200) at 50 % is (1, 100): too near the left edge, the circle goes to x 10.
  EXPECT_EQ(at_half[1].top_left, (ViewPoint{10, 124}));
  EXPECT_EQ(at_half[1].which, kMarkSecond);
  const std::vector<MarkDraw> full = LayOutMarks(m, 1.0f);
  EXPECT_EQ(full[0].top_left, (ViewPoint{104, 74}));
}

}  // namespace
}  // namespace sylvane
