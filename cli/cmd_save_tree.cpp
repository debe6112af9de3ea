// sylvane-cli save-tree GARDEN.syl SLOT OUT.ki [--report]
// Writes the living tree of one slot as a tree file, as the program saves a
// tree: the file holds it as it would start afresh (state 1, cursor 0) and
// its file-name field becomes OUT's name. The garden file is not changed.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/garden_output.h"
#include "trees/ki_file.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "save-tree GARDEN.syl SLOT OUT.ki [--report]";

int Fail(const char* text) { return UsageError("save-tree", kUsage, text); }

int RunSaveTree(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const bool report = args.Flag("--report");
  std::vector<std::string> files;
  std::string error;
  if (!args.Positional(files, error)) return Fail(error.c_str());
  if (files.size() != 3) return Fail("needs GARDEN.syl, SLOT and OUT.ki");
  int slot = -1;
  if (!ParseInt(files[1], slot) || slot < 0 || slot >= TreeTable::kSlots) return Fail("SLOT must be 0..99");

  if (OpenGardenForCli(global, files[0]) != 0) return 1;
  TreeTable& table = CliGarden().table;
  const Tree& tree = table[slot];
  if (tree.state != 1 && tree.state != 2) {
    std::fprintf(stderr, "save-tree: slot %d holds no living tree\n", slot);
    return 1;
  }
  Tree copy = tree;
  copy.state = 1;
  copy.cursor = 0;
  if (SaveTreeFile(copy, files[2]) != 0) return 1;
  std::printf("slot %d -> %s\n", slot, files[2].c_str());
  if (report) PrintReport(GardenReport{});
  return 0;
}

const Command kSaveTree{"save-tree", kUsage, RunSaveTree};
static Registration reg{kSaveTree};

}  // namespace
}  // namespace sylvane::cli
