// Breeding in the program: two trees marked in the canvas window (click,
// Ctrl+click), crossed with "交配させる" from the tree description or the
// window's menu, the child planted through the map like a tree file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/canvas_file.h"
#include "canvas/garden.h"
#include "canvas/records/name_labels.h"
#include "e2e_support.h"
#include "paint/canvas.h"
#include "res/canvaswin_resource.h"
#include "res/commands.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace e2e {
namespace {

constexpr char kNameA[] = "アカマツ";
constexpr char kNameB[] = "シラカバ";
constexpr char kChildName[] = "アカマツ×シラカバ";
// Where the two parents stand on the 300 x 200 canvas.
constexpr int kAx = 80, kAy = 150;
constexpr int kBx = 220, kBy = 150;
// The circles' colours (first parent blue, second yellow).
constexpr COLORREF kFirstColour = RGB(0, 64, 255);
constexpr COLORREF kSecondColour = RGB(255, 208, 0);

// A 300 x 200 garden with the sample tree planted as A and as B, each with
// its name label (already placed, so that growth adds none). With full, the
// other 98 slots hold living copies too: the table has no room left.
bool WriteTwoTreeGarden(const std::string& path, bool full) {
  sylvane::Canvas canvas;
  sylvane::TreeTable table;
  sylvane::LabelList labels;
  sylvane::Surface no_picture;
  if (sylvane::CreateGardenCanvas(canvas, table, labels, 300, 200, RGB(20, 40, 20), sylvane::kBackgroundColour,
                                  no_picture, 60, false) != 0)
    return false;
  sylvane::Tree sample;
  sylvane::LoadSampleParts(sample, DataFolder(), sylvane::kSamplePartDescriptions);
  sylvane::MakeSampleTree(sample, 0, 0, 90);
  auto plant = [&](int slot, const std::string& name, int x, int y, bool labelled) {
    sylvane::Tree& t = table[slot];
    t = sample;
    t.name = name;
    t.file_name = name + ".ki";
    t.Place(x, y);
    t.label_state = 1;
    table.CountUp();
    if (labelled) labels.Add(sylvane::LabelEntry{name, uint8_t(t.kind), 0, x, y, t.file_name});
  };
  plant(0, kNameA, kAx, kAy, true);
  plant(1, kNameB, kBx, kBy, true);
  if (full)
    for (int i = 2; i < sylvane::TreeTable::kSlots; ++i) plant(i, "filler", 150, 100, false);
  return sylvane::SaveCanvasFile(sylvane::GardenRefs{canvas, table, labels}, path) == 0;
}

// Starts the program on the garden file with the canvas window at 100 %,
// names hidden, at the screen's top-right (away from centred dialogs).
bool StartOnGarden(App& app, const std::string& garden, int scatter_count = 1) {
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.scatter_count = scatter_count;
  s.scatter_radius = 0;
  s.scatter_mode = 0;
  s.canvas_zoom_step = 0;
  s.canvas_names = 0;
  s.canvas_window = sylvane::WindowRect{900, 20, 300, 300};
  WriteSettings(s, app.folder());
  return app.Start("\"" + garden + "\"");
}

// Opens the canvas window and returns it.
HWND OpenCanvasWindow(App& app) {
  if (!app.Send(CMD_CANVAS_WINDOW)) return nullptr;
  HWND found = nullptr;
  WaitUntil([&] {
    HWND c = nullptr;
    while ((c = FindWindowExA(nullptr, c, "#32770", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(c, &pid);
      char title[128] = {};
      GetWindowTextA(c, title, sizeof(title));
      if (pid == app.pid() && !GetWindow(c, GW_OWNER) && IsWindowVisible(c) &&
          std::string(title) != "壁紙チェンジャー") {
        found = c;
        return true;
      }
    }
    return false;
  });
  return found;
}

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

// Opens the canvas window's menu and reports whether "交配させる" is greyed;
// then closes it (Escape) or chooses the item (Down, Return).
bool MenuItemGreyed(App& app, HWND canvas_window, bool choose, bool& greyed) {
  RECT r;
  GetWindowRect(canvas_window, &r);
  PostMessageA(canvas_window, WM_CONTEXTMENU, WPARAM(canvas_window), MAKELPARAM(r.left + 50, r.top + 80));
  HWND menu = WaitForPopupMenu(app);
  if (!menu) return false;
  DWORD_PTR handle = 0;
  if (!SendMessageTimeoutA(menu, MN_GETHMENU, 0, 0, SMTO_NORMAL, 10000, &handle) || !handle) return false;
  const UINT state = GetMenuState(reinterpret_cast<HMENU>(handle), CMD_BREED, MF_BYCOMMAND);
  if (state == UINT(-1)) return false;
  greyed = (state & MF_GRAYED) != 0;
  if (choose) {
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
  } else {
    PostKey(menu, VK_ESCAPE);
  }
  return WaitUntil([&] { return !IsWindowVisible(menu); });
}

TEST(Breeding, ClickAndCtrlClickMarkTwoTreesWhoseChildIsPlantedThroughTheMap) {
  App app("breeding_plant");
  const std::string garden = app.File("two trees.syl");
  ASSERT_TRUE(WriteTwoTreeGarden(garden, false));
  ASSERT_TRUE(StartOnGarden(app, garden));
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 2; }));
  HWND window = OpenCanvasWindow(app);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(app.Sync());

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
  EXPECT_FALSE(CircleDrawn(window, kAx, kAy, kFirstColour)) << "the marks are cleared once planted";
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
  ASSERT_EQ(sylvane::OpenCanvasFile(sylvane::GardenRefs{canvas, table, labels}, garden), 0);
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
  // No tree marked: the menu item is greyed, the command refused.
  bool greyed = false;
  ASSERT_TRUE(MenuItemGreyed(app, window, false, greyed));
  EXPECT_TRUE(greyed);
  app.Post(CMD_BREED);
  Box m;
  ASSERT_TRUE(app.WaitForBox("交配", m));
  EXPECT_EQ(m.text, needs_two);
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // One tree marked: still.
  ClickTree(window, kAx, kAy, false);
  Box description;
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(MenuItemGreyed(app, window, false, greyed));
  EXPECT_TRUE(greyed);
  app.Post(CMD_BREED);
  ASSERT_TRUE(app.WaitForBox("交配", m));
  EXPECT_EQ(m.text, needs_two);
  app.Press(m, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // Two: the item is enabled; Escape closes the menu without breeding.
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(MenuItemGreyed(app, window, false, greyed));
  EXPECT_FALSE(greyed);
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.Boxes().empty());
  EXPECT_EQ(app.State("SylvaneGrowing"), 2);

  // A new canvas drops the marks of the old one's trees.
  ASSERT_TRUE(NewCanvas(app, "300", "200", "60"));
  ASSERT_TRUE(app.Send(CMD_REFRESH_CANVAS_WINDOW));
  ASSERT_TRUE(MenuItemGreyed(app, window, false, greyed));
  EXPECT_TRUE(greyed);
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
  ClickTree(window, kAx, kAy, false);
  Box description;
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ClickTree(window, kBx, kBy, true);
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // Chosen from the window's menu.
  bool greyed = true;
  ASSERT_TRUE(MenuItemGreyed(app, window, true, greyed));
  EXPECT_FALSE(greyed);
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
