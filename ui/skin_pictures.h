// Pixel work of the skin: compositing a state image over its back image,
// cutting an element's pictures out of whole-window composites, tiling a
// background, and the geometry and blending of the map window's picture.
#pragma once
#include <cstdint>

#include "canvas/image/surface.h"
#include "ui/skin_layout.h"

namespace sylvane {

// Replaces state by state over back: per pixel a = alpha / 255 and each of
// blue, green, red becomes (1 - a) * back + a * state, truncated and clamped
// to 0..255. Pixels of the state image that the back image does not cover
// (a smaller back image) are composited over black. An empty alpha plane, or
// one of another size, counts as fully opaque.
void CompositeOver(Surface& state, const AlphaPlane& alpha, const Surface& back);

// An element's picture: a rect.width x rect.height surface (headers refreshed)
// holding the composite's pixels from column rect.left and row rect.top
// (counted from the top). Pixels that fall outside the composite stay black.
// A rectangle without width or height gives an empty surface.
void CutElementPicture(const Surface& composite, const SkinRect& rect, Surface& out);

// out = width x height filled with source tiled from the top-left corner:
// out(x, y) = source(x mod source width, y mod source height). An empty
// source gives a white picture.
void TilePicture(const Surface& source, int32_t width, int32_t height, Surface& out);

// Where the canvas picture lies in the map window.
struct MapPicture {
  bool valid = false;  // false when the map or the canvas has no room for a picture
  float scale = 1.0f;  // canvas pixels per map pixel
  int32_t width = 0;   // picture size in map pixels
  int32_t height = 0;
  int32_t left = 0;    // picture rectangle in map client coordinates
  int32_t top = 0;
  int32_t right = 0;   // left + width
  int32_t bottom = 0;  // top + height
};

// Fixed margins of the map's picture area (room for the cancel button above).
inline constexpr int32_t kMapMarginLeftRight = 5;
inline constexpr int32_t kMapMarginTop = 30;
inline constexpr int32_t kMapMarginBottom = 10;

// Fits a canvas of canvas_w x canvas_h into the map's picture area of
// (map_w - 10) x (map_h - 40), keeping its aspect ratio, centred.
MapPicture FitCanvasInMap(int32_t map_w, int32_t map_h, int32_t canvas_w, int32_t canvas_h);

// True when the point (map client coordinates) lies on the picture.
bool MapPictureContains(const MapPicture& picture, int32_t x, int32_t y);

// The canvas position of a map point on the picture: ((x - left) * scale,
// (y - top) * scale), truncated.
struct CanvasPoint {
  int32_t x = 0;
  int32_t y = 0;
};
CanvasPoint MapPointToCanvas(const MapPicture& picture, int32_t x, int32_t y);

// Blends the scaled canvas picture (picture.width x picture.height) into the
// map background inside the picture rectangle: every channel becomes
// background * (1 - opacity) + canvas * opacity, truncated.
void BlendCanvasIntoMap(Surface& map, const Surface& scaled_canvas, const MapPicture& picture, float opacity);

}  // namespace sylvane
