#include "cli/garden_output.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "base/random.h"
#include "canvas/image_io.h"
#include "paint/canvas.h"
#include "trees/tree.h"

namespace sylvane::cli {
namespace {

std::string Extension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

bool IsPictureName(const std::string& path) {
  const std::string ext = Extension(path);
  return ext == "png" || ext == "bmp" || ext == "jpg" || ext == "jpeg";
}

int WriteComposite(const Canvas& canvas, const std::string& path) {
  Surface picture;
  if (!ComposePlain(canvas.background, canvas.trees, canvas.weight, picture)) {
    std::fprintf(stderr, "the canvas layers differ in size\n");
    return 1;
  }
  const std::string ext = Extension(path);
  int result = -1;
  if (ext == "png") {
    result = WritePng(path, picture);
  } else if (ext == "bmp") {
    result = WriteBmp(path, picture);
  } else if (ext == "jpg" || ext == "jpeg") {
    result = WriteJpeg(path, picture, 90);
  }
  if (result != 0) {
    std::fprintf(stderr, "cannot write '%s'\n", path.c_str());
    return 1;
  }
  return 0;
}

int WriteTreeLayers(const Canvas& canvas, const std::string& path) {
  if (WritePng(path, canvas.trees, &canvas.weight) != 0) {
    std::fprintf(stderr, "cannot write '%s'\n", path.c_str());
    return 1;
  }
  return 0;
}

void PrintReport(const GardenReport& r) {
  nlohmann::json j;
  j["passes"] = r.passes;
  j["trees_born"] = r.stats.loop_children + r.stats.split_children;
  j["split_children"] = r.stats.split_children;
  j["loop_children"] = r.stats.loop_children;
  j["mutants"] = r.stats.mutants;
  j["archived_files"] = r.archived_files;
  j["trees_finished"] = r.stats.trees_finished;
  j["growing"] = GetTreeTable().growing_count();
  j["random_state"] = RandomState();
  std::fprintf(stderr, "%s\n", j.dump().c_str());
}

int64_t CountTreeFiles(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int64_t count = 0;
  if (folder.empty()) return 0;
  for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::string ext = it->path().extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".ki") ++count;
  }
  return count;
}

}  // namespace sylvane::cli
