// The wallpaper style setting, its style string and the registry values.
#include "canvas/wallpaper_style.h"

#include <gtest/gtest.h>

namespace sylvane {
namespace {

TEST(WallpaperStyle, SettingGivesTheStyleString) {
  EXPECT_STREQ(WallpaperStyleString(0), "1");  // tile
  EXPECT_STREQ(WallpaperStyleString(1), "0");  // centre
  EXPECT_STREQ(WallpaperStyleString(2), "2");  // fit to the desktop
  EXPECT_STREQ(WallpaperStyleString(3), "0");
  EXPECT_STREQ(WallpaperStyleString(-1), "0");
  EXPECT_STREQ(WallpaperStyleString(255), "0");
}

TEST(WallpaperStyle, ChangerListGivesTheStyleString) {
  EXPECT_STREQ(ChangerStyleString(0), "0");
  EXPECT_STREQ(ChangerStyleString(1), "1");
  EXPECT_STREQ(ChangerStyleString(2), "2");
  EXPECT_STREQ(ChangerStyleString(7), "0");
}

TEST(WallpaperStyle, RegistryValuesOfEachStyle) {
  WallpaperRegistryValues fit = RegistryValuesForStyle("2");
  EXPECT_EQ(fit.tile_wallpaper, "0");
  EXPECT_EQ(fit.wallpaper_style, "2");
  WallpaperRegistryValues tile = RegistryValuesForStyle("1");
  EXPECT_EQ(tile.tile_wallpaper, "1");
  EXPECT_EQ(tile.wallpaper_style, "0");
  WallpaperRegistryValues centre = RegistryValuesForStyle("0");
  EXPECT_EQ(centre.tile_wallpaper, "0");
  EXPECT_EQ(centre.wallpaper_style, "0");
}

TEST(WallpaperStyle, EverySettingEndsInTheTableValues) {
  struct Row {
    int setting;
    const char* tile;
    const char* style;
  };
  for (Row r : {Row{0, "1", "0"}, Row{1, "0", "0"}, Row{2, "0", "2"}, Row{9, "0", "0"}}) {
    WallpaperRegistryValues v = RegistryValuesForStyle(WallpaperStyleString(r.setting));
    EXPECT_EQ(v.tile_wallpaper, r.tile) << r.setting;
    EXPECT_EQ(v.wallpaper_style, r.style) << r.setting;
  }
}

}  // namespace
}  // namespace sylvane
