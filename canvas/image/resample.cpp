#include "canvas/image/resample.h"

#include <cstring>
#include <vector>

#include "canvas/image/image_io.h"

namespace sylvane {
namespace {

bool HasPixels(const Surface& s) {
  return s.width > 0 && s.height > 0 && s.stride >= s.width * 3 &&
         s.pixels.size() >= size_t(s.height) * size_t(s.stride);
}

// Source index of every target index: trunc(float(src / dst) * j), kept in 0..src-1.
std::vector<int> NearestMap(int src, int dst) {
  std::vector<int> map(size_t(dst > 0 ? dst : 0));
  const float ratio = float(src) / float(dst);
  for (int j = 0; j < dst; ++j) {
    int i = int(ratio * float(j));
    if (i > src - 1 || i < 0) i = src - 1;
    map[size_t(j)] = i;
  }
  return map;
}

void NearestFill(const Surface& src, Surface& dst) {
  const std::vector<int> cols = NearestMap(src.width, dst.width);
  const std::vector<int> rows = NearestMap(src.height, dst.height);
  for (int r = 0; r < dst.height; ++r) {
    const uint8_t* in = src.BufferRow(rows[size_t(r)]);
    uint8_t* out = dst.BufferRow(r);
    for (int j = 0; j < dst.width; ++j) {
      const uint8_t* p = in + size_t(cols[size_t(j)]) * 3;
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      out += 3;
    }
  }
}

// Bilinear sampling positions along one axis.
struct Taps {
  std::vector<int> lo;      // first neighbour
  std::vector<int> hi;      // second neighbour, clamped to src - 1
  std::vector<float> frac;  // weight of the second neighbour
};

Taps MakeTaps(int src, int dst, float ratio) {
  Taps t;
  t.lo.resize(size_t(dst));
  t.hi.resize(size_t(dst));
  t.frac.resize(size_t(dst));
  for (int i = 0; i < dst; ++i) {
    const float pos = float(i) * ratio + (ratio - 1.0f) * 0.5f;
    int p0 = int(pos);
    const float f = pos - float(p0);
    int p1 = p0 + 1;
    if (p0 > src - 1) p0 = src - 1;
    if (p1 > src - 1) p1 = src - 1;
    t.lo[size_t(i)] = p0;
    t.hi[size_t(i)] = p1;
    t.frac[size_t(i)] = f;
  }
  return t;
}

// The shared bilinear loop over `channels` interleaved bytes per pixel.
void Bilinear(const uint8_t* src, size_t src_stride, int src_w, int src_h, uint8_t* dst, size_t dst_stride,
              int w, int h, int channels) {
  const Taps xs = MakeTaps(src_w, w, float(src_w) / float(w));
  const Taps ys = MakeTaps(src_h, h, float(src_h) / float(h));
  for (int i = 0; i < h; ++i) {
    const float fy = ys.frac[size_t(i)];
    const uint8_t* row0 = src + size_t(ys.lo[size_t(i)]) * src_stride;
    const uint8_t* row1 = src + size_t(ys.hi[size_t(i)]) * src_stride;
    uint8_t* out = dst + size_t(i) * dst_stride;
    for (int j = 0; j < w; ++j) {
      const float fx = xs.frac[size_t(j)];
      const float w00 = (1.0f - fx) * (1.0f - fy);
      const float w10 = fx * (1.0f - fy);
      const float w01 = (1.0f - fx) * fy;
      const float w11 = fx * fy;
      const size_t x0 = size_t(xs.lo[size_t(j)]) * size_t(channels);
      const size_t x1 = size_t(xs.hi[size_t(j)]) * size_t(channels);
      for (int c = 0; c < channels; ++c) {
        const float v = w00 * float(row0[x0 + size_t(c)]) + w10 * float(row0[x1 + size_t(c)]) +
                        w01 * float(row1[x0 + size_t(c)]) + w11 * float(row1[x1 + size_t(c)]);
        *out++ = uint8_t(int(v));
      }
    }
  }
}

// The source to read from: a copy of it when source and target are one object,
// since the target is re-created before it is filled.
const Surface& KeptSource(const Surface& src, const Surface& dst, Surface& copy) {
  if (&src != &dst) return src;
  copy.CopyFrom(src);
  return copy;
}

// The bilinear shrink shared by surfaces and planes, once the target exists
// and the source was checked: equal sizes copy the bytes exactly, enlarging is
// refused (-1).
int ShrinkBytes(const uint8_t* src, size_t src_stride, int src_w, int src_h, uint8_t* dst, size_t dst_stride,
                size_t dst_size, int w, int h, int channels) {
  if (src_w == w && src_h == h) {
    std::memcpy(dst, src, dst_size);
    return 0;
  }
  const float rx = float(src_w) / float(w);
  const float ry = float(src_h) / float(h);
  if (rx < 1.0f || ry < 1.0f) return -1;
  Bilinear(src, src_stride, src_w, src_h, dst, dst_stride, w, h, channels);
  return 0;
}

// Re-creates dst at w x h with fresh headers (also when that fails). -1 when
// it could not be created or the source has no pixels to read.
int RecreateTarget(const Surface& src, Surface& dst, int w, int h) {
  const bool created = dst.Create(w, h) && !dst.empty();
  dst.RefreshHeaders();
  return created && HasPixels(src) ? 0 : -1;
}

}  // namespace

int NearestScale(const Surface& src_in, Surface& dst, int w, int h) {
  Surface copy;
  const Surface* src = &KeptSource(src_in, dst, copy);
  if (RecreateTarget(*src, dst, w, h) != 0) return -1;
  NearestFill(*src, dst);
  return 0;
}

int NearestScaleIntoBlack(const Surface& src_in, Surface& dst, int w, int h) {
  Surface copy;
  const Surface* src = &KeptSource(src_in, dst, copy);
  if (!dst.CreateFilled(w, h, 0) || dst.empty()) return -1;
  if (HasPixels(*src)) NearestFill(*src, dst);
  return 0;
}

int SmoothShrink(const Surface& src_in, Surface& dst, int w, int h) {
  Surface copy;
  const Surface* src = &KeptSource(src_in, dst, copy);
  if (RecreateTarget(*src, dst, w, h) != 0) return -1;
  return ShrinkBytes(src->pixels.data(), size_t(src->stride), src->width, src->height, dst.pixels.data(),
                     size_t(dst.stride), dst.pixels.size(), w, h, 3);
}

int SmoothShrinkPlane(const AlphaPlane& src_in, int src_w, int src_h, AlphaPlane& dst, int w, int h) {
  AlphaPlane copy;
  const AlphaPlane* src = &src_in;
  if (&src_in == &dst) {
    copy = src_in;
    src = &copy;
  }
  if (!dst.CreateFilled(w, h, 0) || dst.empty()) return -1;
  if (src_w <= 0 || src_h <= 0 || src->bytes.size() < size_t(src_w) * size_t(src_h)) return -1;
  return ShrinkBytes(src->bytes.data(), size_t(src_w), src_w, src_h, dst.bytes.data(), size_t(w), dst.bytes.size(), w,
                     h, 1);
}

int LoadAndFit(const std::string& path, Surface& dst, int w, int h, int* src_w, int* src_h) {
  Surface loaded;
  const int result = LoadImage(path, loaded, false);
  if (src_w) *src_w = result == 0 ? loaded.width : 0;
  if (src_h) *src_h = result == 0 ? loaded.height : 0;
  if (result != 0) loaded.CreateFilled(w, h, 0);
  NearestScale(loaded, dst, w, h);
  return result;
}

}  // namespace sylvane
