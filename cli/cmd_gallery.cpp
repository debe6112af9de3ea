// sylvane-cli gallery (GARDEN.syl | --layers BACKGROUND TREES) OUT.png [--time HH:MM]
// One picture with the garden in all 28 lighting modes, seven tiles across
// and four down, each a shrunken render marked with its mode number (the
// number of the settings' lighting list), so that a lighting can be chosen by
// eye. Modes that draw random numbers draw them in mode order, so --seed
// repeats a gallery; --time fixes the clock of the time-of-day mode.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/image/resample.h"
#include "cli/command.h"
#include "cli/garden_io.h"
#include "cli/render_input.h"
#include "paint/canvas.h"
#include "paint/lighting.h"

namespace sylvane::cli {
namespace {

constexpr char kUsage[] = "gallery (GARDEN.syl | --layers BACKGROUND TREES) OUT.png [--time HH:MM]";
constexpr int kColumns = 7;
constexpr int kRows = 4;
constexpr int kMaxTile = 220;  // pixels, the longer side of a tile
constexpr int kGap = 6;        // pixels between and around the tiles
constexpr uint8_t kBackdrop = 40;

// Digits 0..9 as 3 x 5 bitmaps, one row per entry, the high bit of three on the left.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

int Fail(const std::string& text) { return UsageError("gallery", kUsage, text); }

void FillRect(Surface& s, int left, int top, int w, int h, uint8_t value) {
  for (int y = std::max(0, top); y < std::min(s.height, top + h); ++y) {
    for (int x = std::max(0, left); x < std::min(s.width, left + w); ++x) {
      uint8_t* p = s.PixelAt(x, y);
      p[0] = p[1] = p[2] = value;
    }
  }
}

// The mode number as two digits in white on a black plate at (left, top).
void DrawNumber(Surface& s, int left, int top, int number, int scale) {
  const int digits[2] = {number / 10 % 10, number % 10};
  const int pad = scale;
  FillRect(s, left, top, 2 * pad + (2 * 3 + 1) * scale, 2 * pad + 5 * scale, 0);
  for (int i = 0; i < 2; ++i) {
    const int x0 = left + pad + i * 4 * scale;
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 3; ++col) {
        if (kDigits[digits[i]][row] & (4 >> col)) {
          FillRect(s, x0 + col * scale, top + pad + row * scale, scale, scale, 255);
        }
      }
    }
  }
}

// Copies the tile picture into the gallery with its top-left at (left, top).
void Place(Surface& gallery, const Surface& tile, int left, int top) {
  for (int y = 0; y < tile.height; ++y) {
    const uint8_t* src = tile.PixelAt(0, y);
    uint8_t* dst = gallery.PixelAt(left, top + y);
    std::copy(src, src + size_t(tile.width) * 3, dst);
  }
}

int RunGallery(const GlobalOptions& global, const std::vector<std::string>& raw) {
  std::vector<std::string> rest_args = raw;
  LayerSource source;
  std::string error;
  if (!TakeLayersOption(rest_args, source, error)) return Fail(error);
  Args args(rest_args);
  const auto time_text = args.Value("--time");
  std::string out_path;
  if (!TakeSourceAndOutput(args, source, out_path, "OUT.png", error)) return Fail(error);
  if (!ApplyTimeOption(global, time_text, error)) return Fail(error);

  if (LoadLayers(global, source) != 0) return 1;
  const Canvas& canvas = CliGarden().canvas;
  const int w = canvas.trees.width;
  const int h = canvas.trees.height;
  if (w <= 0 || h <= 0) {
    std::fprintf(stderr, "gallery: the canvas is empty\n");
    return 1;
  }
  // Tiles keep the canvas's proportions; a canvas smaller than a tile is shown as it is.
  const double scale = std::min(1.0, double(kMaxTile) / double(std::max(w, h)));
  const int tw = std::max(1, int(w * scale));
  const int th = std::max(1, int(h * scale));
  Surface gallery;
  if (!gallery.CreateFilled(kGap + kColumns * (tw + kGap), kGap + kRows * (th + kGap), kBackdrop)) {
    std::fprintf(stderr, "gallery: the picture would be too large\n");
    return 1;
  }
  const int digit_scale = std::clamp(std::min(tw, th) / 40, 1, 4);
  Surface lit;
  Surface tile;
  for (int mode = 0; mode < kLightingModeCount; ++mode) {
    if (RenderWithMode(mode, canvas.background, canvas.trees, canvas.weight, lit) != kRenderOk) {
      std::fprintf(stderr, "gallery: the canvas layers differ in size\n");
      return 1;
    }
    const Surface* shown = &lit;
    if (tw != w || th != h) {
      if (SmoothShrink(lit, tile, tw, th) != 0) {
        std::fprintf(stderr, "gallery: cannot shrink the picture\n");
        return 1;
      }
      shown = &tile;
    }
    const int left = kGap + (mode % kColumns) * (tw + kGap);
    const int top = kGap + (mode / kColumns) * (th + kGap);
    Place(gallery, *shown, left, top);
    DrawNumber(gallery, left, top, mode, digit_scale);
  }
  gallery.RefreshHeaders();
  return WritePicture(gallery, out_path);
}

const Command command{"gallery", kUsage, RunGallery};
const Registration reg{command};

}  // namespace
}  // namespace sylvane::cli
