#include "cli/render_input.h"

#include <cstdio>

#include "canvas/image/image_io.h"
#include "canvas/records/settings.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "trees/planting.h"
#include "trees/tree.h"

namespace sylvane::cli {

bool TakeLayersOption(std::vector<std::string>& args, LayerSource& source, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--layers") continue;
    if (i + 2 >= args.size()) {
      error = "--layers needs BACKGROUND and TREES";
      return false;
    }
    source.background = args[i + 1];
    source.trees = args[i + 2];
    args.erase(args.begin() + long(i), args.begin() + long(i) + 3);
    return true;
  }
  return true;
}

bool TakeSourceAndOutput(Args& args, LayerSource& source, std::string& out_path, const char* out_name,
                         std::string& error) {
  std::vector<std::string> files;
  if (!args.Positional(files, error)) return false;
  const bool layers = !source.background.empty();
  if (files.size() != (layers ? 1u : 2u)) {
    error = std::string(layers ? "needs " : "needs GARDEN.syl and ") + out_name;
    return false;
  }
  if (!layers) source.garden = files[0];
  out_path = files.back();
  return true;
}

bool ApplyTimeOption(const GlobalOptions& global, const std::optional<std::string>& time_text, std::string& error) {
  if (!time_text) return true;
  int hour = 0, minute = 0;
  if (!ParseClock(*time_text, hour, minute)) {
    error = "--time needs HH:MM";
    return false;
  }
  FixClock(global, hour, minute);
  return true;
}

bool ParseClock(const std::string& text, int& hour, int& minute) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  int h = 0, m = 0;
  if (!ParseInt(text.substr(0, colon), h) || !ParseInt(text.substr(colon + 1), m)) return false;
  if (h < 0 || h > 23 || m < 0 || m > 59) return false;
  hour = h;
  minute = m;
  return true;
}

void FixClock(const GlobalOptions& global, int hour, int minute) {
  LocalTime t = GetPlatform().Now();
  t.hour = hour;
  t.minute = minute;
  t.second = 0;
  t.milliseconds = 0;
  if (global.console) global.console->set_fixed_time(t);
}

int LoadLayers(const GlobalOptions& global, const LayerSource& source) {
  LoadSettingsForCli();
  CliGarden().table;
  global.SeedNow();
  Canvas& canvas = CliGarden().canvas;
  if (!source.garden.empty()) {
    if (LoadGardenForCli(source.garden) != 0) return 1;
    if (!canvas.exists) {
      ShowNoCanvasMessage();
      return 1;
    }
    return 0;
  }
  Surface background;
  Surface trees;
  AlphaPlane weight;
  if (LoadImage(source.background, background) != 0) {
    std::fprintf(stderr, "cannot read the background picture %s\n", source.background.c_str());
    return 1;
  }
  if (LoadImageWithAlpha(source.trees, trees, weight) != 0) {
    std::fprintf(stderr, "cannot read the tree layer %s\n", source.trees.c_str());
    return 1;
  }
  if (background.width != trees.width || background.height != trees.height) {
    std::fprintf(stderr, "the background is %dx%d but the tree layer %dx%d\n", background.width,
                 background.height, trees.width, trees.height);
    return 1;
  }
  canvas.background = std::move(background);
  canvas.trees = std::move(trees);
  canvas.weight = std::move(weight);
  canvas.exists = 1;
  return 0;
}

int WritePicture(const Surface& picture, const std::string& path) {
  const int result = WritePictureByName(picture, path, 80);
  if (result == kNotAPictureName)
    std::fprintf(stderr, "%s: the picture's name must end in .png, .bmp, .jpg or .jpeg\n", path.c_str());
  return result == 0 ? 0 : 1;
}

}  // namespace sylvane::cli
