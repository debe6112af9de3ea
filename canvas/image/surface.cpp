#include "canvas/image/surface.h"

#include <cstring>

namespace sylvane {

bool Surface::Create(int32_t w, int32_t h) {
  if (w <= 0 || h <= 0 || !IsAcceptableSize(w, h)) {
    Clear();
    return w <= 0 || h <= 0;
  }
  width = w;
  height = h;
  stride = StrideFor(w);
  pixels.assign(size_t(h) * size_t(stride), 0);
  return true;
}

bool Surface::CreateFilled(int32_t w, int32_t h, uint8_t value) {
  if (!Create(w, h)) return false;
  std::memset(pixels.data(), value, pixels.size());
  return true;
}

void Surface::CopyFrom(const Surface& other) {
  if (this == &other) return;
  width = other.width;
  height = other.height;
  stride = other.stride;
  pixels = other.pixels;
  RefreshHeaders();
}

void Surface::RefreshHeaders() {
  uint32_t image_size = uint32_t(stride) * uint32_t(height);
  file_header = BitmapFileHeader{0x4D42, image_size + 54, 0, 0, 54};
  info = BitmapInfoHeader{40, width, height, 1, 24, 0, image_size, 0, 0, 0, 0};
}

void Surface::Clear() {
  pixels.clear();
  pixels.shrink_to_fit();
  width = height = stride = 0;
}

bool AlphaPlane::CreateFilled(int32_t w, int32_t h, uint8_t value) {
  if (w <= 0 || h <= 0 || !IsAcceptableSize(w, h)) {
    Clear();
    return w <= 0 || h <= 0;
  }
  width = w;
  height = h;
  bytes.assign(size_t(w) * size_t(h), value);
  return true;
}

void PartImage::CopyFrom(const PartImage& other) {
  if (this == &other) return;
  params = other.params;
  if (other.surface.width > 0 && other.surface.height > 0) surface.CopyFrom(other.surface);
  if (!other.alpha.empty()) alpha = other.alpha;
}

}  // namespace sylvane
