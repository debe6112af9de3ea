// sylvane-cli sample [GARDEN.syl [--passes N] [--budget A]] [--out PICTURE]
//                    [--layers TREES.png] [--report]
// The sample garden exactly as the main window's "樹の新規作成" makes it, in
// the program folder's settings (read, or reset and written, as the program
// does at start-up). With GARDEN.syl it is saved as a canvas file, after N
// further growth passes with budget A (default 0 passes, budget 200) as the
// update cycle would grow it.
#include <cctype>
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
#include "trees/growth.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] =
    "sample [GARDEN.syl [--passes N] [--budget A]] [--out PICTURE] [--layers TREES.png] [--report]";

bool HasSylExtension(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".syl";
}

int Fail(const std::string& text) { return UsageError("sample", kUsage, text); }

int RunSample(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto out = args.Value("--out");
  const auto layers = args.Value("--layers");
  const auto passes_text = args.Value("--passes");
  const auto budget_text = args.Value("--budget");
  const bool report = args.Flag("--report");
  std::vector<std::string> rest;
  std::string error;
  if (!args.Positional(rest, error)) return Fail(error);
  if (rest.size() > 1) return Fail("unexpected argument " + rest[1]);
  const std::string garden_path = rest.empty() ? std::string() : rest[0];
  if (!garden_path.empty() && !HasSylExtension(garden_path)) return Fail("the garden must be a .syl file: " + garden_path);
  int passes = 0, budget = kPeriodicBudget;
  if (passes_text && (!ParseInt(*passes_text, passes) || passes < 0)) return Fail("--passes needs a number >= 0");
  if (budget_text && (!ParseInt(*budget_text, budget) || budget < 1)) return Fail("--budget needs a number >= 1");
  if ((passes_text || budget_text) && garden_path.empty()) return Fail("--passes and --budget need GARDEN.syl");
  if (out && !IsPictureName(*out)) {
    std::fprintf(stderr, "sample: --out needs a .png, .bmp, .jpg or .jpeg name\n");
    return 2;
  }

  const SampleStart start = StartSampleCommand(global);
  TreeTable& table = CliGarden().table;
  MInitInfo& settings = Settings();

  GardenReport result;
  Canvas& canvas = CliGarden().canvas;
  if (MakeSampleGarden(canvas, table, CliGarden().labels, settings, start.program_folder, &result.stats) != 0) {
    std::fprintf(stderr, "sample: cannot create the canvas\n");
    return 1;
  }
  result.passes = 1;
  if (passes > 0) {
    const GrowthEnv env = MakeGrowthEnv(canvas, table, CliGarden().labels, settings);
    for (int i = 0; i < passes; ++i) GrowthPass(table, env, budget, &result.stats);
    result.passes += passes;
  }
  result.archived_files = ArchivedSinceStart(start);

  int status = 0;
  if (!garden_path.empty() && SaveGardenForCli(garden_path) != 0) status = 1;
  if (WriteSampleOutputs(canvas, out, layers, report, result) != 0) status = 1;
  return status;
}

const Command kSample{"sample", kUsage, RunSample};
Registration reg{kSample};

}  // namespace
}  // namespace sylvane::cli
