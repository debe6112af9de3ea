// A wallpaper for every monitor under Wine, which has no desktop wallpaper
// object: the picture across the virtual desktop, each monitor's garden
// centred with the background colour around, set tiled.
#include <gtest/gtest.h>

#include <cstring>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

// A picture per monitor, centred, on a green colour. The lighting also lights
// the background, so that the garden differs from the plain colour around it.
void WritePerMonitorSettings(App& app) {
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.wallpaper_style = 1;  // centre
  s.background_red = 10;
  s.background_green = 200;
  s.background_blue = 30;
  s.lighting_mode = 24;
  WriteSettings(s, app.folder());
  WriteTextFile(app.File("sylvane-options.ini"), "[wallpaper]\nper_monitor = true\n");
}

TEST(Monitors, PerMonitorOptionSetsThePictureAcrossTheDesktopTiled) {
  App app("monitors_across");
  WritePerMonitorSettings(app);
  DeleteUserValue("Control Panel\\Desktop", "TileWallpaper");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));

  const std::string bmp = app.File("default.bmp");
  sylvane::Surface pic;
  ASSERT_GE(sylvane::LoadBmp(bmp, pic), 0);
  EXPECT_EQ(pic.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(pic.height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_FALSE(Exists(app.File("default_1.bmp"))) << "no per-monitor files without the wallpaper object";
  // The 600 x 500 garden in the middle, lit; the plain colour around it.
  const int left = (pic.width - 600) / 2, top = (pic.height - 500) / 2;
  int wrong_outside = 0, lit_inside = 0;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint8_t* p = pic.PixelAt(x, y);
      const bool plain = p[0] == 30 && p[1] == 200 && p[2] == 10;
      const bool inside = x >= left && x < left + 600 && y >= top && y < top + 500;
      if (!inside && !plain) ++wrong_outside;
      if (inside && !plain) ++lit_inside;
    }
  EXPECT_EQ(wrong_outside, 0);
  EXPECT_GT(lit_inside, 600 * 500 / 2) << "the lit garden lies in the middle";
  SaveScreenshot(app.main(), "monitors_across_main");
  std::string value;
  ASSERT_TRUE(ReadUserString("Control Panel\\Desktop", "Wallpaper", value));
  EXPECT_EQ(_stricmp(value.c_str(), bmp.c_str()), 0) << value;
  ASSERT_TRUE(ReadUserString("Control Panel\\Desktop", "TileWallpaper", value));
  EXPECT_EQ(value, "1");
  ASSERT_TRUE(app.Close());
}

// Two monitors of mixed size and orientation, one left of and above the
// primary, given through SYLVANE_MONITORS (a Wine desktop has one monitor).
TEST(Monitors, MixedMonitorsEachShowTheWholeGardenInPlace) {
  SetEnvironmentVariableA("SYLVANE_MONITORS", "1280x1024+0+0,600x800+-600+-100");
  App app("monitors_mixed");
  WritePerMonitorSettings(app);
  const bool started = app.Start();
  SetEnvironmentVariableA("SYLVANE_MONITORS", nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  sylvane::Surface pic;
  ASSERT_GE(sylvane::LoadBmp(app.File("default.bmp"), pic), 0);
  ASSERT_EQ(pic.width, 1880);
  ASSERT_EQ(pic.height, 1124);
  // The primary's garden: its corner at (600 + 340, 100 + 262); the portrait
  // monitor's, just as wide as it, at (0, 150). Both at the garden's own size.
  auto in_primary = [](int x, int y) { return x >= 940 && x < 1540 && y >= 362 && y < 862; };
  auto in_portrait = [](int x, int y) { return x < 600 && y >= 150 && y < 650; };
  int wrong_outside = 0, different = 0;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint8_t* p = pic.PixelAt(x, y);
      const bool plain = p[0] == 30 && p[1] == 200 && p[2] == 10;
      if (!in_primary(x, y) && !in_portrait(x, y) && !plain) ++wrong_outside;
      if (in_portrait(x, y) && std::memcmp(p, pic.PixelAt(x + 940, y + 212), 3) != 0) ++different;
    }
  EXPECT_EQ(wrong_outside, 0);
  EXPECT_EQ(different, 0) << "both monitors show the same garden";
  const uint8_t* middle = pic.PixelAt(1240, 612);
  EXPECT_FALSE(middle[0] == 30 && middle[1] == 200 && middle[2] == 10) << "the lit garden";
  ASSERT_TRUE(app.Close());
}

}  // namespace
}  // namespace e2e
