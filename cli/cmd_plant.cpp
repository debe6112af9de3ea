// sylvane-cli plant GARDEN.syl TREE.ki --at X,Y [--count N] [--radius R] [--report]
// Plants a tree file as the main window does: the first empty slot takes the
// tree (a full table is refused before anything is loaded), then it is
// scattered around (X, Y) with the count and radius given or those of the
// settings; the copies pass through mutation handling. The garden is saved;
// the success line is printed once the save succeeded.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "canvas/records/settings.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "trees/planting.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "plant GARDEN.syl TREE.ki --at X,Y [--count N] [--radius R] [--report]";
// The ranges the scatter dialog accepts.
constexpr int kMaxScatterCount = 100;
constexpr int kMaxScatterRadius = 1000;

int Fail(const char* text) { return UsageError("plant", kUsage, text); }

int RunPlant(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool report = args.Flag("--report");
  const auto at = args.Value("--at");
  const auto count_text = args.Value("--count");
  const auto radius_text = args.Value("--radius");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error.c_str());
  if (files.size() != 2) return Fail("needs GARDEN.syl and TREE.ki");
  int x = 0, y = 0;
  if (!at || !ParsePoint(*at, x, y)) return Fail("--at needs X,Y");

  LoadSettingsForCli();
  ScatterOptions options = ScatterOptionsFromSettings(Settings());
  if (count_text && (!ParseInt(*count_text, options.count) || options.count < 1 ||
                     options.count > kMaxScatterCount))
    return Fail("--count needs a number 1..100");
  if (radius_text && (!ParseInt(*radius_text, options.radius) || options.radius < 0 ||
                      options.radius > kMaxScatterRadius))
    return Fail("--radius needs a number 0..1000");

  if (OpenGardenForCli(global, files[0]) != 0) return 1;
  TreeTable& table = CliGarden().table;
  Canvas& canvas = CliGarden().canvas;
  const int slot = LoadTreeFileForPlanting(canvas, table, files[1]);
  if (slot < 0) return 1;
  const std::string archive = Settings().folders[kFolderMutantArchive];
  const std::set<std::string> before = TreeFileNames(archive);
  ScatterStats scatter;
  if (ScatterTree(table, slot, x, y, canvas.width(), canvas.height(), options, &scatter) < 0) return 1;
  // The line tells the trees were planted into the file: only after the save.
  if (SaveGardenForCli(files[0]) != 0) return 1;
  std::printf("%s: %d tree%s planted around (%d, %d)\n", files[1].c_str(), scatter.planted,
              scatter.planted == 1 ? "" : "s", x, y);
  if (report) {
    GardenReport r;
    r.stats.mutants = scatter.mutants;
    r.archived_files = NewNames(before, TreeFileNames(archive));
    PrintReport(r);
  }
  return 0;
}

const Command kPlant{"plant", kUsage, RunPlant};
static Registration reg{kPlant};

}  // namespace
}  // namespace sylvane::cli
