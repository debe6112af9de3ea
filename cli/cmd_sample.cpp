// sylvane-cli sample [--out PICTURE] [--layers TREES.png] [--report]
// The sample garden exactly as the main window's "樹の新規作成" makes it, in
// the program folder's settings (read, or reset and written, as the program
// does at start-up).
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/name_labels.h"
#include "canvas/settings.h"
#include "cli/command.h"
#include "cli/garden_output.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "trees/garden.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

int RunSample(const GlobalOptions& global, const std::vector<std::string>& raw) {
  Args args(raw);
  const auto out = args.Value("--out");
  const auto layers = args.Value("--layers");
  const bool report = args.Flag("--report");
  std::vector<std::string> rest;
  std::string error;
  if (!args.Positional(rest, error) || !rest.empty()) {
    std::fprintf(stderr, "sample: %s\nusage: sample [--out PICTURE] [--layers TREES.png] [--report]\n",
                 error.empty() ? "unexpected argument" : error.c_str());
    return 2;
  }
  if (out && !IsPictureName(*out)) {
    std::fprintf(stderr, "sample: --out needs a .png, .bmp, .jpg or .jpeg name\n");
    return 2;
  }

  // As at start-up: the table with its 100 pens exists before the seed.
  TreeTable& table = GetTreeTable();
  global.SeedNow();
  MInitInfo& settings = Settings();
  settings.Load();
  const std::string program_folder = GetPlatform().ProgramFolder();
  const std::string archive = settings.folders[kFolderMutantArchive];
  const int64_t files_before = CountTreeFiles(archive);

  GardenReport result;
  Canvas& canvas = GetCanvas();
  if (MakeSampleGarden(canvas, table, GetLabelList(), settings, program_folder, &result.stats) != 0) {
    std::fprintf(stderr, "sample: cannot create the canvas\n");
    return 1;
  }
  result.passes = 1;
  result.archived_files = std::max<int64_t>(0, CountTreeFiles(archive) - files_before);

  int status = 0;
  if (out && WriteComposite(canvas, *out) != 0) status = 1;
  if (layers && WriteTreeLayers(canvas, *layers) != 0) status = 1;
  if (report) PrintReport(result);
  return status;
}

const Command kSample{"sample", "sample [--out PICTURE] [--layers TREES.png] [--report]", RunSample};
Registration reg{kSample};

}  // namespace
}  // namespace sylvane::cli
