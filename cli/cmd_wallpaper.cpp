// sylvane-cli wallpaper GARDEN.syl OUT.bmp --monitors WxH+X+Y,... [--style S]
// Writes the wallpaper picture covering the virtual desktop of the given
// monitors, as the program composes it when every monitor gets its own
// garden: the lit garden (the settings' lighting mode) fitted to each monitor
// by the style, the canvas's background colour around it and between the
// monitors. S is centre, tile or stretch; without it the settings' wallpaper
// style. The picture's size is printed ("desktop WxH+X+Y", its top-left
// corner in desktop coordinates).
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/monitor_layout.h"
#include "canvas/records/settings.h"
#include "canvas/wallpaper_style.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/render_input.h"
#include "paint/canvas.h"
#include "paint/lighting.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "wallpaper GARDEN.syl OUT.bmp --monitors WxH+X+Y[,WxH+X+Y...] [--style centre|tile|stretch]";

int Fail(const std::string& text) { return UsageError("wallpaper", kUsage, text); }

bool ParseStyle(const std::string& text, MonitorFit& fit) {
  if (text == "centre" || text == "center") {
    fit = MonitorFit::kCentre;
  } else if (text == "tile") {
    fit = MonitorFit::kTile;
  } else if (text == "stretch") {
    fit = MonitorFit::kStretch;
  } else {
    return false;
  }
  return true;
}

const char* LayoutError(LayoutStatus status) {
  switch (status) {
    case LayoutStatus::kNoGarden:
      return "the garden has no picture";
    case LayoutStatus::kBadMonitor:
      return "a monitor has no pixels";
    case LayoutStatus::kTooLarge:
      return "the desktop is larger than 16384 pixels on a side";
    default:
      return "";
  }
}

int RunWallpaper(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto monitors_text = args.Value("--monitors");
  const auto style_text = args.Value("--style");
  std::vector<std::string> positional;
  std::string error;
  if (!args.Positional(positional, error)) return Fail(error);
  if (positional.size() != 2) return Fail("needs GARDEN.syl and OUT.bmp");
  if (!monitors_text) return Fail("needs --monitors");
  std::vector<MonitorRect> monitors;
  if (!ParseMonitorList(*monitors_text, monitors, error)) return Fail(error);
  MonitorFit fit = MonitorFit::kCentre;
  if (style_text && !ParseStyle(*style_text, fit)) return Fail("--style must be centre, tile or stretch");

  LayerSource source;
  source.garden = positional[0];
  if (LoadLayers(global, source) != 0) return 1;
  if (!style_text) fit = FitForStyleString(WallpaperStyleString(Settings().wallpaper_style));
  const Canvas& canvas = CliGarden().canvas;
  Surface lit;
  const int renderer = ChooseRenderer(CurrentLightingMode());
  if (RenderLayers(renderer, canvas.background, canvas.trees, canvas.weight, lit) != kRenderOk) {
    std::fprintf(stderr, "wallpaper: the canvas layers differ in size\n");
    return 1;
  }
  Surface desktop;
  const LayoutStatus status = ComposeDesktopPicture(lit, canvas.background_colour, fit, monitors, desktop);
  if (status != LayoutStatus::kOk) {
    std::fprintf(stderr, "wallpaper: %s\n", LayoutError(status));
    return 1;
  }
  if (WritePicture(desktop, positional[1]) != 0) return 1;
  const MonitorRect box = VirtualDesktop(monitors);
  std::printf("desktop %dx%d%+d%+d\n", box.width, box.height, box.x, box.y);
  return 0;
}

const Command command{"wallpaper", kUsage, RunWallpaper};
const Registration reg{command};

}  // namespace
}  // namespace sylvane::cli
