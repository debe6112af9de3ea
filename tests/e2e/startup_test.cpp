// Start-up and single instance.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

TEST(Startup, FirstStartWritesSettingsFileWithTheCentredWindow) {
  App app("first_start");
  ASSERT_FALSE(Exists(app.File("sylvane.ini")));
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitNoBox(3000)) << "no message at a normal start";
  EXPECT_TRUE(Exists(app.File("sylvane.ini")));
  EXPECT_TRUE(Exists(app.File("default.syl"))) << "written from the empty garden";
  EXPECT_EQ(app.State("SylvaneTimer"), 0) << "no canvas, no clock";
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  // Reset values: the main window centred on the screen.
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(s.main_x, (sw + 1) / 2 - 125);
  EXPECT_EQ(s.main_y, (sh + 1) / 2 - 255);
  RECT r;
  ASSERT_TRUE(GetWindowRect(app.main(), &r));
  EXPECT_EQ(r.left, s.main_x);
  EXPECT_EQ(r.top, s.main_y);
  SaveScreenshot(app.main(), "main_window_first_start");
  ASSERT_TRUE(app.Close());
  EXPECT_EQ(app.ExitCode(), 0u);
}

TEST(Startup, SecondStartEndsAtOnceLeavingOneInstance) {
  App app("second_start");
  ASSERT_TRUE(app.Start());
  DWORD code = app.StartSecondInstance(15000);
  EXPECT_EQ(code, 0u) << "the second start ends with exit code 0";
  EXPECT_TRUE(app.Running());
  int windows = 0;
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "SylvanWood", nullptr)) != nullptr) ++windows;
  EXPECT_EQ(windows, 1);
  EXPECT_TRUE(app.Boxes().empty());
  ASSERT_TRUE(app.Close());
}

TEST(Startup, ClosingStoresTheWindowPositionInTheSettings) {
  App app("close_position");
  ASSERT_TRUE(app.Start());
  SetWindowPos(app.main(), nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] {
    RECT r;
    GetWindowRect(app.main(), &r);
    return r.left == 123 && r.top == 77;
  }));
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.main_x, 123);
  EXPECT_EQ(s.main_y, 77);
}

TEST(Startup, MainWindowFollowsADragByItsBackground) {
  App app("drag_main");
  ASSERT_TRUE(app.Start());
  RECT r;
  ASSERT_TRUE(GetWindowRect(app.main(), &r));
  // A point of the background that is no element.
  POINT grab{r.left + 2, r.top + 2};
  ASSERT_EQ(ChildWindowFromPointEx(app.main(), POINT{2, 2}, CWP_SKIPINVISIBLE), app.main());
  SetCursorPos(grab.x, grab.y);
  Sleep(200);
  PostMessageA(app.main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  Sleep(200);
  SetCursorPos(grab.x + 60, grab.y + 40);
  Sleep(200);
  PostMessageA(app.main(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(62, 42));
  Sleep(200);
  PostMessageA(app.main(), WM_LBUTTONUP, 0, MAKELPARAM(62, 42));
  ASSERT_TRUE(WaitUntil([&] {
    RECT now;
    GetWindowRect(app.main(), &now);
    return now.left == r.left + 60 && now.top == r.top + 40;
  })) << "the window moved with the cursor";
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.main_x, r.left + 60);
  EXPECT_EQ(s.main_y, r.top + 40);
}

TEST(Startup, NextStartResumesTheGardenFromDefaultSylAndRunsTheClock) {
  App app("resume_garden");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  const int growing = app.State("SylvaneGrowing");
  ASSERT_TRUE(app.Close());
  uint64_t size = 0;
  FILETIME t{};
  ASSERT_TRUE(FileStamp(app.File("default.syl"), size, t));
  EXPECT_GT(size, 1000u) << "the sample garden with its tree layer";
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitNoBox(3000));
  EXPECT_EQ(app.State("SylvaneTimer"), 1) << "a canvas was resumed: the clock runs";
  EXPECT_TRUE(Exists(app.File("default.bmp"))) << "loading the canvas made the wallpaper";
  EXPECT_EQ(app.State("SylvaneGrowing"), growing) << "the growing trees came back";
  ASSERT_TRUE(app.Close());
}

TEST(Startup, CommandLineTreeFileIsPlantedThroughTheMap) {
  App app("command_line_tree");
  // A garden to plant into.
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(NewCanvas(app, "300", "200", "5"));
  ASSERT_TRUE(app.Close());
  const std::string tree = app.File("my tree.ki");
  ASSERT_TRUE(WriteSampleTreeFile(tree));
  ASSERT_TRUE(app.Start("\"" + tree + "\""));
  HWND map = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    map = app.FindWindowOfClass("MAP_VIEW");
    return map && IsWindowVisible(map);
  })) << "planting shows the map";
  EXPECT_FALSE(IsWindowEnabled(app.main()));
  ASSERT_TRUE(app.Close(3000) || (app.Kill(), true));
}

}  // namespace
}  // namespace e2e
