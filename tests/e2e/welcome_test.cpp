// The first start's welcome: a window beside the notification area with
// three choices (the recommended garden of starter trees, the new-canvas
// dialog, closing), shown only while no garden file exists; and the open-tree
// dialog, which starts in the starter trees' folder.
#include <gtest/gtest.h>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/commands.h"
#include "ui/welcome_win.h"

namespace e2e {
namespace {

HWND WaitForWelcome(App& app, DWORD wait_ms = 15000) {
  HWND w = nullptr;
  WaitUntil(
      [&] {
        w = app.FindWindowOfClass(sylvane::kWelcomeClass);
        return w && IsWindowVisible(w);
      },
      wait_ms);
  return w && IsWindowVisible(w) ? w : nullptr;
}

std::string Text(HWND w) {
  char buffer[512] = {};
  GetWindowTextA(w, buffer, sizeof(buffer));
  return buffer;
}

void Choose(HWND welcome, int id) { PostMessageA(welcome, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool Gone(App& app) {
  return WaitUntil([&] { return !app.FindWindowOfClass(sylvane::kWelcomeClass); });
}

TEST(Welcome, FirstStartShowsItBesideTheTrayAndCloseLeavesNoGardenAndItNeverComesBack) {
  App app("welcome_close");
  ASSERT_TRUE(app.Start());
  HWND welcome = WaitForWelcome(app);
  ASSERT_NE(welcome, nullptr) << "no default.syl: the welcome is shown";
  EXPECT_EQ(Text(welcome), sylvane::kWelcomeCaption);
  EXPECT_EQ(Text(GetDlgItem(welcome, sylvane::kWelcomeRecommendedId)), "おすすめの庭を作る");
  EXPECT_EQ(Text(GetDlgItem(welcome, sylvane::kWelcomeOwnId)), "自分で作る");
  EXPECT_EQ(Text(GetDlgItem(welcome, sylvane::kWelcomeCloseId)), "閉じる");
  // In the work area's bottom right corner, clear of the main window in the middle.
  RECT work{}, r{}, main{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(welcome, &r);
  GetWindowRect(app.main(), &main);
  EXPECT_LE(r.right, work.right);
  EXPECT_LE(r.bottom, work.bottom);
  EXPECT_GT(r.left, (work.left + work.right) / 2);
  RECT overlap{};
  EXPECT_FALSE(IntersectRect(&overlap, &r, &main)) << "the main window stays uncovered";
  EXPECT_TRUE(app.Boxes().empty()) << "not a dialog box: the program goes on answering";
  EXPECT_TRUE(app.Send(CMD_MAKE_WALLPAPER, 5000));
  SaveScreenshot(welcome, "welcome");
  Choose(welcome, sylvane::kWelcomeCloseId);
  ASSERT_TRUE(Gone(app));
  EXPECT_FALSE(Exists(app.File("default.bmp"))) << "closing makes no garden";
  ASSERT_TRUE(app.Close());
  EXPECT_TRUE(Exists(app.File("default.syl"))) << "the first start wrote its files as before";
  // The next start has default.syl: no welcome.
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(WaitForWelcome(app, 3000), nullptr);
  ASSERT_TRUE(app.Close());
}

TEST(Welcome, RecommendedGardenIsDesktopSizedWithGrowingStarterTreesAndTheWallpaperShowsThem) {
  App app("welcome_recommended");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.lighting_mode = 0;
  WriteSettings(s, app.folder());
  ASSERT_TRUE(app.Start());
  HWND welcome = WaitForWelcome(app);
  ASSERT_NE(welcome, nullptr);
  Choose(welcome, sylvane::kWelcomeRecommendedId);
  ASSERT_TRUE(Gone(app));
  const std::string bmp = app.File("default.bmp");
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(WaitUntil([&] { return BmpInfo(bmp, w, h, bits) && app.State("SylvaneGrowing") >= 3; }, 60000));
  RECT desk{};
  GetClientRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(w, desk.right - desk.left);
  EXPECT_EQ(h, desk.bottom - desk.top);
  EXPECT_GE(app.State("SylvaneGrowing"), 3) << "a few starter trees were planted";
  EXPECT_LE(app.State("SylvaneGrowing"), 8);
  // The clock starts after the first passes and the wallpaper.
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneTimer") == 1; }, 60000)) << "the clock runs";
  ASSERT_TRUE(app.Sync());
  // The trees grew a little before the wallpaper was made: the lower part shows them.
  sylvane::Surface pic;
  ASSERT_GE(sylvane::LoadBmp(bmp, pic), 0);
  const uint8_t* corner = pic.PixelAt(0, 0);
  int painted = 0;
  for (int y = pic.height * 3 / 4; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint8_t* p = pic.PixelAt(x, y);
      painted += p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2];
    }
  EXPECT_GT(painted, 300);
  ASSERT_TRUE(app.Close());
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Sync());
  EXPECT_EQ(WaitForWelcome(app, 3000), nullptr) << "a garden exists: no welcome";
  EXPECT_GE(app.State("SylvaneGrowing"), 3) << "the garden was kept";
  ASSERT_TRUE(app.Close());
}

TEST(Welcome, OwnGardenOpensTheNewCanvasDialog) {
  App app("welcome_own");
  ASSERT_TRUE(app.Start());
  HWND welcome = WaitForWelcome(app);
  ASSERT_NE(welcome, nullptr);
  Choose(welcome, sylvane::kWelcomeOwnId);
  Box box;
  ASSERT_TRUE(app.WaitForBox("キャンバスの新規作成", box));
  EXPECT_FALSE(app.FindWindowOfClass(sylvane::kWelcomeClass)) << "the welcome closed";
  app.Press(box, IDCANCEL);
  ASSERT_TRUE(app.WaitNoBox());
  EXPECT_FALSE(Exists(app.File("default.bmp")));
  ASSERT_TRUE(app.Close());
}

TEST(StarterTrees, TheOpenTreeDialogStartsInTheStarterFolderUntilAnotherIsChosen) {
  // A fresh settings file remembers the program folder for opening trees.
  App app("starter_open_dialog");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "400", "300", "10"));
  app.Post(CMD_PLANT_TREE);
  Box dialog;
  ASSERT_TRUE(app.WaitForBox("樹ファイルを開く", dialog));
  // A bare name is looked for in the dialog's starting folder.
  FillFileDialog(dialog, "yamazakura.ki");
  ASSERT_TRUE(ClickMapCentre(app));
  EXPECT_TRUE(WaitUntil([&] { return app.State("SylvaneGrowing") == 1; }));
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(_stricmp(s.folders[sylvane::kFolderOpenTrees].c_str(), app.File("trees").c_str()), 0)
      << s.folders[sylvane::kFolderOpenTrees];
}

}  // namespace
}  // namespace e2e
