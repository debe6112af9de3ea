// Fuzz target for picture type detection: the first byte picks the file
// name's ending, the rest is the file. The type must follow from the
// signature and the name alone, and the loaders that pick a reader by it must
// either fail with a message or give a consistent picture (with an alpha
// plane of the same size).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "support/recording_platform.h"

namespace {

using sylvane::fuzz::Check;
using sylvane::fuzz::WriteQuickly;

using namespace sylvane;

const char* const kEndings[] = {".png", ".PNG", ".bmp", ".BMP", ".Bmp", ".jpg", ".JPG", ".JpG", "jpeg", ".jpeg",
                                ".JPEG", ".gif", ".txt", "",     "bmp",  ".jp",  ".b",   "x.JPEG"};
constexpr size_t kEndingCount = sizeof kEndings / sizeof kEndings[0];

bool EndsWithAnyOf(const std::string& name, std::initializer_list<const char*> spellings) {
  if (name.size() < 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    bool any = false;
    for (const char* s : spellings) any = any || name[name.size() - 4 + i] == s[i];
    if (!any) return false;
  }
  return true;
}

void CheckPicture(const Surface& s) {
  Check(s.width > 0 && s.height > 0 && s.width <= kMaxSurfaceSide && s.height <= kMaxSurfaceSide);
  Check(s.stride == StrideFor(s.width) && s.pixels.size() == size_t(s.stride) * size_t(s.height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing::RecordingPlatform* platform = new testing::RecordingPlatform();
  static testing::TempDir* dir = new testing::TempDir();
  if (size == 0) return 0;
  platform->messages.clear();
  const std::string path = dir->File(std::string("picture") + kEndings[data[0] % kEndingCount]);
  const uint8_t* content = data + 1;
  const size_t length = size - 1;
  if (!WriteQuickly(path, content, length)) return 0;

  static const uint8_t kPng[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  const bool png = length >= 8 && std::memcmp(content, kPng, 8) == 0;
  const bool bmp = !png && length >= 2 && content[0] == 'B' && content[1] == 'M' &&
                   EndsWithAnyOf(path, {".bmp", ".BMP"});
  const bool jpeg = !png && !bmp && EndsWithAnyOf(path, {".jpg", ".JPG", "jpeg", "JPEG"});
  const ImageType type = DetectImageType(path);
  Check(type == (png ? ImageType::kPng : bmp ? ImageType::kBmp : jpeg ? ImageType::kJpeg : ImageType::kUnknown));

  Surface s;
  const int plain = LoadImage(path, s, true);
  if (plain == 0) {
    CheckPicture(s);
  } else {
    Check(!platform->messages.empty() || type == ImageType::kJpeg);
  }
  platform->messages.clear();
  Surface t;
  AlphaPlane a;
  const int with_alpha = LoadImageWithAlpha(path, t, a);
  Check((with_alpha == 0) == (plain == 0));
  if (with_alpha == 0) {
    CheckPicture(t);
    Check(t.width == s.width && t.height == s.height);
    Check(a.width == t.width && a.height == t.height && a.bytes.size() == size_t(t.width) * size_t(t.height));
  } else {
    Check(platform->messages.size() >= 1);
  }
  return 0;
}
