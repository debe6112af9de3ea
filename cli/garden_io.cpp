#include "cli/garden_io.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "base/file_io.h"
#include "canvas/canvas_file.h"
#include "canvas/records/settings.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "trees/tree.h"

namespace sylvane::cli {

void LoadSettingsForCli() {
  MInitInfo& settings = Settings();
  std::vector<uint8_t> bytes;
  const std::string path = JoinPath(GetPlatform().ProgramFolder(), kSettingsFileName);
  float version = 0.0f;
  if (ReadWholeFile(path, bytes, uint64_t(1) << 24) == ReadFileStatus::kOk && ReadSettingsVersion(bytes, version) &&
      version == kSettingsVersion && settings.FromBytes(bytes))
    return;
  settings = MInitInfo();
  settings.ApplyReset();
}

int LoadGardenForCli(const std::string& path) { return OpenCanvasFile(CliGarden().refs(), path) == 0 ? 0 : 1; }

int OpenGardenForCli(const GlobalOptions& global, const std::string& path) {
  CliGarden().table;
  global.SeedNow();
  return LoadGardenForCli(path);
}

int SaveGardenForCli(const std::string& path) {
  return SaveCanvasFile(CliGarden().refs(), path) == kSylSaveOk ? 0 : 1;
}

Garden& CliGarden() {
  static Garden* garden = new Garden();  // lives until exit
  return *garden;
}

SampleStart StartSampleCommand(const GlobalOptions& global) {
  CliGarden().table;
  global.SeedNow();
  MInitInfo& settings = Settings();
  settings.Load();
  SampleStart start;
  start.program_folder = GetPlatform().ProgramFolder();
  start.archive = settings.folders[kFolderMutantArchive];
  start.files_before = int64_t(TreeFileNames(start.archive).size());
  return start;
}

int64_t ArchivedSinceStart(const SampleStart& start) {
  return std::max<int64_t>(0, int64_t(TreeFileNames(start.archive).size()) - start.files_before);
}

std::set<std::string> TreeFileNames(const std::string& folder) {
  namespace fs = std::filesystem;
  std::set<std::string> names;
  if (folder.empty()) return names;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::string ext = it->path().extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".ki") names.insert(it->path().filename().string());
  }
  return names;
}

long long NewNames(const std::set<std::string>& before, const std::set<std::string>& after) {
  long long n = 0;
  for (const std::string& name : after)
    if (!before.count(name)) ++n;
  return n;
}

}  // namespace sylvane::cli
