// The sample garden becomes the desktop wallpaper: "default.bmp" in the
// program folder and the desktop registry values of each wallpaper style.
#include <gtest/gtest.h>

#include <cstring>

#include "canvas/image/image_io.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace e2e {
namespace {

const char kDesktop[] = "Control Panel\\Desktop";

void ClearDesktopValues() {
  DeleteUserValue(kDesktop, "Wallpaper");
  DeleteUserValue(kDesktop, "TileWallpaper");
  DeleteUserValue(kDesktop, "Wallpaperstyle");
}

struct StyleCase {
  int setting;
  const char* tile;
  const char* style;
};

class WallpaperStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(WallpaperStyle, SampleGardenIsWrittenAndSetWithTheStyleValues) {
  const StyleCase c = GetParam();
  App app("wallpaper_style_" + std::to_string(c.setting));
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.wallpaper_style = uint8_t(c.setting);
  // A background colour that shows in every pixel of the new, still empty garden.
  s.background_red = 10;
  s.background_green = 200;
  s.background_blue = 30;
  s.lighting_mode = 0;
  WriteSettings(s, app.folder());
  ClearDesktopValues();
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));

  const std::string bmp = app.File("default.bmp");
  int w = 0, h = 0, bits = 0;
  ASSERT_TRUE(BmpInfo(bmp, w, h, bits));
  EXPECT_EQ(w, 600);
  EXPECT_EQ(h, 500);
  EXPECT_EQ(bits, 24);
  sylvane::Surface pic;
  ASSERT_GE(sylvane::LoadBmp(bmp, pic), 0);
  int tree_pixels = 0;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) {
      const uint8_t* p = pic.PixelAt(x, y);
      if (p[0] != 30 || p[1] != 200 || p[2] != 10) ++tree_pixels;
    }
  // The wallpaper is remade once the sample tree has grown: it shows the tree
  // on the background colour.
  EXPECT_GT(tree_pixels, 200) << "the grown tree is on the wallpaper";
  EXPECT_LT(tree_pixels, pic.width * pic.height / 2) << "the rest is the background colour";

  std::string value;
  DWORD length = 0;
  ASSERT_TRUE(ReadUserString(kDesktop, "Wallpaper", value));
  EXPECT_EQ(_stricmp(value.c_str(), bmp.c_str()), 0) << value;
  // (The values are written with the text's length, without a NUL; Wine's
  // registry adds one of its own when it converts them, so only the texts are checked.)
  ASSERT_TRUE(ReadUserString(kDesktop, "TileWallpaper", value, &length));
  EXPECT_EQ(value, c.tile);
  EXPECT_LE(length, 2u);
  ASSERT_TRUE(ReadUserString(kDesktop, "Wallpaperstyle", value, &length));
  EXPECT_EQ(value, c.style);
  EXPECT_LE(length, 2u);
  if (c.setting == 2) SaveScreenshot(app.main(), "main_window_sample_garden");
  ASSERT_TRUE(app.Close());
}

INSTANTIATE_TEST_SUITE_P(Styles, WallpaperStyle,
                         ::testing::Values(StyleCase{0, "1", "0"}, StyleCase{1, "0", "0"}, StyleCase{2, "0", "2"}));

TEST(Wallpaper, WithTheChangerActiveTheFileIsWrittenButTheDesktopStays) {
  App app("wallpaper_changer_active");
  sylvane::MInitInfo s = TestSettings(app.folder());
  s.changer_active = 1;
  WriteSettings(s, app.folder());
  ClearDesktopValues();
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  int w = 0, h = 0, bits = 0;
  EXPECT_TRUE(BmpInfo(app.File("default.bmp"), w, h, bits));
  std::string value;
  EXPECT_FALSE(ReadUserString(kDesktop, "TileWallpaper", value)) << value;
  EXPECT_FALSE(ReadUserString(kDesktop, "Wallpaperstyle", value)) << value;
  ASSERT_TRUE(app.Close());
}

TEST(Wallpaper, LightingMenuCommandStoresTheModeAndRemakesTheWallpaper) {
  App app("wallpaper_lighting");
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.Send(CMD_SAMPLE_GARDEN));
  uint64_t size0 = 0, size1 = 0;
  FILETIME t0{}, t1{};
  ASSERT_TRUE(FileStamp(app.File("default.bmp"), size0, t0));
  DeleteFileA(app.File("default.bmp").c_str());
  ASSERT_TRUE(app.Send(CMD_LIGHT_FIRST + 11));  // "3 colors" = mode 11
  EXPECT_TRUE(FileStamp(app.File("default.bmp"), size1, t1)) << "CMD_MAKE_WALLPAPER followed the mode change";
  EXPECT_EQ(size0, size1);
  ASSERT_TRUE(app.Close());
  sylvane::MInitInfo s;
  ASSERT_TRUE(ReadSettings(app.folder(), s));
  EXPECT_EQ(s.lighting_mode, 11);
}

}  // namespace
}  // namespace e2e
