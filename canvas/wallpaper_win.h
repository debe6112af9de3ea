// Desktop wallpaper output: writes the lit canvas as "default.bmp" in the
// program folder and makes Windows show it -- through the Active Desktop
// object, the desktop registry values and SystemParametersInfoA, in that
// order -- and reads the current wallpaper for the canvas dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "canvas/image/surface.h"
#include "canvas/monitor_layout.h"

namespace sylvane {

// The canvas wallpaper's file in the program folder.
inline constexpr char kCanvasWallpaperFile[] = "default.bmp";

// Writes lit as "default.bmp" in the program folder (a failure shows the BMP
// writer's message and the steps go on), finds its full path and, unless the
// changer is showing a picture of its own, sets it as the wallpaper with the
// style of the setting (0 tile, 1 centre, 2 fit). Returns 0.
int PublishCanvasWallpaper(HWND owner, const Surface& lit, int style_setting, bool changer_active);

// The environment variable that replaces the monitors the system reports
// ("WxH+X+Y,WxH+X+Y,...", as sylvane-cli wallpaper takes them), so that
// layouts the machine does not have can be measured and tested.
inline constexpr char kMonitorsVariable[] = "SYLVANE_MONITORS";

// The monitors of the desktop in EnumDisplayMonitors order, each the
// rectangle GetMonitorInfo gives (physical pixels for a program aware of each
// monitor's DPI); the list of kMonitorsVariable instead when it is set and
// parses.
std::vector<MonitorRect> DesktopMonitors();

// The file of the index-th monitor's wallpaper (0-based) in the program
// folder: "default_1.bmp", "default_2.bmp", ...
std::string MonitorWallpaperFile(int index);

// How PublishMonitorWallpapers reached the desktop.
enum class MonitorWallpaperRoute {
  kPerMonitor,     // the desktop wallpaper object: one file per monitor
  kAcrossDesktop,  // one picture across the virtual desktop, tiled, as "default.bmp"
  kNone,           // nothing could be composed; nothing was written
};

// The wallpaper with a picture of its own for every monitor: the lit garden
// fitted to each monitor by the style setting (0 tile, 1 centre, 2 fit) with
// background (COLORREF) around it. Where the desktop wallpaper object of
// Windows 8 and later exists, each monitor's picture is written as
// MonitorWallpaperFile(i) and set for that monitor (the garden itself is
// still written as "default.bmp", which the changer previews); elsewhere the picture
// across the virtual desktop is written as "default.bmp" and set tiled
// (SetWallpaper with style "1") -- for a grid of equal monitors only one
// monitor's picture, which tiles to the same desktop. As PublishCanvasWallpaper, the files are
// written also when changer_active is set, but the desktop is left alone.
// Returns the route taken.
MonitorWallpaperRoute PublishMonitorWallpapers(HWND owner, const Surface& lit, uint32_t background,
                                               int style_setting, bool changer_active);

// Sets full_path as the desktop wallpaper with a style string ("0" centre,
// "1" tile, "2" fit). Returns 0, or -1 when the desktop key cannot be created
// ("RegCreateKeyExでエラーが発生しました1", caption "Error"; SystemParametersInfoA
// is then not called).
int SetWallpaper(const std::string& full_path, const std::string& style);

// Loads the current wallpaper (the "Wallpaper" value of the desktop key) into
// out. Returns 0; -1 when the key cannot be opened; -2 when the picture fails
// to load (the loader's message is shown).
int ReadCurrentWallpaper(HWND owner, Surface& out);

}  // namespace sylvane
