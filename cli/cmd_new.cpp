// sylvane-cli new GARDEN.syl --size WxH [--color #RRGGBB] [--image FILE [--fit]]
//                 [--interval MIN] [--report]
// Creates a new canvas as the new-canvas dialog does (an empty tree table, the
// layers, no labels) and saves it as a canvas file.
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "canvas/garden.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] =
    "new GARDEN.syl --size WxH [--color #RRGGBB] [--image FILE [--fit]] [--interval MIN] [--report]";
constexpr int kMaxInterval = 1440;  // minutes in a day

// "#RRGGBB" (the # may be left out) -> COLORREF 0x00BBGGRR.
bool ParseColour(std::string text, uint32_t& colour) {
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6) return false;
  uint32_t rgb = 0;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else return false;
    rgb = rgb << 4 | uint32_t(v);
  }
  const uint32_t red = rgb >> 16 & 0xFF, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
  colour = red | green << 8 | blue << 16;
  return true;
}

int Fail(const char* text) { return UsageError("new", kUsage, text); }

int RunNew(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool report = args.Flag("--report");
  const bool fit = args.Flag("--fit");
  const auto size = args.Value("--size");
  const auto colour_text = args.Value("--color");
  const auto image = args.Value("--image");
  const auto interval_text = args.Value("--interval");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error.c_str());
  if (files.size() != 1) return Fail("needs one GARDEN.syl");
  int width = 0, height = 0;
  if (!size || !ParseSize(*size, width, height)) return Fail("--size needs WxH");
  if (!IsAcceptableSize(width, height)) return Fail("width and height must be 1..16384");
  if (fit && !image) return Fail("--fit needs --image");

  LoadSettingsForCli();
  const MInitInfo& settings = Settings();
  uint32_t colour = SettingsBackgroundColour(settings);
  if (colour_text && !ParseColour(*colour_text, colour)) return Fail("--color needs #RRGGBB");
  int interval = settings.update_interval;
  if (interval_text && (!ParseInt(*interval_text, interval) || interval < 0 || interval > kMaxInterval))
    return Fail("--interval needs minutes 0..1440");
  if (interval < 0 || interval > kMaxInterval) interval = 0;

  // As the program: the table exists before the generator is seeded.
  TreeTable& table = CliGarden().table;
  global.SeedNow();

  Surface picture;
  int32_t kind = kBackgroundColour;
  if (image) {
    if (LoadImage(*image, picture, true) != 0) {
      std::fprintf(stderr, "new: cannot read the background picture '%s'\n", image->c_str());
      return 1;
    }
    kind = kBackgroundPicture;
  }
  if (CreateGardenCanvas(CliGarden().canvas, table, CliGarden().labels, width, height, colour, kind, picture, interval, fit) !=
      kCanvasOk) {
    std::fprintf(stderr, "new: cannot create a %dx%d canvas\n", width, height);
    return 1;
  }
  if (SaveGardenForCli(files[0]) != 0) return 1;
  if (report) PrintReport(GardenReport{});
  return 0;
}

const Command kNew{"new", kUsage, RunNew};
static Registration reg{kNew};

}  // namespace
}  // namespace sylvane::cli
