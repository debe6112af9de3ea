// sylvane-cli grow GARDEN.syl [--passes N] [--budget A] [--report]
// Grows the garden by N growth passes (default 1) with step budget A (default
// 200, the worker's), as the update cycle does; mutants are archived as the
// settings say. A progress bar goes to stderr when it is a terminal. The
// garden is saved; the summary line is printed once the save succeeded.
#include <cstdio>
#include <set>
#include <string>
#include <vector>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "canvas/garden.h"
#include "trees/growth.h"
#include "trees/planting.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "grow GARDEN.syl [--passes N] [--budget A] [--report]";
constexpr int kBarWidth = 30;

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

int Fail(const char* text) { return UsageError("grow", kUsage, text); }

int RunGrow(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool report = args.Flag("--report");
  const auto passes_text = args.Value("--passes");
  const auto budget_text = args.Value("--budget");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error.c_str());
  if (files.size() != 1) return Fail("needs one GARDEN.syl");
  int passes = 1, budget = kPeriodicBudget;
  if (passes_text && (!ParseInt(*passes_text, passes) || passes < 0)) return Fail("--passes needs a number >= 0");
  if (budget_text && (!ParseInt(*budget_text, budget) || budget < 1)) return Fail("--budget needs a number >= 1");

  LoadSettingsForCli();
  if (OpenGardenForCli(global, files[0]) != 0) return 1;
  TreeTable& table = CliGarden().table;
  Canvas& canvas = CliGarden().canvas;
  if (!canvas.exists) {
    ShowNoCanvasMessage();
    return 1;
  }
  const std::string archive = Settings().folders[kFolderMutantArchive];
  const std::set<std::string> before = TreeFileNames(archive);
  const GrowthEnv env = MakeGrowthEnv(canvas, table, CliGarden().labels, Settings());
  const bool bar = StderrIsTerminal();
  GardenReport r;
  for (int i = 0; i < passes; ++i) {
    GrowthPass(table, env, budget, &r.stats);
    ++r.passes;
    if (bar) {
      const std::string tail = " passes, " + std::to_string(table.growing_count()) + " growing";
      DrawProgressBar(i + 1, passes, kBarWidth, tail);
    }
  }
  r.archived_files = NewNames(before, TreeFileNames(archive));
  // The line tells the garden was grown and saved: only after the save.
  if (SaveGardenForCli(files[0]) != 0) return 1;
  std::printf("%s: %d pass%s, %d trees growing\n", files[0].c_str(), passes, passes == 1 ? "" : "es",
              table.growing_count());
  if (report) PrintReport(r);
  return 0;
}

const Command kGrow{"grow", kUsage, RunGrow};
static Registration reg{kGrow};

}  // namespace
}  // namespace sylvane::cli
