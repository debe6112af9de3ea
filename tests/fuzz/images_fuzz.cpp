// Fuzz target for the picture readers: the same bytes are decoded as PNG
// (with an alpha plane), as BMP and as JPEG. A picture that decodes must be
// consistent, survive shrinking, and come back identical through PNG.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "canvas/image/image_io.h"
#include "canvas/image/resample.h"
#include "platform/platform.h"

namespace {

using sylvane::fuzz::Check;

// Swallows the readers' message boxes.
class QuietPlatform : public sylvane::ConsolePlatform {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

void CheckPicture(const sylvane::Surface& s) {
  using namespace sylvane;
  Check(s.width > 0 && s.height > 0 && s.width <= kMaxSurfaceSide && s.height <= kMaxSurfaceSide);
  Check(s.stride == StrideFor(s.width));
  Check(s.pixels.size() == size_t(s.stride) * size_t(s.height));
  // Only small pictures go further: the rest is about the decoders.
  if (size_t(s.width) * size_t(s.height) > 256 * 256) return;
  Surface half;
  Check(SmoothShrink(s, half, (s.width + 1) / 2, (s.height + 1) / 2) == 0);
  std::vector<uint8_t> png;
  Check(EncodePng(s, nullptr, png));
  Surface back;
  Check(DecodePng(png.data(), png.size(), back, nullptr, false) == kPngOk);
  Check(back.width == s.width && back.height == s.height);
  for (int r = 0; r < s.height; ++r) Check(std::memcmp(back.BufferRow(r), s.BufferRow(r), size_t(s.width) * 3) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sylvane;
  static QuietPlatform platform;
  SetPlatform(&platform);
  {
    Surface s;
    AlphaPlane a;
    if (DecodePng(data, size, s, &a, true) == kPngOk) {
      CheckPicture(s);
      Check(a.width == s.width && a.height == s.height && a.bytes.size() == size_t(s.width) * size_t(s.height));
    }
  }
  {
    Surface s;
    if (DecodeBmp(data, size, s, true) >= 0) CheckPicture(s);
  }
  {
    Surface s;
    if (DecodeJpeg(data, size, s, true) == 0) CheckPicture(s);
  }
  return 0;
}
