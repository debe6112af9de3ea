#include "ui/skin_pictures.h"

#include <algorithm>
#include <cstring>

namespace sylvane {

void CompositeOver(Surface& state, const AlphaPlane& alpha, const Surface& back) {
  const bool has_alpha =
      !alpha.empty() && alpha.width == state.width && alpha.height == state.height;
  for (int32_t y = 0; y < state.height; ++y) {
    // Both pictures are addressed from the top, so a back image of another
    // height still lines up with the state image's top-left corner.
    const bool back_row = y < back.height;
    uint8_t* s = state.PixelAt(0, y);
    const uint8_t* b = back_row ? back.PixelAt(0, y) : nullptr;
    const uint8_t* a = has_alpha ? alpha.BufferRow(state.height - 1 - y) : nullptr;
    for (int32_t x = 0; x < state.width; ++x, s += 3) {
      double t = a ? a[x] / 255.0 : 1.0;
      for (int c = 0; c < 3; ++c) {
        double under = (back_row && x < back.width) ? b[size_t(x) * 3 + size_t(c)] : 0.0;
        double v = (1.0 - t) * under + t * s[c];
        int iv = static_cast<int>(v);
        s[c] = static_cast<uint8_t>(std::clamp(iv, 0, 255));
      }
    }
  }
}

void CutElementPicture(const Surface& composite, const SkinRect& rect, Surface& out) {
  if (rect.width <= 0 || rect.height <= 0 || !out.CreateFilled(rect.width, rect.height, 0)) {
    out.Clear();
    out.RefreshHeaders();
    return;
  }
  // Columns of the rectangle that lie within the composite.
  int32_t x0 = std::max(rect.left, 0);
  int32_t x1 = std::min<int64_t>(int64_t(rect.left) + rect.width, composite.width);
  for (int32_t y = 0; y < rect.height && x0 < x1; ++y) {
    int64_t sy = int64_t(rect.top) + y;
    if (sy < 0 || sy >= composite.height) continue;
    std::memcpy(out.PixelAt(x0 - rect.left, y), composite.PixelAt(x0, int32_t(sy)), size_t(x1 - x0) * 3);
  }
  out.RefreshHeaders();
}

void TilePicture(const Surface& source, int32_t width, int32_t height, Surface& out) {
  if (!out.CreateFilled(width, height, 255) || out.empty()) {
    out.RefreshHeaders();
    return;
  }
  if (!source.empty()) {
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* d = out.PixelAt(0, y);
      const uint8_t* s = source.PixelAt(0, y % source.height);
      for (int32_t x = 0; x < width; ++x) std::memcpy(d + size_t(x) * 3, s + size_t(x % source.width) * 3, 3);
    }
  }
  out.RefreshHeaders();
}

MapPicture FitCanvasInMap(int32_t map_w, int32_t map_h, int32_t canvas_w, int32_t canvas_h) {
  MapPicture p;
  // 64 bits: the map size comes from the settings file and may be anything.
  const int64_t wide_area_w = int64_t(map_w) - 2 * kMapMarginLeftRight;
  const int64_t wide_area_h = int64_t(map_h) - kMapMarginTop - kMapMarginBottom;
  // A map too small for any picture, or no canvas, would divide by zero.
  if (wide_area_w < 1 || wide_area_h < 1 || canvas_w < 1 || canvas_h < 1) return p;
  const int32_t area_w = int32_t(wide_area_w);
  const int32_t area_h = int32_t(wide_area_h);
  if (int64_t(area_w) * canvas_h < int64_t(canvas_w) * area_h) {
    p.width = area_w;
    p.scale = float(canvas_w) / float(area_w);
    p.height = static_cast<int32_t>(float(canvas_h) / p.scale);
  } else {
    p.height = area_h;
    p.scale = float(canvas_h) / float(area_h);
    p.width = static_cast<int32_t>(float(canvas_w) / p.scale);
  }
  p.left = kMapMarginLeftRight + (area_w - p.width) / 2;
  p.top = kMapMarginTop + (area_h - p.height) / 2;
  p.right = p.left + p.width;
  p.bottom = p.top + p.height;
  p.valid = p.width > 0 && p.height > 0;
  return p;
}

bool MapPictureContains(const MapPicture& p, int32_t x, int32_t y) {
  return p.valid && x >= p.left && x < p.right && y >= p.top && y < p.bottom;
}

CanvasPoint MapPointToCanvas(const MapPicture& p, int32_t x, int32_t y) {
  return {static_cast<int32_t>(float(x - p.left) * p.scale), static_cast<int32_t>(float(y - p.top) * p.scale)};
}

void BlendCanvasIntoMap(Surface& map, const Surface& canvas, const MapPicture& p, float opacity) {
  if (!p.valid || canvas.empty()) return;
  // An opacity outside 0..1 (MAP_ALPHA beyond 0..100) would push bytes out of range.
  const float o = std::clamp(opacity, 0.0f, 1.0f);
  const float keep = 1.0f - o;
  const int32_t w = std::min(p.width, canvas.width);
  const int32_t h = std::min(p.height, canvas.height);
  for (int32_t y = 0; y < h; ++y) {
    int32_t my = p.top + y;
    if (my < 0 || my >= map.height) continue;
    uint8_t* d = map.PixelAt(0, my);
    const uint8_t* s = canvas.PixelAt(0, y);
    for (int32_t x = 0; x < w; ++x) {
      int32_t mx = p.left + x;
      if (mx < 0 || mx >= map.width) continue;
      for (int c = 0; c < 3; ++c) {
        uint8_t& v = d[size_t(mx) * 3 + size_t(c)];
        v = static_cast<uint8_t>(static_cast<int>(float(v) * keep + float(s[size_t(x) * 3 + size_t(c)]) * o));
      }
    }
  }
}

}  // namespace sylvane
