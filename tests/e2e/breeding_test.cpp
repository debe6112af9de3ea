// Breeding in the program: two trees marked in the canvas window (click,
// Ctrl+click), crossed with "交配させる" from the tree description or the
// window's menu, the child planted through the map like a tree file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "canvas/canvas_file.h"
#include "canvas/garden.h"
#include "canvas/records/name_labels.h"
#include "e2e_support.h"
#include "two_tree_garden.h"
#include "paint/canvas.h"
#include "res/canvaswin_resource.h"
#include "res/commands.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"
#include "trees/tree.h"
#include "ui/canvas_window_win.h"

namespace e2e {
namespace {

constexpr char kChildName[] = "アカマツ×シラカバ";
// The circles' colours (first parent blue, second yellow).
constexpr COLORREF kFirstColour = RGB(0, 64, 255);
constexpr COLORREF kSecondColour = RGB(255, 208, 0);

// Clicks the tree labelled at canvas (x, y), with Ctrl held when ctrl. The
// window shows the canvas at 100 %, unscrolled, at (10, 30); a tree is hit
// from 6 to 15 pixels right of it and 26 to 35 below, so (x + 10, y + 30).
void ClickTree(HWND window, int x, int y, bool ctrl) {
  const LPARAM at = MAKELPARAM(x + 10, y + 30);
  const WPARAM keys = ctrl ? MK_CONTROL : 0;
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  PostMessageA(window, WM_LBUTTONUP, keys, at);
}

// True when a pixel of the 12 x 12 circle around the tree at canvas (x, y)
// has the colour.
bool CircleDrawn(HWND window, int x, int y, COLORREF colour) {
  sylvane::Surface shot;
  if (!CaptureWindow(window, shot)) return false;
  // The circle's box: top-left (x + 4, y + 24) of the window picture.
  for (int py = y + 24; py < y + 36; ++py)
    for (int px = x + 4; px < x + 16; ++px) {
      if (px < 0 || py < 0 || px >= shot.width || py >= shot.height) continue;
      const uint8_t* p = shot.PixelAt(px, py);
      if (p[2] == GetRValue(colour) && p[1] == GetGValue(colour) && p[0] == GetBValue(colour)) return true;
    }
  return false;
}

// Clicks A (its description closed again), then Ctrl+clicks B: both are
// marked, and B's description is left open in description.
void MarkBothParents(App& app, HWND window, Box& description) {
  ClickTree(window, kAx, kAy, false);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
}

bool BreedButtonEnabled(const Box& description) {
  return IsWindowEnabled(GetDlgItem(description.window, CW_IDC_TREE_BREED)) != FALSE;
}

// The popup menu window of the process, once it is shown.
HWND WaitForPopupMenu(App& app) {
  HWND menu = nullptr;
  WaitUntil([&] {
    HWND c = nullptr;
    while ((c = FindWindowExA(nullptr, c, "#32768", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(c, &pid);
      if (pid == app.pid() && IsWindowVisible(c)) {
        menu = c;
        return true;
      }
    }
    return false;
  });
  return menu;
}

void PostKey(HWND window, UINT key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// How the menu's first item is drawn, read from the screen once the menu's picture
// has settled (drawn, and the same in three captures in a row): text in black
// for an enabled item, in grey for a greyed one. The edges (the menu's raised
// frame) are left out. 1 enabled, 0 greyed, -1 not seen.
int MenuItemLook(HWND menu) {
  RECT r;
  if (!GetWindowRect(menu, &r) || r.left < 0 || r.top < 0 || r.right - r.left < 10 || r.bottom - r.top < 10)
    return -1;
  sylvane::Surface screen;
  auto at = [&](int x, int y) { return screen.PixelAt(r.left + x, r.top + y); };
  std::vector<uint8_t> last;
  int same = 0;
  // Under Wine a menu captured right away, and again and again in quick
  // succession, could stay undrawn on the screen: the menu gets time first,
  // the whole screen is captured, and slowly.
  Sleep(1000);
  const bool settled = WaitUntil([&] {
    Sleep(300);
    if (!CaptureWindow(GetDesktopWindow(), screen) || screen.width < r.right || screen.height < r.bottom)
      return false;
    const uint8_t* background = at((r.right - r.left) / 2, 2);
    if (background[0] < 192 || background[1] < 192 || background[2] < 192) return false;  // not drawn yet
    std::vector<uint8_t> now;  // the menu's pixels (the clock elsewhere keeps changing)
    for (int y = 0; y < r.bottom - r.top; ++y)
      for (int x = 0; x < r.right - r.left; ++x) now.insert(now.end(), at(x, y), at(x, y) + 3);
    same = now == last ? same + 1 : 0;
    last = std::move(now);
    return same >= 2;
  }, 10000);
  if (!settled) return -1;
  // "交配させる" is the first of the menu's two items: its upper half.
  bool black = false, grey = false;
  for (int y = 4; y < (r.bottom - r.top) / 2; ++y)
    for (int x = 4; x < r.right - r.left - 4; ++x) {
      const uint8_t* p = at(x, y);
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) black = true;
      if (p[0] == p[1] && p[1] == p[2] && p[0] >= 96 && p[0] <= 176) grey = true;
    }
  return black ? 1 : grey ? 0 : -1;
}

// Opens the canvas window's menu (its first item "交配させる") and checks that
// the item is greyed unless two trees are marked; then closes the menu
// (Escape) or chooses the item (Down, Return). The menu is another
// process's: its state is read from what it shows. Under Wine a menu now and
// then stays undrawn on the screen; that is reported, and the marks' count
// (from which the window greys the item) is checked all the same.
void CheckMenu(App& app, HWND canvas_window, int marks, bool choose, const std::string& shot) {
  EXPECT_EQ(MarkCount(canvas_window), marks);
  // A right click activates the window before its menu opens.
  SetForegroundWindow(canvas_window);
  WaitUntil([&] { return GetForegroundWindow() == canvas_window; }, 3000);
  RECT r;
  GetWindowRect(canvas_window, &r);
  PostMessageA(canvas_window, WM_CONTEXTMENU, WPARAM(canvas_window), MAKELPARAM(r.left + 50, r.top + 80));
  HWND menu = WaitForPopupMenu(app);
  ASSERT_NE(menu, nullptr) << shot;
  const int look = MenuItemLook(menu);
  SaveScreenshot(menu, shot);
  if (look < 0)
    std::printf("[ INFO     ] %s: the menu was not seen drawn on the screen\n", shot.c_str());
  else
    EXPECT_EQ(look == 0, marks < 2) << shot << ": greyed unless two trees are marked";
  if (choose) {
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
  } else {
    PostKey(menu, VK_ESCAPE);
  }
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); })) << shot;
}

TEST(Breeding, ClickAndCtrlClickMarkTwoTreesWhoseChildIsPlantedThroughTheMap) {
  App app("breeding_plant");
  HWND window = StartWithCanvasWindow(app);
  ASSERT_NE(window, nullptr);

  // A click on A: its description, without "交配させる" while one tree is marked.
  ClickTree(window, kAx, kAy, false);
  Box description;
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  EXPECT_FALSE(BreedButtonEnabled(description));
  EXPECT_TRUE(CircleDrawn(window, kAx, kAy, kFirstColour)) << SaveScreenshot(window, "breeding_first_mark");
  EXPECT_FALSE(CircleDrawn(window, kBx, kBy, kSecondColour));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // Ctrl+click on B: both marked, and the marks stay through a rebuild.
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  EXPECT_TRUE(BreedButtonEnabled(description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Send(CMD_REFRESH_CANVAS_WINDOW));
  EXPECT_EQ(MarkCount(window), 2);
  SaveScreenshot(window, "breeding_two_marks");
  EXPECT_TRUE(CircleDrawn(window, kAx, kAy, kFirstColour));
  EXPECT_TRUE(CircleDrawn(window, kBx, kBy, kSecondColour));

  // Ctrl+click on a marked tree takes its mark away, another gives it back.
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  EXPECT_FALSE(BreedButtonEnabled(description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  ASSERT_TRUE(BreedButtonEnabled(description));
  SaveScreenshot(description.window, "dialog_tree_description_breed");

  // "交配させる": the child is born and offered for saving.
  Click(description, CW_IDC_TREE_BREED);
  Box question;
  ASSERT_TRUE(app.WaitForBox("交配", question));
  EXPECT_EQ(question.text, std::string("「") + kChildName + "」が生まれました。樹ファイルに保存しますか？");
  app.Press(question, IDYES);
  Box save;
  ASSERT_TRUE(app.WaitForBox("樹を保存する", save));
  const std::string child_file = app.File("child.ki");
  FillFileDialog(save, child_file);

  // Then the map, as for a tree file; its click plants the child.
  EXPECT_EQ(app.State("SylvaneGrowing"), 2) << "not planted before the map click";
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 3; })) << app.State("SylvaneGrowing");
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(MarkCount(window), 0) << "the marks are cleared once planted";
  EXPECT_FALSE(CircleDrawn(window, kAx, kAy, kFirstColour));
  EXPECT_FALSE(CircleDrawn(window, kBx, kBy, kSecondColour));

  sylvane::Tree saved;
  ASSERT_EQ(sylvane::LoadTreeFile(saved, child_file), 0);
  EXPECT_EQ(saved.name, kChildName);
  EXPECT_TRUE(sylvane::ValidateGrowthProgram(saved));

  // The saved garden holds the child, living, under its file name.
  ASSERT_TRUE(app.Send(CMD_SAVE_CANVAS));
  ASSERT_TRUE(app.Close());
  sylvane::Canvas canvas;
  sylvane::TreeTable table;
  sylvane::LabelList labels;
  ASSERT_EQ(sylvane::OpenCanvasFile(sylvane::GardenRefs{canvas, table, labels}, app.File("two trees.syl")), 0);
  EXPECT_EQ(table.growing_count(), 3);
  int children = 0;
  for (int i = 0; i < sylvane::TreeTable::kSlots; ++i) {
    const sylvane::Tree& t = table[i];
    if ((t.state == 1 || t.state == 2) && t.name == kChildName) {
      ++children;
      EXPECT_EQ(t.file_name, "child.ki");
    }
  }
  EXPECT_EQ(children, 1);
}

TEST(Breeding, MutantCopiesOfTheChildAreArchivedLikeAnyMutant) {
  App app("breeding_mutants");
  const std::string garden = app.File("two trees.syl");
  // Both parents always mutate their offspring: so does the child.
  ASSERT_TRUE(WriteTwoTreeGarden(garden, false, 100));
  ASSERT_TRUE(StartOnGarden(app, garden, 3, 2));
  HWND window = OpenCanvasWindow(app);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(app.Sync());
  Box description;
  ASSERT_NO_FATAL_FAILURE(MarkBothParents(app, window, description));
  Click(description, CW_IDC_TREE_BREED);
  Box question;
  ASSERT_TRUE(app.WaitForBox("交配", question));
  app.Press(question, IDNO);
  // The scatter of three: the child and two copies, each copy through
  // mutation handling, which archives its mutants into ki_log.
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 5; })) << app.State("SylvaneGrowing");
  ASSERT_TRUE(app.Sync());
  std::vector<std::string> archived;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(Join(app.File("ki_log"), "*.ki").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do archived.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  ASSERT_EQ(archived.size(), 2u) << "both copies came out as mutants";
  for (const std::string& name : archived) {
    EXPECT_EQ(name.rfind(kChildName, 0), 0u) << name << ": named after the child";
    sylvane::Tree mutant;
    ASSERT_EQ(sylvane::LoadTreeFile(mutant, Join(app.File("ki_log"), name)), 0) << name;
    EXPECT_EQ(mutant.mutant, 1) << name;
  }
  ASSERT_TRUE(app.Close());
}

TEST(Breeding, CommandIsGreyedAndRefusedWithoutTwoMarkedTrees) {
  App app("breeding_refused");
  const std::string garden = app.File("two trees.syl");
  ASSERT_TRUE(WriteTwoTreeGarden(garden, false));
  ASSERT_TRUE(StartOnGarden(app, garden));
  HWND window = OpenCanvasWindow(app);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(app.Sync());

  const std::string needs_two =
      "交配させる樹を二本選んでください。キャンバスウインドウで一本目をクリックし、"
      "二本目を Ctrl キーを押しながらクリックします。";
  auto click = [&](int x, int y, bool ctrl) {
    ClickTree(window, x, y, ctrl);
    Box description;
    ASSERT_TRUE(app.WaitForBox("樹の説明", description));
    app.Press(description, IDOK);
    ASSERT_TRUE(app.WaitNoBox());
  };
  auto expect_refused = [&] {
    app.Post(CMD_BREED);
    Box m;
    ASSERT_TRUE(app.WaitForBox("交配", m));
    EXPECT_EQ(m.text, needs_two);
    app.Press(m, IDOK);
    ASSERT_TRUE(app.WaitNoBox());
  };
  // No tree marked: the command is refused.
  expect_refused();
  // One tree marked: the menu item is greyed, the command refused.
  click(kAx, kAy, false);
  CheckMenu(app, window, 1, false, "breeding_menu_1");
  expect_refused();
  // Its mark taken away again (Ctrl+click): none marked, the item greyed.
  click(kAx, kAy, true);
  CheckMenu(app, window, 0, false, "breeding_menu_2");
  expect_refused();
  click(kAx, kAy, true);

  // Two: the item is enabled; Escape closes the menu without breeding.
  click(kBx, kBy, true);
  CheckMenu(app, window, 2, false, "breeding_menu_3");
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.Boxes().empty());
  EXPECT_EQ(app.State("SylvaneGrowing"), 2);

  // A new canvas drops the marks of the old one's trees.
  ASSERT_TRUE(NewCanvas(app, "300", "200", "60"));
  ASSERT_TRUE(app.Send(CMD_REFRESH_CANVAS_WINDOW));
  CheckMenu(app, window, 0, false, "breeding_menu_4");
  ASSERT_TRUE(app.Close());
}

TEST(Breeding, FullTableIsReportedAndNothingIsPlanted) {
  App app("breeding_full");
  const std::string garden = app.File("full.syl");
  ASSERT_TRUE(WriteTwoTreeGarden(garden, true));
  ASSERT_TRUE(StartOnGarden(app, garden));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 100; }));
  HWND window = OpenCanvasWindow(app);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(app.Sync());
  Box description;
  ASSERT_NO_FATAL_FAILURE(MarkBothParents(app, window, description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // Chosen from the window's menu.
  CheckMenu(app, window, 2, true, "breeding_menu_5");
  Box m;
  ASSERT_TRUE(app.WaitForBox("満杯", m));
  EXPECT_EQ(m.text, "只今樹が満杯です。");
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  HWND map = app.FindWindowOfClass("MAP_VIEW");
  EXPECT_TRUE(!map || !IsWindowVisible(map)) << "no map for a full table";
  EXPECT_EQ(app.State("SylvaneGrowing"), 100);
  // The marks stay for another try.
  EXPECT_TRUE(CircleDrawn(window, kAx, kAy, kFirstColour));
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
