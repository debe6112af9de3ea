// Where windows open: the canvas window beside the main window and never
// beyond the work area (the taskbar stays uncovered), the map window beside
// the main window the first time and where it was stored afterwards; and the
// changer's add-picture dialog, which starts in the user's Pictures folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/canvaswin_resource.h"
#include "res/changer_resource.h"
#include "res/commands.h"

namespace e2e {
namespace {

constexpr int kGap = 8;  // between the main window and the window put beside it

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

RECT RectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

bool Inside(const RECT& r, const RECT& work) {
  return r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom;
}

bool Beside(const RECT& r, const RECT& main) { return r.left == main.right + kGap || r.right == main.left - kGap; }

// The top-level window of the process with a child of this id.
HWND WindowWithChild(App& app, int id) {
  struct Args {
    DWORD pid;
    int id;
    HWND found;
  } args{app.pid(), id, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* a = reinterpret_cast<Args*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == a->pid && GetDlgItem(w, a->id)) {
          a->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&args));
  return args.found;
}

HWND CanvasWindow(App& app) {
  struct Args {
    DWORD pid;
    HWND found;
  } args{app.pid(), nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* a = reinterpret_cast<Args*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == a->pid && GetDlgItem(w, CW_IDC_ZOOM) && !GetDlgItem(w, IDC_CHANGER_LIST)) {
          a->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&args));
  return args.found;
}

TEST(Placement, CanvasWindowOpensBesideTheMainWindowNotAtTheCorner) {
  App app("placement_canvas_small");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "320", "240", "10"));
  ASSERT_TRUE(app.Send(CMD_CANVAS_WINDOW));
  HWND w = CanvasWindow(app);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(w); }));
  const RECT r = RectOf(w), main = RectOf(app.main());
  EXPECT_TRUE(Beside(r, main)) << r.left << "," << r.top << " main " << main.left << ".." << main.right;
  EXPECT_EQ(r.top, main.top) << "level with the main window";
  EXPECT_TRUE(Inside(r, WorkArea()));
  ASSERT_TRUE(app.Close());
}

TEST(Placement, ACanvasWindowLargerThanTheScreenStaysInsideTheWorkArea) {
  App app("placement_canvas_large");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "3000", "2000", "10"));
  ASSERT_TRUE(app.Send(CMD_CANVAS_WINDOW));
  HWND w = CanvasWindow(app);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(w); }));
  const RECT work = WorkArea();
  RECT r = RectOf(w);
  EXPECT_TRUE(Inside(r, work)) << r.left << "," << r.top << ".." << r.right << "," << r.bottom;
  // A zoom step that still exceeds the screen: resized, it stays inside too.
  PostMessageA(w, WM_COMMAND, MAKEWPARAM(CW_IDC_ZOOM, CBN_SELCHANGE), LPARAM(GetDlgItem(w, CW_IDC_ZOOM)));
  ASSERT_TRUE(app.Send(CMD_REFRESH_CANVAS_WINDOW));
  r = RectOf(w);
  EXPECT_TRUE(Inside(r, work)) << r.left << "," << r.top << ".." << r.right << "," << r.bottom;
  ASSERT_TRUE(app.Close());
}

TEST(Placement, MapWindowOpensBesideTheMainWindowFirstAndWhereItWasStoredAfterwards) {
  App app("placement_map");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "400", "300", "10"));
  const std::string tree = app.File("tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.DropFile(tree));
  HWND map = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    map = app.FindWindowOfClass("MAP_VIEW");
    return map && IsWindowVisible(map);
  }));
  const RECT r = RectOf(map), main = RectOf(app.main());
  EXPECT_TRUE(Beside(r, main)) << r.left << "," << r.top;
  EXPECT_TRUE(Inside(r, WorkArea()));
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.map_window.x, r.left) << "the place is stored";
  EXPECT_EQ(s.map_window.y, r.top);
  // Stored somewhere else, it opens there.
  s.map_window.x = 40;
  s.map_window.y = 50;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.DropFile(tree));
  ASSERT_TRUE(WaitUntil([&] {
    map = app.FindWindowOfClass("MAP_VIEW");
    return map && IsWindowVisible(map);
  }));
  EXPECT_EQ(RectOf(map).left, 40);
  EXPECT_EQ(RectOf(map).top, 50);
  ASSERT_TRUE(ClickMapCentre(app));
  ASSERT_TRUE(app.Close());
}

// Points the user's Pictures folder at `folder` for the life of the object
// (the shell folder values of the test prefix), so that no test file lands in
// the real one.
class PicturesFolder {
 public:
  explicit PicturesFolder(const std::string& folder) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD type = 0, size = sizeof(old_);
    had_ = RegQueryValueExA(key_, "My Pictures", nullptr, &type, reinterpret_cast<BYTE*>(old_), &size) == ERROR_SUCCESS;
    old_type_ = type;
    old_size_ = size;
    RegSetValueExA(key_, "My Pictures", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   DWORD(folder.size() + 1));
  }
  ~PicturesFolder() {
    if (had_)
      RegSetValueExA(key_, "My Pictures", 0, old_type_, reinterpret_cast<const BYTE*>(old_), old_size_);
    else
      RegDeleteValueA(key_, "My Pictures");
    RegCloseKey(key_);
  }

 private:
  static constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD old_type_ = 0;
  DWORD old_size_ = 0;
  char old_[MAX_PATH * 2] = {};
};

TEST(Placement, ChangersAddPictureDialogStartsInThePicturesFolder) {
  App app("placement_changer_pictures");
  const std::string pictures = app.File("pictures");
  CreateDirectoryA(pictures.c_str(), nullptr);
  PicturesFolder redirect(pictures);
  // A picture only the Pictures folder has: a bare name finds it only there.
  const std::string name = "sylvane_changer_start.bmp";
  sylvane::Surface pic;
  ASSERT_TRUE(pic.CreateFilled(8, 8, 0x66));
  pic.RefreshHeaders();
  ASSERT_EQ(sylvane::WriteBmp(Join(pictures, name), pic), 0);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_CHANGER));
  HWND changer = WindowWithChild(app, IDC_CHANGER_LIST);
  ASSERT_NE(changer, nullptr);
  HWND list = GetDlgItem(changer, IDC_CHANGER_LIST);
  const LRESULT before = SendMessageA(list, LB_GETCOUNT, 0, 0);
  PostMessageA(changer, WM_COMMAND, MAKEWPARAM(CMD_CHANGER_ADD, BN_CLICKED), LPARAM(GetDlgItem(changer, CMD_CHANGER_ADD)));
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("壁紙に使う画像を開く", dialog));
  FillFileDialog(dialog, name);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), before + 1) << "the picture was found in the Pictures folder";
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.changer_folder.c_str(), pictures.c_str()), 0) << s.changer_folder;
}

}  // namespace
}  // namespace e2e
