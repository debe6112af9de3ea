#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "canvas/records/settings.h"
#include "base/grid.h"
#include "platform/text.h"
#include "support/recording_platform.h"
#include "ui/changer_list.h"

namespace sylvane {
namespace {

const TitleCompare kCompare = CompareTitlesIgnoringCase;

std::vector<std::string> Titles(const std::vector<std::string>& paths) {
  std::vector<std::string> t;
  for (const std::string& p : paths) t.push_back(ChangerTitle(p));
  return t;
}

TEST(ChangerTitles, CompareFoldsAsciiCaseOnly) {
  EXPECT_EQ(CompareTitlesIgnoringCase("ABC.jpg", "abc.JPG"), 0);
  EXPECT_LT(CompareTitlesIgnoringCase("a.jpg", "B.jpg"), 0);
  EXPECT_GT(CompareTitlesIgnoringCase("b.jpg", "A.jpg"), 0);
  EXPECT_LT(CompareTitlesIgnoringCase("ab", "abc"), 0);
  EXPECT_GT(CompareTitlesIgnoringCase("abc", "AB"), 0);
  // ア (83 41) and ャ (83 61): the trail bytes 'A' and 'a' are no letters here.
  EXPECT_NE(CompareTitlesIgnoringCase("\x83\x41.jpg", "\x83\x61.jpg"), 0);
  EXPECT_LT(CompareTitlesIgnoringCase("\x83\x41.jpg", "\x83\x61.jpg"), 0);
  // After a full two-byte character, letters fold again.
  EXPECT_EQ(CompareTitlesIgnoringCase("\x83\x41X.jpg", "\x83\x41x.jpg"), 0);
}

TEST(ChangerTitles, TitleIsTheNameWithoutFolder) {
  EXPECT_EQ(ChangerTitle("C:\\pics\\sea.jpg"), "sea.jpg");
  EXPECT_EQ(ChangerTitle("sea.jpg"), "sea.jpg");
  // 表 (95 5C) ends in a byte equal to '\': it is no separator.
  EXPECT_EQ(ChangerTitle("C:\\\x95\x5C\\\x95\x5C.png"), "\x95\x5C.png");
}

TEST(ChangerAdd, UnsortedAppends) {
  std::vector<std::string> paths = {"C:\\c.jpg", "C:\\a.jpg"};
  EXPECT_EQ(ChangerAddPath(paths, "C:\\b.jpg", kChangerSortNone, kCompare), 2);
  EXPECT_EQ(Titles(paths), (std::vector<std::string>{"c.jpg", "a.jpg", "b.jpg"}));
}

TEST(ChangerAdd, AscendingGoesBetween) {
  std::vector<std::string> paths = {"C:\\x\\a.jpg", "C:\\y\\c.jpg"};
  EXPECT_EQ(ChangerAddPath(paths, "C:\\z\\b.jpg", kChangerSortAscending, kCompare), 1);
  EXPECT_EQ(Titles(paths), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(paths[1], "C:\\z\\b.jpg");
}

TEST(ChangerAdd, DescendingGoesBetween) {
  std::vector<std::string> paths = {"C:\\c.jpg", "C:\\a.jpg"};
  EXPECT_EQ(ChangerAddPath(paths, "C:\\b.jpg", kChangerSortDescending, kCompare), 1);
  EXPECT_EQ(Titles(paths), (std::vector<std::string>{"c.jpg", "b.jpg", "a.jpg"}));
}

TEST(ChangerAdd, TitlesEqualButForCaseTakeTheNewOneAfter) {
  std::vector<std::string> up = {"C:\\1\\a.jpg", "C:\\2\\B.JPG", "C:\\3\\c.jpg"};
  EXPECT_EQ(ChangerAddPath(up, "C:\\4\\b.jpg", kChangerSortAscending, kCompare), 2);
  EXPECT_EQ(up[2], "C:\\4\\b.jpg");
  std::vector<std::string> down = {"C:\\1\\c.jpg", "C:\\2\\B.JPG", "C:\\3\\a.jpg"};
  EXPECT_EQ(ChangerAddPath(down, "C:\\4\\b.jpg", kChangerSortDescending, kCompare), 2);
  EXPECT_EQ(down[2], "C:\\4\\b.jpg");
}

TEST(ChangerAdd, ComparesTitlesNotFolders) {
  std::vector<std::string> paths = {"C:\\zzz\\a.jpg", "C:\\aaa\\c.jpg"};
  EXPECT_EQ(ChangerInsertIndex(paths, "C:\\mmm\\b.jpg", kChangerSortAscending, kCompare), 1);
  EXPECT_EQ(ChangerInsertIndex(paths, "C:\\aaa\\d.jpg", kChangerSortAscending, kCompare), 2);
  EXPECT_EQ(ChangerInsertIndex({}, "C:\\b.jpg", kChangerSortAscending, kCompare), 0);
}

TEST(ChangerAdd, PathMustFitItsRow) {
  std::vector<std::string> paths;
  EXPECT_EQ(ChangerAddPath(paths, std::string(260, 'a'), kChangerSortNone, kCompare), -1);
  EXPECT_EQ(ChangerAddPath(paths, "", kChangerSortNone, kCompare), -1);
  EXPECT_TRUE(paths.empty());
  EXPECT_EQ(ChangerAddPath(paths, std::string(259, 'a'), kChangerSortNone, kCompare), 0);
  EXPECT_EQ(paths.size(), 1u);
}

TEST(ChangerAdd, DroppingUsesOnlyTheFirst256Files) {
  std::vector<std::string> files;
  for (int i = 0; i < 300; ++i) files.push_back("C:\\d\\f" + std::to_string(1000 + i) + ".jpg");
  std::vector<std::string> seen;
  std::vector<std::string> paths;
  // Every third file is readable.
  const int last = ChangerAddDropped(paths, files, kChangerSortNone, kCompare, [&](const std::string& f) {
    seen.push_back(f);
    return (seen.size() - 1) % 3 == 0;
  });
  ASSERT_EQ(seen.size(), 256u);
  EXPECT_EQ(seen.back(), files[255]);
  ASSERT_EQ(paths.size(), 86u);  // files 0, 3, ..., 255
  EXPECT_EQ(paths.front(), files[0]);
  EXPECT_EQ(paths.back(), files[255]);
  EXPECT_EQ(last, 85);
  EXPECT_EQ(ChangerAddDropped(paths, {"C:\\x.jpg"}, kChangerSortNone, kCompare,
                              [](const std::string&) { return false; }),
            -1);
  EXPECT_EQ(paths.size(), 86u);
}

TEST(ChangerAdd, DroppedFilesGoInSortOrder) {
  std::vector<std::string> paths = {"C:\\b.jpg"};
  const int last = ChangerAddDropped(paths, {"C:\\c.jpg", "C:\\a.jpg"}, kChangerSortAscending, kCompare,
                                     [](const std::string&) { return true; });
  EXPECT_EQ(Titles(paths), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(last, 0);  // a.jpg, added last, went first
}

TEST(ChangerRemove, LaterItemsMoveUp) {
  std::vector<std::string> paths = {"a", "b", "c"};
  EXPECT_EQ(ChangerRemoveAt(paths, 1), 1);
  EXPECT_EQ(paths, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(ChangerRemoveAt(paths, 1), -1);  // the last item: nothing is at its index any more
  EXPECT_EQ(paths, (std::vector<std::string>{"a"}));
  EXPECT_EQ(ChangerRemoveAt(paths, 5), -1);
  EXPECT_EQ(ChangerRemoveAt(paths, -1), -1);
  EXPECT_EQ(paths.size(), 1u);
  EXPECT_EQ(ChangerRemoveAt(paths, 0), -1);
  EXPECT_TRUE(paths.empty());
  const ByteGrid grid = ChangerPathsToGrid(paths);
  EXPECT_EQ(grid.columns, 0);
  EXPECT_EQ(grid.rows, 0);
}

TEST(ChangerSort, ExchangeSortAscending) {
  std::vector<std::string> paths = {"C:\\1\\B.jpg", "C:\\2\\a.jpg", "C:\\3\\b.jpg", "C:\\4\\c.jpg"};
  int follow = 0;  // B.jpg
  ChangerSortPaths(paths, kChangerSortAscending, kCompare, &follow);
  // i=0: B > a, swapped; B and b are equal and keep their places.
  EXPECT_EQ(paths, (std::vector<std::string>{"C:\\2\\a.jpg", "C:\\1\\B.jpg", "C:\\3\\b.jpg", "C:\\4\\c.jpg"}));
  EXPECT_EQ(follow, 1);
}

TEST(ChangerSort, ExchangeSortDescending) {
  std::vector<std::string> paths = {"C:\\2\\a.jpg", "C:\\1\\B.jpg", "C:\\3\\b.jpg"};
  int follow = 2;  // b.jpg
  ChangerSortPaths(paths, kChangerSortDescending, kCompare, &follow);
  // i=0: a < B swapped -> B a b; B and b equal. i=1: a < b swapped -> B b a.
  EXPECT_EQ(paths, (std::vector<std::string>{"C:\\1\\B.jpg", "C:\\3\\b.jpg", "C:\\2\\a.jpg"}));
  EXPECT_EQ(follow, 1);
}

TEST(ChangerSort, NoneLeavesTheOrder) {
  std::vector<std::string> paths = {"c", "a", "b"};
  int follow = 1;
  ChangerSortPaths(paths, kChangerSortNone, kCompare, &follow);
  EXPECT_EQ(paths, (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(follow, 1);
}

TEST(ChangerMove, DraggedItemTakesTheTargetIndex) {
  std::vector<std::string> paths = {"a", "b", "c", "d", "e"};
  EXPECT_TRUE(ChangerMovePath(paths, 0, 3));
  EXPECT_EQ(paths, (std::vector<std::string>{"b", "c", "d", "a", "e"}));
  EXPECT_TRUE(ChangerMovePath(paths, 4, 1));
  EXPECT_EQ(paths, (std::vector<std::string>{"b", "e", "c", "d", "a"}));
  EXPECT_TRUE(ChangerMovePath(paths, 2, 2));
  EXPECT_EQ(paths, (std::vector<std::string>{"b", "e", "c", "d", "a"}));
  EXPECT_FALSE(ChangerMovePath(paths, 5, 0));
  EXPECT_FALSE(ChangerMovePath(paths, 0, -1));
  EXPECT_EQ(paths.size(), 5u);
}

TEST(ChangerStorage, RowsOf260NulPaddedBytes) {
  const std::vector<std::string> paths = {"C:\\a.jpg", std::string(259, 'x')};
  const ByteGrid grid = ChangerPathsToGrid(paths);
  ASSERT_EQ(grid.columns, 260);
  ASSERT_EQ(grid.rows, 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(grid.Row(0)), 8), "C:\\a.jpg");
  for (int i = 8; i < 260; ++i) EXPECT_EQ(grid.At(i, 0), 0) << i;
  EXPECT_EQ(grid.At(258, 1), 'x');
  EXPECT_EQ(grid.At(259, 1), 0);
  EXPECT_EQ(ChangerPathsFromGrid(grid), paths);
}

TEST(ChangerStorage, ReadingSkipsEmptyRowsAndKeepsRowsWithoutNul) {
  ByteGrid grid;
  ASSERT_TRUE(grid.AllocateFilled(5, 3, 0));
  const char* first = "a.jpg";  // fills its row: no NUL
  for (int i = 0; i < 5; ++i) grid.At(i, 0) = uint8_t(first[i]);
  grid.At(0, 2) = 'b';
  EXPECT_EQ(ChangerPathsFromGrid(grid), (std::vector<std::string>{"a.jpg", "b"}));
  EXPECT_TRUE(ChangerPathsFromGrid(ByteGrid{}).empty());
}

TEST(ChangerStorage, SurvivesTheSettingsFile) {
  MInitInfo s;
  s.changer_images = ChangerPathsToGrid({"C:\\pics\\one.png", "D:\\\x95\x5C\\two.jpg"});
  s.changer_sort = kChangerSortDescending;
  MInitInfo back;
  ASSERT_TRUE(back.FromBytes(s.ToBytes()));
  EXPECT_EQ(ChangerPathsFromGrid(back.changer_images),
            (std::vector<std::string>{"C:\\pics\\one.png", "D:\\\x95\x5C\\two.jpg"}));
  EXPECT_EQ(back.changer_sort, kChangerSortDescending);
  // The list is the last field of the file: its two counts, then 2 rows of 260 bytes.
  MInitInfo empty;
  EXPECT_EQ(s.ToBytes().size(), empty.ToBytes().size() + 2 * 260);
}

TEST(ChangerGeometry, CollapseArea) {
  EXPECT_TRUE(InChangerCollapseArea(232, 6));
  EXPECT_TRUE(InChangerCollapseArea(238, 14));
  EXPECT_FALSE(InChangerCollapseArea(239, 6));
  EXPECT_FALSE(InChangerCollapseArea(232, 15));
  EXPECT_FALSE(InChangerCollapseArea(231, 6));
  EXPECT_FALSE(InChangerCollapseArea(232, 5));
}

TEST(ChangerGeometry, CollapseAndExpand) {
  ChangerPlace p = ToggleChangerCollapse(kChangerOpen, 100, 100, 250, 410, 1024, 738);
  EXPECT_EQ(p.state, kChangerCollapsed);
  EXPECT_EQ(p.left, 100);
  EXPECT_EQ(p.top, 100);
  EXPECT_EQ(p.width, 250);
  EXPECT_EQ(p.height, 22);
  p = ToggleChangerCollapse(kChangerCollapsed, 900, 500, 250, 410, 1024, 738);
  EXPECT_EQ(p.state, kChangerOpen);
  EXPECT_EQ(p.left, 774);  // kept inside the work area's right edge
  EXPECT_EQ(p.top, 328);   // moved up so the bottom stays inside
  EXPECT_EQ(p.height, 410);
  p = ToggleChangerCollapse(kChangerCollapsed, 10, 10, 250, 410, 200, 300);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.top, 0);
}

ChangerDragInput DragAt(int pointer_x, int pointer_y) {
  ChangerDragInput in;
  in.pointer_x = pointer_x;
  in.pointer_y = pointer_y;
  in.offset_x = 20;
  in.offset_y = 5;
  in.width = 250;
  in.has_main = true;
  in.main_left = 100;
  in.main_right = 350;
  in.main_bottom = 200;
  return in;
}

TEST(ChangerGeometry, DocksUnderTheMainWindow) {
  ChangerDragResult r = ChangerDragStep(DragAt(129, 214));  // would be at (109, 209)
  EXPECT_EQ(r.docked, kChangerDocked);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.left, 100);
  r = ChangerDragStep(DragAt(130, 196));  // (110, 191): the left is 10 away
  EXPECT_EQ(r.docked, kChangerDocked);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.left, 110);
}

TEST(ChangerGeometry, FollowsThePointerWhenNotClose) {
  ChangerDragResult r = ChangerDragStep(DragAt(129, 215));  // top 210: 10 below
  EXPECT_EQ(r.docked, kChangerFree);
  EXPECT_EQ(r.left, 109);
  EXPECT_EQ(r.top, 210);
  r = ChangerDragStep(DragAt(390, 205));  // left 370: no overlap with 100..350
  EXPECT_EQ(r.docked, kChangerFree);
  EXPECT_EQ(r.left, 370);
  r = ChangerDragStep(DragAt(-130, 205));  // right edge at 100: no overlap either
  EXPECT_EQ(r.docked, kChangerFree);
  ChangerDragInput hidden = DragAt(129, 205);
  hidden.has_main = false;
  r = ChangerDragStep(hidden);
  EXPECT_EQ(r.docked, kChangerFree);
  EXPECT_EQ(r.top, 200);
  EXPECT_EQ(r.left, 109);
}

}  // namespace
}  // namespace sylvane
