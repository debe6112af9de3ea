// sylvane-cli render (GARDEN.syl | --layers BACKGROUND TREES) OUT
//                    [--mode M | --renderer R | --sun LAT,LON,UTC_OFFSET_HOURS [--at "YYYY-MM-DD HH:MM"]]
//                    [--time HH:MM]
// Writes the lit picture of the garden as PNG, BMP or JPEG (quality 80, as
// the canvas save dialog exports it). The lighting is the settings' lighting
// mode unless --mode names another (0..27) or --renderer picks one of the 33
// renderers directly; --time fixes the clock for the time-of-day mode. --sun
// lights it as the real sun at that place does at the local date and time of
// --at (now without it); the sun's times of that day are printed too. The
// renderer used is printed on standard output ("renderer N").
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/render_input.h"
#include "paint/canvas.h"
#include "paint/lighting.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] =
    "render (GARDEN.syl | --layers BACKGROUND TREES) OUT [--mode M | --renderer R | "
    "--sun LAT,LON,UTC_OFFSET_HOURS [--at \"YYYY-MM-DD HH:MM\"]] [--time HH:MM]";

int Fail(const std::string& text) { return UsageError("render", kUsage, text); }

// "sunrise HH:MM sunset HH:MM noon HH:MM civil twilight HH:MM-HH:MM" of the
// chosen day at the --sun place, or what the sun does instead.
void PrintSunDay(const SunChoice& sun) {
  const SunDay day = ComputeSunDay(sun.place, sun.at.year, sun.at.month, sun.at.day);
  char rise[6], set[6], dawn[6], dusk[6], noon[6];
  FormatClockMinutes(day.solar_noon, noon);
  if (day.horizon == SunCrossing::kRisesAndSets) {
    FormatClockMinutes(day.sunrise, rise);
    FormatClockMinutes(day.sunset, set);
    std::printf("sunrise %s sunset %s noon %s", rise, set, noon);
  } else {
    std::printf("%s noon %s", day.horizon == SunCrossing::kAlwaysAbove ? "sun up all day" : "sun down all day",
                noon);
  }
  if (day.civil == SunCrossing::kRisesAndSets) {
    FormatClockMinutes(day.civil_dawn, dawn);
    FormatClockMinutes(day.civil_dusk, dusk);
    std::printf(" civil twilight %s-%s", dawn, dusk);
  }
  std::printf("\n");
}

int RunRender(const GlobalOptions& global, const std::vector<std::string>& raw) {
  std::vector<std::string> rest_args = raw;
  LayerSource source;
  std::string error;
  if (!TakeLayersOption(rest_args, source, error)) return Fail(error);
  Args args(rest_args);
  const auto mode_text = args.Value("--mode");
  const auto renderer_text = args.Value("--renderer");
  const auto time_text = args.Value("--time");
  const auto sun_text = args.Value("--sun");
  const auto at_text = args.Value("--at");
  std::string out_path;
  if (!TakeSourceAndOutput(args, source, out_path, "OUT", error)) return Fail(error);
  if (mode_text && renderer_text) return Fail("--mode and --renderer exclude each other");
  int mode = -1;
  int renderer = -1;
  if (mode_text && (!ParseInt(*mode_text, mode) || mode < 0 || mode >= kLightingModeCount)) {
    return Fail("--mode needs a number 0..27");
  }
  if (renderer_text && (!ParseInt(*renderer_text, renderer) || renderer < 0 || renderer >= kRendererCount)) {
    return Fail("--renderer needs a number 0..32");
  }
  if (sun_text && (mode_text || renderer_text || time_text)) {
    return Fail("--sun excludes --mode, --renderer and --time");
  }
  if (!ApplyTimeOption(global, time_text, error)) return Fail(error);
  SunChoice sun;
  if (!ApplySunOptions(global, sun_text, at_text, sun, error)) return Fail(error);
  if (sun.given) renderer = sun.renderer;

  if (LoadLayers(global, source) != 0) return 1;
  const Canvas& canvas = CliGarden().canvas;
  if (renderer < 0) renderer = ChooseRenderer(mode >= 0 ? mode : CurrentLightingMode());
  Surface picture;
  if (RenderLayers(renderer, canvas.background, canvas.trees, canvas.weight, picture) != kRenderOk) {
    std::fprintf(stderr, "render: the canvas layers differ in size\n");
    return 1;
  }
  if (WritePicture(picture, out_path) != 0) return 1;
  std::printf("renderer %d\n", renderer);
  if (sun.given) PrintSunDay(sun);
  return 0;
}

const Command command{"render", kUsage, RunRender};
const Registration reg{command};

}  // namespace
}  // namespace sylvane::cli
