// Start-up and single instance.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace e2e {
namespace {

TEST(Startup, FirstStartWritesSettingsFileWithTheCentredWindow) {
  App app("first_start");
  ASSERT_FALSE(Exists(app.File("sylvane.ini")));
  ASSERT_TRUE(app.Start());
  EXPECT_TRUE(app.WaitNoBox(3000)) << "no message at a normal start";
  EXPECT_TRUE(Exists(app.File("sylvane.ini")));
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

}  // namespace
}  // namespace e2e
