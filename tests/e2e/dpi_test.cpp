// The program at 200 % (192 DPI): it is aware of each monitor's DPI, so the
// desktop size of the new-canvas dialog is in physical pixels, the skinned
// main window keeps its pixel size and dialogs grow with the DPI. At 150 %
// and 200 % a real mouse click in the map window plants where it points, and
// one in the canvas window picks the tree under the pointer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "canvas/canvas_file.h"
#include "canvas/garden.h"
#include "e2e_support.h"
#include "res/canvaswin_resource.h"
#include "res/commands.h"
#include "two_tree_garden.h"
#include "ui/skin_pictures.h"

namespace e2e {
namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

// Sets the prefix's DPI (LogPixels of the desktop key, read by every Wine
// process when it starts) and puts the old value back at the end.
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    DWORD size = sizeof(old_);
    had_ = RegQueryValueExA(key, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
           ERROR_SUCCESS;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    RegCloseKey(key);
  }
  ~SystemDpi() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (had_) {
      RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
    } else {
      RegDeleteValueA(key, "LogPixels");
    }
    RegCloseKey(key);
  }

 private:
  bool had_ = false;
  DWORD old_ = 96;
};

template <typename F>
F User32(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

// The driver reads the program's windows in physical pixels, whatever DPI it
// started with.
void DriverInPhysicalPixels() {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  if (auto set = User32<SetContext>("SetThreadDpiAwarenessContext")) set(reinterpret_cast<HANDLE>(-4));
}

SIZE WindowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The new-canvas dialog's outer size, opened and cancelled.
bool NewCanvasDialogSize(App& app, SIZE& size) {
  app.Post(CMD_NEW_CANVAS);
  Box dialog;
  if (!app.WaitForBox("キャンバスの新規作成", dialog)) return false;
  size = WindowSize(dialog.window);
  app.Press(dialog, IDCANCEL);
  return app.WaitNoBox();
}

// Wine reports the same awareness for a system-aware program, so the
// program's manifest itself is read: per-monitor version 2 first, system
// awareness for the systems that do not know it.
TEST(Dpi, TheManifestAsksForPerMonitorAwareness) {
  HMODULE exe = LoadLibraryExA(ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
  const std::string manifest(bytes, SizeofResource(exe, found));
  FreeLibrary(exe);
  EXPECT_NE(manifest.find(">PerMonitorV2, system</dpiAwareness>"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

TEST(Dpi, At192TheProgramWorksInPhysicalPixels) {
  DriverInPhysicalPixels();
  SIZE at96{};
  SIZE main96{};
  {
    App app("dpi_96");
    ASSERT_TRUE(app.Start());
    main96 = WindowSize(app.main());
    ASSERT_TRUE(NewCanvasDialogSize(app, at96));
    ASSERT_TRUE(app.Close());
  }
  SystemDpi dpi(192);
  App app("dpi_192");
  ASSERT_TRUE(app.Start());

  using GetWindowContext = HANDLE(WINAPI*)(HWND);
  using AwarenessOf = int(WINAPI*)(HANDLE);
  auto window_context = User32<GetWindowContext>("GetWindowDpiAwarenessContext");
  auto awareness = User32<AwarenessOf>("GetAwarenessFromDpiAwarenessContext");
  if (window_context && awareness) {
    EXPECT_EQ(awareness(window_context(app.main())), 2) << "aware of each monitor's DPI";
  }

  // The skinned main window keeps the skin's size in pixels.
  SIZE main = WindowSize(app.main());
  EXPECT_EQ(main.cx, main96.cx);
  EXPECT_EQ(main.cy, main96.cy);

  // Dialogs and their fonts grow with the DPI.
  SIZE at192{};
  ASSERT_TRUE(NewCanvasDialogSize(app, at192));
  SaveScreenshot(app.main(), "dpi_192_main");
  EXPECT_GE(at192.cx * 10, at96.cx * 17) << at96.cx << " -> " << at192.cx;
  EXPECT_LE(at192.cx * 10, at96.cx * 23) << at96.cx << " -> " << at192.cx;
  EXPECT_GE(at192.cy * 10, at96.cy * 17) << at96.cy << " -> " << at192.cy;

  // "デスクトップのサイズに合わせる": the screen's physical pixels.
  app.Post(CMD_NEW_CANVAS);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("キャンバスの新規作成", dialog));
  SaveScreenshot(dialog.window, "dpi_192_new_canvas");
  Click(dialog, 1002);
  SetField(dialog, 1004, "0");
  app.Press(dialog, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(app.File("default.bmp"), w, h, bits); }));
  EXPECT_EQ(w, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(h, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(w, 1280) << "the Wine desktop of the end-to-end run";
  ASSERT_TRUE(app.Close());
}

// The windows of the program that move to a monitor of another DPI as they
// are: the main window, the changer, the canvas window and the map.
std::vector<std::pair<const char*, HWND>> SkinnedWindows(App& app) {
  std::vector<std::pair<const char*, HWND>> windows{{"main", app.main()}};
  for (const auto& [dialog, title] : app.TopDialogs())
    windows.emplace_back(title == "壁紙チェンジャー" ? "changer" : "canvas window", dialog);
  if (HWND map = app.FindWindowOfClass("MAP_VIEW")) windows.emplace_back("map", map);
  return windows;
}

// Moved to a monitor of 150 %, a window gets WM_DPICHANGED with the rectangle
// the system suggests, the old one grown by half. The driver puts that
// rectangle where the program can read it, at the same address in both
// processes, and sends the message as the system would: every skinned window
// goes to the rectangle's corner and keeps its size in pixels, as its skin is
// drawn pixel for pixel.
TEST(Dpi, OnAMonitorOfAnotherDpiTheSkinnedWindowsKeepTheirPixelSize) {
  DriverInPhysicalPixels();
  App app("dpi_changed");
  ASSERT_NE(StartWithCanvasWindow(app), nullptr);
  const auto windows = SkinnedWindows(app);
  ASSERT_GE(windows.size(), 4u);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, app.pid());
  ASSERT_NE(process, nullptr);
  void* shared = nullptr;
  for (uintptr_t at = 0x30000000; !shared && at < 0x40000000; at += 0x1000000) {
    void* mine = VirtualAlloc(reinterpret_cast<void*>(at), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!mine) continue;
    if (VirtualAllocEx(process, mine, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE) == mine) {
      shared = mine;
    } else {
      VirtualFree(mine, 0, MEM_RELEASE);
    }
  }
  ASSERT_NE(shared, nullptr) << "no address free in both processes";
  for (const auto& [name, window] : windows) {
    RECT before{};
    GetWindowRect(window, &before);
    const LONG width = before.right - before.left, height = before.bottom - before.top;
    const RECT suggested{before.left + 40, before.top + 30, before.left + 40 + width * 3 / 2,
                         before.top + 30 + height * 3 / 2};
    *static_cast<RECT*>(shared) = suggested;
    SIZE_T written = 0;
    ASSERT_TRUE(WriteProcessMemory(process, shared, &suggested, sizeof(suggested), &written));
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                                  reinterpret_cast<LPARAM>(shared), SMTO_ABORTIFHUNG, 10000, &result),
              0)
        << name;
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, suggested.left) << name;
    EXPECT_EQ(after.top, suggested.top) << name;
    EXPECT_EQ(after.right - after.left, width) << name;
    EXPECT_EQ(after.bottom - after.top, height) << name;
  }
  CloseHandle(process);
  ASSERT_TRUE(app.Close());
}

// Moves the pointer and waits until it is seen there: under Wine the move
// reaches the X server after SetCursorPos returns.
void MovePointer(POINT screen) {
  WaitUntil(
      [&] {
        SetCursorPos(screen.x, screen.y);
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
      },
      3000);
}

// A mouse event at a screen point. The position travels with the event
// (absolute coordinates): a click after SetCursorPos alone may be taken where
// the pointer was before, as Wine moves it asynchronously.
INPUT MouseAt(POINT screen, DWORD flags) {
  const LONG width = GetSystemMetrics(SM_CXSCREEN);
  const LONG height = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  // The smallest normalised value that maps back onto the pixel.
  in.mi.dx = LONG((int64_t(screen.x) * 65536 + width - 1) / width);
  in.mi.dy = LONG((int64_t(screen.y) * 65536 + height - 1) / height);
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return in;
}

// A left click at a screen point (the driver's physical pixels), the pointer
// first resting there so that the window under it sees it arrive.
void ClickOnScreen(POINT screen) {
  MovePointer(screen);
  Sleep(100);
  INPUT clicks[2] = {MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)};
  SendInput(2, clicks, sizeof(INPUT));
}

class DpiClicks : public ::testing::TestWithParam<DWORD> {};

TEST_P(DpiClicks, AClickInTheMapPlantsWhereItPoints) {
  DriverInPhysicalPixels();
  SystemDpi dpi(GetParam());
  App app("dpi_map_" + std::to_string(GetParam()));
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.scatter_count = 1;
  s.scatter_radius = 0;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "400", "300", "5"));
  const std::string tree = app.File("tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree, 0));  // a kind planted where clicked, not on the ground
  ASSERT_TRUE(app.DropFile(tree));
  HWND map = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    map = app.FindWindowOfClass("MAP_VIEW");
    return map && IsWindowVisible(map);
  }));
  SetForegroundWindow(map);
  RECT client{};
  GetClientRect(map, &client);
  const sylvane::MapPicture picture = sylvane::FitCanvasInMap(client.right, client.bottom, 400, 300);
  ASSERT_TRUE(picture.valid);
  // A point off the middle, so that a click scaled by the DPI would land elsewhere.
  POINT at{picture.left + picture.width / 4, picture.top + picture.height / 3};
  const sylvane::CanvasPoint want = sylvane::MapPointToCanvas(picture, at.x, at.y);
  POINT screen = at;
  ClientToScreen(map, &screen);
  ClickOnScreen(screen);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(map); })) << "the click reached the picture";
  ASSERT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  ASSERT_TRUE(app.Close());

  // default.syl, written at the end, holds where the tree was planted.
  sylvane::Garden garden;
  ASSERT_EQ(sylvane::OpenCanvasFile(garden.refs(), app.File("default.syl")), 0);
  int planted = 0;
  for (int i = 0; i < sylvane::TreeTable::kSlots; ++i) {
    const sylvane::Tree& t = garden.table[i];
    if (t.state == 0) continue;
    ++planted;
    EXPECT_EQ(t.plant_x, want.x);
    EXPECT_EQ(t.plant_y, want.y);
  }
  EXPECT_EQ(planted, 1);
}

// The canvas window keeps its skin's pixel size, so the tree labelled at
// canvas (x, y) is hit at client (x + 10, y + 30) at every DPI. A click on B,
// then on empty ground, then a trembling click on A: B's description,
// nothing, A's description.
TEST_P(DpiClicks, AClickInTheCanvasWindowPicksTheTreeUnderThePointer) {
  DriverInPhysicalPixels();
  SystemDpi dpi(GetParam());
  App app("dpi_canvas_window_" + std::to_string(GetParam()));
  HWND window = StartWithCanvasWindow(app);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);

  POINT on_b{kBx + 10, kBy + 30};
  ClientToScreen(window, &on_b);
  ClickOnScreen(on_b);
  Box description;
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  char name[128] = {};
  GetDlgItemTextA(description.window, CW_IDC_TREE_NAME, name, sizeof(name));
  EXPECT_EQ(std::string(name), kNameB);
  EXPECT_EQ(MarkCount(window), 1);
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());

  // Half-way between the trees nothing stands: no description, no new mark.
  POINT between{(kAx + kBx) / 2 + 10, kAy + 30};
  ClientToScreen(window, &between);
  ClickOnScreen(between);
  ASSERT_TRUE(app.Sync());
  EXPECT_FALSE(app.WaitForBox("樹の説明", description, 1500));
  EXPECT_EQ(MarkCount(window), 1);

  // A press on A whose pointer trembles two pixels before the release is
  // still a click, and the window stays where it was.
  RECT before{};
  GetWindowRect(window, &before);
  POINT on_a{kAx + 10, kAy + 30};
  ClientToScreen(window, &on_a);
  MovePointer(on_a);
  Sleep(100);
  const POINT trembled{on_a.x + 2, on_a.y + 1};
  INPUT press = MouseAt(on_a, MOUSEEVENTF_LEFTDOWN);
  SendInput(1, &press, sizeof(INPUT));
  Sleep(300);  // the press is taken before the pointer moves
  INPUT tremble[2] = {MouseAt(trembled, 0), MouseAt(trembled, MOUSEEVENTF_LEFTUP)};
  SendInput(2, tremble, sizeof(INPUT));
  ASSERT_TRUE(app.WaitForBox("樹の説明", description));
  GetDlgItemTextA(description.window, CW_IDC_TREE_NAME, name, sizeof(name));
  EXPECT_EQ(std::string(name), kNameA);
  RECT after{};
  GetWindowRect(window, &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  app.Press(description, IDOK);
  ASSERT_TRUE(app.WaitNoBox());
  ASSERT_TRUE(app.Close());
}

INSTANTIATE_TEST_SUITE_P(At150And200, DpiClicks, ::testing::Values(DWORD(144), DWORD(192)),
                         [](const ::testing::TestParamInfo<DWORD>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace e2e
