// The desktop wallpaper's display styles: the setting stored for the canvas
// wallpaper, the style string handed to the wallpaper output and the two
// registry values ("TileWallpaper", "Wallpaperstyle") a style string gives.
#pragma once
#include <string>
#include <string_view>

namespace sylvane {

// Canvas wallpaper setting: 0 tile, 1 centre, 2 fit to the desktop; any other
// value centres.
inline const char* WallpaperStyleString(int setting) {
  switch (setting) {
    case 0:
      return "1";
    case 2:
      return "2";
    default:
      return "0";
  }
}

// The wallpaper changer's list: 0 centre, 1 tile, 2 stretch.
inline const char* ChangerStyleString(int index) {
  switch (index) {
    case 1:
      return "1";
    case 2:
      return "2";
    default:
      return "0";
  }
}

struct WallpaperRegistryValues {
  std::string tile_wallpaper;  // "TileWallpaper"
  std::string wallpaper_style; // "Wallpaperstyle"
};

// "2" (fit) gives "0" and "2"; any other string gives itself and "0".
inline WallpaperRegistryValues RegistryValuesForStyle(std::string_view style) {
  if (style == "2") return {"0", "2"};
  return {std::string(style), "0"};
}

}  // namespace sylvane
