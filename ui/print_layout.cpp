#include "ui/print_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sylvane {
namespace {

// A float product truncated to an int, held inside the int range (a huge
// factor typed into the dialog must not overflow).
int32_t TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

float CanvasRatio(int32_t canvas_width, int32_t canvas_height) {
  if (canvas_height == 0) return 0.0f;
  return static_cast<float>(canvas_width) / static_cast<float>(canvas_height);
}

}  // namespace

int32_t PrintPageHeight(const PrintPage& page) {
  return TruncToInt(double(page.height_mm) * double(page.dpi_y) * kInchesPerMillimetre);
}

PrintPlacement PlacePrint(int type, bool centre, float f1, float f2, int32_t picture_width, int32_t picture_height,
                          int32_t page_width, int32_t page_height, float dpi_x, float dpi_y) {
  PrintPlacement p;
  if (picture_width <= 0 || picture_height <= 0) return p;
  switch (type) {
    case kPrintFit:
      // Integer arithmetic gives exactly the page's side on the side that
      // decides, and the other side in proportion.
      if (int64_t(page_width) * picture_height <= int64_t(page_height) * picture_width) {
        p.width = page_width;
        p.height = static_cast<int32_t>(int64_t(picture_height) * page_width / picture_width);
      } else {
        p.height = page_height;
        p.width = static_cast<int32_t>(int64_t(picture_width) * page_height / picture_height);
      }
      break;
    case kPrintFill:
      p.print = true;
      p.width = page_width;
      p.height = page_height;
      return p;
    case kPrintFactors:
      p.width = TruncToInt(double(f1 * static_cast<float>(picture_width)));
      p.height = TruncToInt(double(f2 * static_cast<float>(picture_height)));
      break;
    case kPrintMillimetres:
      p.width = TruncToInt(double(dpi_x) * double(f1) * kInchesPerMillimetre);
      p.height = TruncToInt(double(dpi_y) * double(f2) * kInchesPerMillimetre);
      break;
    default:
      return p;
  }
  p.width = std::min(p.width, page_width);
  p.height = std::min(p.height, page_height);
  // A size typed as 0 or negative (the fields only warn about it) prints
  // nothing rather than a mirrored picture.
  p.print = p.width > 0 && p.height > 0;
  if (centre) {
    p.x = static_cast<int32_t>((page_width - p.width) * 0.5);
    p.y = static_cast<int32_t>((page_height - p.height) * 0.5);
    if (p.x < 1) p.x = 0;
    if (p.y < 1) p.y = 0;
  }
  return p;
}

int32_t HeightForWidth(int32_t width_value, int32_t canvas_width, int32_t canvas_height) {
  const float r = CanvasRatio(canvas_width, canvas_height);
  if (r == 0.0f) return 0;
  // The quotient in double precision: 300 / 1.3333334f is 224.99999..., 224.
  return TruncToInt(double(width_value) / double(r));
}

int32_t WidthForHeight(int32_t height_value, int32_t canvas_width, int32_t canvas_height) {
  const float r = CanvasRatio(canvas_width, canvas_height);
  return TruncToInt(double(height_value) * double(r));
}

}  // namespace sylvane
