// Type detection and the loaders that pick a reader by type.
#include <cstdio>
#include <cstring>

#include "base/file_io.h"
#include "canvas/image/image_common.h"
#include "canvas/image/image_io.h"
#include "platform/platform.h"

namespace sylvane {
namespace {

using namespace image_detail;

// Reads up to n bytes from the start of a file; -1 when it cannot be opened.
int ReadPrefix(const std::string& path, uint8_t* out, size_t n) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  size_t got = std::fread(out, 1, n, f);
  std::fclose(f);
  return int(got);
}

// The last four characters of name, each matched position by position against
// the same position of any of the spellings (so ".JpG" and "jpeg" both pass).
bool EndMatches(const std::string& name, const char* const* spellings, size_t count) {
  if (name.size() < 4) return false;
  const char* tail = name.c_str() + name.size() - 4;
  for (size_t i = 0; i < 4; ++i) {
    bool any = false;
    for (size_t s = 0; s < count && !any; ++s) any = tail[i] == spellings[s][i];
    if (!any) return false;
  }
  return true;
}

}  // namespace

ImageType DetectImageType(const std::string& path) {
  static const uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  uint8_t head[8] = {};
  const int got = ReadPrefix(path, head, sizeof head);
  if (got == 8 && std::memcmp(head, kPngSignature, 8) == 0) return ImageType::kPng;
  static const char* const kBmpNames[] = {".bmp", ".BMP"};
  if (EndMatches(path, kBmpNames, 2) && got >= 2 && head[0] == 'B' && head[1] == 'M') return ImageType::kBmp;
  static const char* const kJpegNames[] = {".jpg", ".JPG", "jpeg", "JPEG"};
  if (EndMatches(path, kJpegNames, 4)) return ImageType::kJpeg;
  return ImageType::kUnknown;
}

int LoadImage(const std::string& path, Surface& out, bool show_messages) {
  switch (DetectImageType(path)) {
    case ImageType::kPng:
      return ReadPng(path, out, nullptr) == kPngOk ? 0 : -1;
    case ImageType::kBmp:
      return LoadBmp(path, out) >= 0 ? 0 : -1;
    case ImageType::kJpeg:
      return ReadJpeg(path, out, show_messages) == 0 ? 0 : -1;
    case ImageType::kUnknown:
      break;
  }
  if (show_messages) ShowMessage(kUnsupportedText, path);
  return -1;
}

int LoadImageWithAlpha(const std::string& path, Surface& out, AlphaPlane& alpha) {
  Surface loaded;
  switch (DetectImageType(path)) {
    case ImageType::kPng: {
      AlphaPlane plane;
      if (ReadPng(path, loaded, &plane) != kPngOk) return -1;
      AdoptPicture(out, loaded);
      out.path = path;
      alpha = std::move(plane);
      return 0;
    }
    case ImageType::kBmp:
      if (LoadBmp(path, loaded) < 0) return -1;
      break;
    case ImageType::kJpeg:
      if (ReadJpeg(path, loaded, true) != 0) return -1;
      break;
    case ImageType::kUnknown:
      ShowMessage(kUnsupportedText, path);
      return -1;
  }
  // BMP and JPEG carry no transparency: the whole picture is opaque.
  AlphaPlane plane;
  plane.CreateFilled(loaded.width, loaded.height, 255);
  AdoptPicture(out, loaded);
  out.path = path;
  alpha = std::move(plane);
  return 0;
}

namespace image_detail {

int WriteEncoded(const std::string& path, const std::vector<uint8_t>& bytes, bool encoded, int failure_code,
                 const char* open_text, const char* write_text, const char* caption) {
  AtomicFile file;
  if (!file.Open(path)) {
    ShowMessage(open_text, caption);
    return failure_code;
  }
  if (!encoded || bytes.empty() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
    file.Abandon();
    ShowMessage(write_text, caption);
    return failure_code;
  }
  return 0;
}

}  // namespace image_detail
}  // namespace sylvane
