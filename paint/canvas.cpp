#include "paint/canvas.h"

#include <algorithm>
#include <cstring>

namespace sylvane {

namespace {

bool PictureUsable(int32_t kind, const Surface& picture) {
  return kind == kBackgroundPicture && picture.width > 0 && picture.height > 0 &&
         picture.pixels.size() >= size_t(picture.stride) * size_t(picture.height);
}

// Records the background settings shared by both set-up operations. A picture
// that failed to load is recorded as the colour, so that later loads do not
// keep reporting a picture that is not shown.
void RecordBackground(Canvas& canvas, uint32_t colour, int32_t kind, const Surface& picture,
                      int32_t update_interval, bool stretch) {
  const bool use_picture = PictureUsable(kind, picture);
  canvas.background_colour = colour;
  canvas.background_kind = use_picture ? uint8_t(kBackgroundPicture) : uint8_t(kBackgroundColour);
  canvas.background_path = use_picture ? picture.path : std::string();
  canvas.stretch = stretch ? 1 : 0;
  canvas.update_interval = update_interval;
  canvas.remaining_minutes = update_interval;
}

// Creates the background layer at width x height, filled by the rules.
bool MakeBackgroundLayer(Surface& layer, int32_t width, int32_t height, uint32_t colour, int32_t kind,
                         const Surface& picture, bool stretch) {
  Surface made;
  if (!made.CreateFilled(width, height, 0)) return false;
  FillBackground(made, colour, kind, picture, stretch);
  made.RefreshHeaders();
  made.path.clear();
  layer = std::move(made);
  return true;
}

}  // namespace

int SetUpCanvasLayers(Canvas& canvas, int32_t width, int32_t height, uint32_t colour, int32_t kind,
                      const Surface& picture, int32_t update_interval, bool stretch) {
  if (!IsAcceptableSize(width, height)) return kCanvasBadSize;
  Surface background;
  Surface trees;
  AlphaPlane weight;
  if (!MakeBackgroundLayer(background, width, height, colour, kind, picture, stretch) ||
      !trees.CreateFilled(width, height, 0) || !weight.CreateFilled(width, height, 255)) {
    return kCanvasBadSize;
  }
  trees.RefreshHeaders();
  RecordBackground(canvas, colour, kind, picture, update_interval, stretch);
  canvas.last_daily_update = GetPlatform().Now();
  canvas.background = std::move(background);
  canvas.trees = std::move(trees);
  canvas.weight = std::move(weight);
  canvas.exists = 1;
  canvas.has_file = 0;
  canvas.file_path.clear();
  return kCanvasOk;
}

int ChangeBackground(Canvas& canvas, int32_t width, int32_t height, uint32_t colour, int32_t kind,
                     const Surface& picture, int32_t update_interval, bool stretch) {
  if (!IsAcceptableSize(width, height)) return kCanvasBadSize;
  Surface background;
  if (!MakeBackgroundLayer(background, width, height, colour, kind, picture, stretch)) {
    return kCanvasBadSize;
  }
  RecordBackground(canvas, colour, kind, picture, update_interval, stretch);
  canvas.background = std::move(background);
  return kCanvasOk;
}

void FillBackground(Surface& layer, uint32_t colour, int32_t kind, const Surface& picture, bool stretch) {
  const int32_t w = layer.width;
  const int32_t h = layer.height;
  if (w <= 0 || h <= 0) return;
  if (!PictureUsable(kind, picture)) {
    const uint8_t blue = uint8_t(colour >> 16);
    const uint8_t green = uint8_t(colour >> 8);
    const uint8_t red = uint8_t(colour);
    for (int32_t r = 0; r < h; ++r) {
      uint8_t* row = layer.BufferRow(r);
      for (int32_t x = 0; x < w; ++x) {
        row[3 * x] = blue;
        row[3 * x + 1] = green;
        row[3 * x + 2] = red;
      }
    }
    return;
  }
  const int64_t pw = picture.width;
  const int64_t ph = picture.height;
  if (stretch) {
    // Nearest neighbour over the same buffer row order: column x takes column
    // trunc(x * pw / W). In exact integer arithmetic this is the floating-point
    // quotient truncated (the quotient is never within rounding of an integer).
    for (int32_t r = 0; r < h; ++r) {
      int64_t sr = int64_t(r) * ph / h;
      if (sr > ph - 1) sr = ph - 1;
      const uint8_t* src = picture.BufferRow(int32_t(sr));
      uint8_t* dst = layer.BufferRow(r);
      for (int32_t x = 0; x < w; ++x) {
        int64_t sx = int64_t(x) * pw / w;
        if (sx > pw - 1) sx = pw - 1;
        std::memcpy(dst + 3 * size_t(x), src + 3 * size_t(sx), 3);
      }
    }
    return;
  }
  // Tiled from the top-left corner: t rows from the top take picture row
  // t mod ph counted from the picture's top.
  for (int32_t t = 0; t < h; ++t) {
    const int32_t st = int32_t(t % ph);
    const uint8_t* src = picture.BufferRow(picture.height - 1 - st);
    uint8_t* dst = layer.BufferRow(h - 1 - t);
    for (int32_t x = 0; x < w;) {
      const int32_t run = int32_t(std::min<int64_t>(pw, w - x));
      std::memcpy(dst + 3 * size_t(x), src, 3 * size_t(run));
      x += run;
    }
  }
}

bool ComposePlain(const Surface& background, const Surface& trees, const AlphaPlane& weight,
                  Surface& out) {
  const int32_t w = trees.width;
  const int32_t h = trees.height;
  if (background.width != w || background.height != h || weight.width != w || weight.height != h) {
    out.Clear();
    return false;
  }
  if (!out.Create(w, h)) {
    out.Clear();
    return false;
  }
  for (int32_t r = 0; r < h; ++r) {
    const uint8_t* b = background.BufferRow(r);
    const uint8_t* t = trees.BufferRow(r);
    const uint8_t* m = weight.BufferRow(r);
    uint8_t* o = out.BufferRow(r);
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t mm = m[x];
      for (int c = 0; c < 3; ++c) {
        // Layers that keep the invariant never exceed 255; broken ones saturate
        // instead of wrapping round to dark.
        const uint32_t v = uint32_t(b[3 * x + c]) * mm / 255 + t[3 * x + c];
        o[3 * x + c] = uint8_t(v > 255 ? 255 : v);
      }
    }
  }
  out.RefreshHeaders();
  return true;
}

}  // namespace sylvane
