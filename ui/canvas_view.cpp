#include "ui/canvas_view.h"
#include "res/commands.h"

#include <algorithm>

namespace sylvane {
namespace {


const char* const kZoomTexts[kZoomStepCount] = {"100%", "90%", "80%", "70%", "60%",
                                                "50%",  "40%", "30%", "20%", "10%"};
const char* const kNamesTexts[kNamesChoiceCount] = {"非表示", "表示", "ファイル名"};

uint8_t Light(uint8_t v) { return static_cast<uint8_t>(static_cast<int>(v * 0.5 + 127.5)); }
uint8_t Dark(uint8_t v) { return static_cast<uint8_t>(static_cast<int>(v * 0.5)); }

void CopyPixel(const uint8_t* from, uint8_t* to) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

}  // namespace

float ZoomFactor(int step) {
  static const float kFactors[kZoomStepCount] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f};
  if (step < 0 || step >= kZoomStepCount) return 1.0f;
  return kFactors[step];
}

int ZoomStepForCommand(int command) {
  int step = command - CMD_CW_ZOOM_FIRST;
  return step >= 0 && step < kZoomStepCount ? step : -1;
}

const char* ZoomStepText(int step) { return step >= 0 && step < kZoomStepCount ? kZoomTexts[step] : ""; }

const char* NamesChoiceText(int choice) {
  return choice >= 0 && choice < kNamesChoiceCount ? kNamesTexts[choice] : "";
}

PixelSize ScaledCanvasSize(int32_t width, int32_t height, float factor) {
  PixelSize s;
  s.width = static_cast<int32_t>(static_cast<float>(width) * factor);
  s.height = static_cast<int32_t>(static_cast<float>(height) * factor);
  s.width = std::max<int32_t>(s.width, 1);
  s.height = std::max<int32_t>(s.height, 1);
  return s;
}

PixelSize WindowPictureSize(PixelSize scaled_canvas) {
  return PixelSize{scaled_canvas.width + kFrameExtraWidth, scaled_canvas.height + kFrameExtraHeight};
}

void MakeFallbackFrame(Surface& composite, Surface& back) {
  composite.CreateFilled(kFallbackFrameWidth, kFallbackFrameHeight, 255);
  composite.RefreshHeaders();
  back.CreateFilled(kFallbackFrameWidth, kFallbackFrameHeight, 255);
  back.RefreshHeaders();
}

bool ComposeWindowPicture(const Surface& composite, const Surface& back, const Surface& canvas, Surface& out) {
  const PixelSize size = WindowPictureSize(PixelSize{canvas.width, canvas.height});
  out.Clear();
  if (!IsAcceptableSize(size.width, size.height) || !out.CreateFilled(size.width, size.height, 255)) {
    out.Clear();
    return false;
  }
  static const uint8_t kWhite[3] = {255, 255, 255};
  const bool have_back = !back.empty() && back.width > 0 && back.height > 0;
  const bool have_composite = !composite.empty();
  // The frame's own pixel at (x, y), before the edges are shaded.
  auto frame = [&](int32_t x, int32_t y) -> const uint8_t* {
    if (!have_back) return kWhite;
    if (x < back.width && y < back.height) {
      // The composite is addressed with the back image's size; where it is
      // smaller the back image shows.
      if (have_composite && x < composite.width && y < composite.height) return composite.PixelAt(x, y);
      return back.PixelAt(x, y);
    }
    return back.PixelAt(x % back.width, y % back.height);
  };
  for (int32_t y = 0; y < size.height; ++y) {
    for (int32_t x = 0; x < size.width; ++x) {
      const uint8_t* from = frame(x, y);
      uint8_t* to = out.PixelAt(x, y);
      if (x == 0 || y == 0) {
        for (int c = 0; c < 3; ++c) to[c] = Light(from[c]);  // the light rule wins at the corners
      } else if (x == size.width - 1 || y == size.height - 1) {
        for (int c = 0; c < 3; ++c) to[c] = Dark(from[c]);
      } else {
        CopyPixel(from, to);
      }
    }
  }
  for (int32_t y = 0; y < canvas.height; ++y) {
    const uint8_t* from = canvas.PixelAt(0, y);
    uint8_t* to = out.PixelAt(kCanvasLeft, kCanvasTop + y);
    std::copy(from, from + size_t(canvas.width) * 3, to);
  }
  out.RefreshHeaders();
  return true;
}

PixelSize FitWindowSize(PixelSize picture, PixelSize work_area) {
  PixelSize s = picture;
  if (work_area.width > 0) s.width = std::min(s.width, work_area.width);
  if (work_area.height > 0) s.height = std::min(s.height, work_area.height);
  return s;
}

int ScrollPage(int32_t client, int32_t picture) {
  if (picture <= 0) return kScrollMax + 1;
  return static_cast<int>(int64_t(std::max<int32_t>(client, 0)) * (kScrollMax + 1) / picture);
}

int32_t ScrollOffset(int position, int32_t picture, int32_t client) {
  if (client >= picture) return 0;
  int64_t offset = int64_t(position) * picture / (kScrollMax + 1);
  offset = std::min<int64_t>(offset, picture - client);
  return static_cast<int32_t>(std::max<int64_t>(offset, 0));
}

int ScrollPositionAfter(ScrollRequest request, int position, int page, int thumb) {
  int delta = 0;
  switch (request) {
    case ScrollRequest::kLineUp:
      delta = -1;
      break;
    case ScrollRequest::kLineDown:
      delta = 1;
      break;
    case ScrollRequest::kPageUp:
      delta = -page;
      break;
    case ScrollRequest::kPageDown:
      delta = page;
      break;
    case ScrollRequest::kThumb:
      delta = thumb - position;
      break;
    case ScrollRequest::kOther:
      break;
  }
  const int top = std::max(0, kScrollMax + 1 - page);
  return std::clamp(position + delta, 0, top);
}

ViewPoint ZoomedTreePoint(const LabelEntry& entry, float factor) {
  return ViewPoint{static_cast<int32_t>(static_cast<float>(entry.x) * factor),
                   static_cast<int32_t>(static_cast<float>(entry.y) * factor)};
}

bool TreeUnderPointer(ViewPoint zoomed, PixelSize scaled_canvas, int32_t mx, int32_t my) {
  const bool in_x = std::max(0, mx - 15) <= zoomed.x && zoomed.x < std::min(scaled_canvas.width, mx - 5);
  const bool in_y = std::max(0, my - 35) <= zoomed.y && zoomed.y < std::min(scaled_canvas.height, my - 25);
  return in_x && in_y;
}

std::vector<int> TreesUnderPointer(const std::vector<LabelEntry>& entries, float factor, PixelSize scaled_canvas,
                                   int32_t mx, int32_t my) {
  std::vector<int> found;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (TreeUnderPointer(ZoomedTreePoint(entries[i], factor), scaled_canvas, mx, my))
      found.push_back(static_cast<int>(i));
  }
  return found;
}

ViewPoint MarkerTopLeft(ViewPoint zoomed) {
  return ViewPoint{zoomed.x - 6 < 0 ? kCanvasLeft : zoomed.x + 4, zoomed.y - 6 < 0 ? kCanvasTop : zoomed.y + 24};
}

ViewPoint DropPointToCanvas(int32_t x, int32_t y, float factor, int32_t canvas_width, int32_t canvas_height) {
  if (!(factor > 0.0f)) factor = 1.0f;
  ViewPoint p{static_cast<int32_t>(static_cast<float>(x - kCanvasLeft) / factor),
              static_cast<int32_t>(static_cast<float>(y - kCanvasTop) / factor)};
  p.x = std::clamp(p.x, 0, std::max(canvas_width - 1, 0));
  p.y = std::clamp(p.y, 0, std::max(canvas_height - 1, 0));
  return p;
}

bool InCollapseToggle(int32_t x, int32_t y) {
  return x >= kCollapseToggleLeft && x < kCollapseToggleLeft + kCollapseToggleWidth && y >= kCollapseToggleTop &&
         y < kCollapseToggleTop + kCollapseToggleHeight;
}

WindowBox ResizedInWorkArea(int32_t left, int32_t top, PixelSize new_size, PixelSize work_area) {
  WindowBox box{left, top, new_size.width, new_size.height};
  if (box.left + box.width > work_area.width) box.left = work_area.width - box.width;
  if (box.top + box.height > work_area.height) box.top = work_area.height - box.height;
  box.left = std::max(box.left, 0);
  box.top = std::max(box.top, 0);
  return box;
}

std::vector<LabelDraw> LayOutLabels(const std::vector<LabelEntry>& entries, int32_t canvas_width, float factor,
                                    int32_t font_height, int mode) {
  std::vector<LabelDraw> draws;
  if (mode != kLabelsNames && mode != kLabelsFileNames) return draws;
  draws.reserve(entries.size());
  for (const LabelEntry& e : entries) {
    LabelDraw d;
    d.place = PlaceLabel(e, canvas_width, factor, font_height);
    d.text = mode == kLabelsNames ? e.name : e.file_name;
    draws.push_back(std::move(d));
  }
  return draws;
}

ClipBox LabelClip(PixelSize picture) {
  return ClipBox{kCanvasLeft, kCanvasTop, picture.width - 10, picture.height - 10};
}

std::vector<int> NamesChoiceCommands(int choice) {
  std::vector<int> steps{CMD_REFRESH_CANVAS_WINDOW};
  if (choice == 1) steps.push_back(CMD_NAMES_TO_CANVAS_WINDOW);
  if (choice == 2) steps.push_back(CMD_FILE_NAMES_TO_CANVAS_WINDOW);
  return steps;
}

const char* GrowthTypeText(int kind) {
  if (kind == 0) return "拡散型";
  if (kind == 1) return "上昇型";
  return "";
}

const char* OriginText(int mutant) { return mutant != 0 ? "変異種" : "原種"; }

StripRect DescriptionStrip(int32_t tree_x, int32_t tree_y, int32_t client_width, PixelSize canvas) {
  StripRect r;
  r.left = std::max(0, tree_x - client_width / 2);
  r.top = std::max(0, tree_y - 100);
  r.width = client_width;
  if (r.left + r.width > canvas.width) r.width = canvas.width - r.left;
  r.height = kDescriptionStripHeight;
  if (r.top + r.height > canvas.height) r.height = canvas.height - r.top;
  r.width = std::max(r.width, 0);
  r.height = std::max(r.height, 0);
  return r;
}

}  // namespace sylvane
