#include "cli/garden_output.h"

#include <cctype>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "base/random.h"
#include "canvas/image/image_io.h"
#include "cli/garden_io.h"
#include "paint/canvas.h"
#include "trees/tree.h"

namespace sylvane::cli {

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool IsPictureName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == "png" || ext == "bmp" || ext == "jpg" || ext == "jpeg";
}

int WritePictureByName(const Surface& picture, const std::string& path, int jpeg_quality) {
  const std::string ext = LowerExtension(path);
  int result = 0;
  if (ext == "png") {
    result = WritePng(path, picture);
  } else if (ext == "bmp") {
    result = WriteBmp(path, picture);
  } else if (ext == "jpg" || ext == "jpeg") {
    result = WriteJpeg(path, picture, jpeg_quality);
  } else {
    return kNotAPictureName;
  }
  return result == 0 ? 0 : kPictureWriteFailed;
}

int WriteComposite(const Canvas& canvas, const std::string& path) {
  Surface picture;
  if (!ComposePlain(canvas.background, canvas.trees, canvas.weight, picture)) {
    std::fprintf(stderr, "the canvas layers differ in size\n");
    return 1;
  }
  if (WritePictureByName(picture, path, 90) != 0) {
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
  j["growing"] = CliGarden().table.growing_count();
  j["random_state"] = RandomState();
  std::fprintf(stderr, "%s\n", j.dump().c_str());
}

int WriteSampleOutputs(const Canvas& canvas, const std::optional<std::string>& out,
                       const std::optional<std::string>& layers, bool report, const GardenReport& result) {
  int status = 0;
  if (out && WriteComposite(canvas, *out) != 0) status = 1;
  if (layers && WriteTreeLayers(canvas, *layers) != 0) status = 1;
  if (report) PrintReport(result);
  return status;
}

void DrawProgressBar(int done, int total, int width, const std::string& tail) {
  const int filled = total > 0 ? static_cast<int>(int64_t(done) * width / total) : width;
  std::string bar(size_t(filled), '#');
  bar.append(size_t(width - filled), '.');
  std::fprintf(stderr, "\r[%s] %d/%d%s", bar.c_str(), done, total, tail.c_str());
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace sylvane::cli
