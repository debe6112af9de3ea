// sylvane-cli grow-sample --at X,Y [--size WxH] [--passes N] [--budget A]
//                         [--out PICTURE] [--layers TREES.png] [--report]
// A new canvas in the settings' background colour with the built-in sample
// tree in slot 0 at (X, Y), planted as the sample garden plants it, then N
// growth passes of budget A with splits, loop children and mutation handling
// as the settings say.
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "canvas/garden.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] =
    "grow-sample --at X,Y [--size WxH] [--passes N] [--budget A] [--out PICTURE] [--layers TREES.png] [--report]";
constexpr int kProgressFromPasses = 50;  // passes from which a progress bar is drawn
constexpr int kBarWidth = 40;

int Fail(const char* text) { return UsageError("grow-sample", kUsage, text); }

int RunGrowSample(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto at = args.Value("--at");
  const auto size = args.Value("--size");
  const auto passes_text = args.Value("--passes");
  const auto budget_text = args.Value("--budget");
  const auto out = args.Value("--out");
  const auto layers = args.Value("--layers");
  const bool report = args.Flag("--report");
  std::vector<std::string> rest;
  std::string error;
  if (!args.Positional(rest, error) || !rest.empty()) return Fail(error.empty() ? "unexpected argument" : error.c_str());
  int width = kSampleGardenWidth, height = kSampleGardenHeight;
  if (size && (!ParseSize(*size, width, height) || width > kMaxSurfaceSide || height > kMaxSurfaceSide))
    return Fail("--size needs WxH, each side 1..16384");
  int x = 0, y = 0;
  if (!at || !ParsePoint(*at, x, y)) return Fail("--at X,Y is needed");
  if (x < 0 || y < 0 || x >= width || y >= height) return Fail("--at must lie on the canvas");
  int passes = 1;
  if (passes_text && (!ParseInt(*passes_text, passes) || passes < 0)) return Fail("--passes needs a number 0 or more");
  int budget = kPeriodicBudget;
  if (budget_text && (!ParseInt(*budget_text, budget) || budget < 0)) return Fail("--budget needs a number 0 or more");
  if (out && !IsPictureName(*out)) return Fail("--out needs a .png, .bmp, .jpg or .jpeg name");

  const SampleStart start = StartSampleCommand(global);
  TreeTable& table = CliGarden().table;
  MInitInfo& settings = Settings();

  Canvas& canvas = CliGarden().canvas;
  LabelList& labels = CliGarden().labels;
  if (CreateGardenCanvas(canvas, table, labels, width, height, SettingsBackgroundColour(settings),
                         kBackgroundColour, Surface{}, 0, false) != 0) {
    std::fprintf(stderr, "grow-sample: cannot create the canvas\n");
    return 1;
  }
  Tree& sample = table[0];
  LoadSampleParts(sample, start.program_folder, kSamplePartDescriptions);
  MakeSampleTree(sample, x, y, 90);
  sample.state = 1;
  table.SetCount(1);

  GardenReport result;
  const GrowthEnv env = MakeGrowthEnv(canvas, table, labels, settings);
  const bool progress = passes >= kProgressFromPasses;
  for (int p = 0; p < passes; ++p) {
    GrowthPass(table, env, budget, &result.stats);
    ++result.passes;
    if (progress) DrawProgressBar(p + 1, passes, kBarWidth, "");
  }
  result.archived_files = ArchivedSinceStart(start);

  return WriteSampleOutputs(canvas, out, layers, report, result);
}

const Command kGrowSample{"grow-sample", kUsage, RunGrowSample};
Registration reg{kGrowSample};

}  // namespace
}  // namespace sylvane::cli
