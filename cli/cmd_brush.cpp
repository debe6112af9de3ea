// sylvane-cli brush: builds one brush pattern and prints its six variants or
// draws them side by side, enlarged, so that a dab can be looked at.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/image/surface.h"
#include "cli/command.h"
#include "paint/brush.h"

namespace sylvane::cli {
namespace {

constexpr int kMaxCellPixels = 16;  // enlargement of one cell in the picture
constexpr int kGapPixels = 2;       // grey gap between two variants
constexpr uint8_t kGapGrey = 128;

void Dump(const BrushPattern& p) {
  for (int v = 0; v < kBrushVariants; ++v) {
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x)
        std::printf(x ? " %.9g" : "%.9g", static_cast<double>(p.Value(v, x, y)));
      std::printf("\n");
    }
  }
}

uint8_t Grey(float value) {
  double v = std::clamp(static_cast<double>(value), 0.0, 1.0);
  return static_cast<uint8_t>(v * 255.0 + 0.5);
}

// The six variants left to right, each cell a square of grey (black 0, white 1).
int DrawPicture(const BrushPattern& p, const std::string& path) {
  const int gaps = (kBrushVariants - 1) * kGapPixels;
  // Shrink the cells of large patterns so that the picture stays drawable.
  int cell = kMaxCellPixels;
  cell = std::min(cell, (kMaxSurfaceSide - gaps) / (kBrushVariants * p.width));
  cell = std::min(cell, kMaxSurfaceSide / p.height);
  if (cell < 1) {
    std::fprintf(stderr, "brush: the pattern is too large for a picture\n");
    return 1;
  }
  const int variant_width = p.width * cell;
  Surface picture;
  if (!picture.CreateFilled(kBrushVariants * variant_width + gaps, p.height * cell, kGapGrey)) {
    std::fprintf(stderr, "brush: cannot make the picture\n");
    return 1;
  }
  picture.RefreshHeaders();
  for (int v = 0; v < kBrushVariants; ++v) {
    const int left = v * (variant_width + kGapPixels);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < variant_width; ++x) {
        uint8_t g = Grey(p.Value(v, x / cell, y / cell));
        uint8_t* px = picture.PixelAt(left + x, y);
        px[0] = px[1] = px[2] = g;
      }
    }
  }
  return WritePng(path, picture) == 0 ? 0 : 1;
}

int Run(const GlobalOptions& global, const std::vector<std::string>& args) {
  Args a(args);
  auto type = a.Value("--type");
  auto size = a.Value("--size");
  auto strength = a.Value("--strength");
  auto edge = a.Value("--edge");
  auto density = a.Value("--density");
  auto out = a.Value("--out");
  bool dump = a.Flag("--dump");
  std::vector<std::string> rest;
  std::string error;
  if (!a.Positional(rest, error) || !rest.empty()) {
    std::fprintf(stderr, "brush: %s\n", error.empty() ? "unexpected argument" : error.c_str());
    return 2;
  }
  int t = 0, w = 0, h = 0, s = 0, e = 0, d = 0;
  if (!type || !ParseInt(*type, t) || !size || !ParseSize(*size, w, h) || !strength ||
      !ParseInt(*strength, s) || !edge || !ParseInt(*edge, e) || !density || !ParseInt(*density, d)) {
    std::fprintf(stderr,
                 "brush: needs --type T --size WxH --strength S --edge E --density D "
                 "(--dump | --out FILE.png)\n");
    return 2;
  }
  if (dump == out.has_value()) {
    std::fprintf(stderr, "brush: give exactly one of --dump and --out FILE.png\n");
    return 2;
  }
  global.SeedNow();
  BrushPattern pattern;
  pattern.Build(t, w, h, s, e, d);
  if (pattern.cells.empty()) {
    std::fprintf(stderr, "brush: a %dx%d pattern is too large\n", w, h);
    return 1;
  }
  if (dump) {
    Dump(pattern);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  return DrawPicture(pattern, *out);
}

const Command command{
    "brush",
    "brush --type T --size WxH --strength S --edge E --density D (--dump | --out FILE.png)",
    Run};
Registration reg{command};

}  // namespace
}  // namespace sylvane::cli
