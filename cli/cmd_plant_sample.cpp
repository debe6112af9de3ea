// sylvane-cli plant-sample OUT.ki [--at X,Y]
// Writes the built-in sample tree with the sample parts of the program
// folder's "imgb" as a tree file, planted at X,Y (default 350,300: where the
// sample garden plants it on a 600 x 400 canvas).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/garden_io.h"
#include "platform/platform.h"
#include "trees/ki_file.h"
#include "trees/part_data.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

int RunPlantSample(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto at = args.Value("--at");
  std::vector<std::string> rest;
  std::string error;
  int x = 600 / 2 + 50, y = 400 / 2 + 100;
  if (!args.Positional(rest, error) || rest.size() != 1 || (at && !ParsePoint(*at, x, y))) {
    return UsageError("plant-sample", "plant-sample OUT.ki [--at X,Y]",
                      error.empty() ? "one output file expected" : error);
  }
  // As at start-up: the table with its 100 pens exists before the seed.
  TreeTable& table = CliGarden().table;
  global.SeedNow();
  Tree& tree = table[0];
  int loaded = 0;
  LoadSampleParts(tree, GetPlatform().ProgramFolder(), kSamplePartDescriptions, &loaded);
  MakeSampleTree(tree, x, y, 90);
  if (SaveTreeFile(tree, rest[0]) != 0) return 1;
  if (loaded != kPartCount) {
    std::fprintf(stderr, "plant-sample: only %d of the 4 sample parts could be loaded\n", loaded);
    return 1;
  }
  return 0;
}

const Command kPlantSample{"plant-sample", "plant-sample OUT.ki [--at X,Y]", RunPlantSample};
Registration reg{kPlantSample};

}  // namespace
}  // namespace sylvane::cli
