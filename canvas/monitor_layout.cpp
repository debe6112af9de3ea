#include "canvas/monitor_layout.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>

#include "canvas/image/resample.h"

namespace sylvane {
namespace {

// The garden shrunk to one placement size, kept between monitors of the same
// size so that equal monitors shrink it once.
class ShrunkGarden {
 public:
  explicit ShrunkGarden(const Surface& garden) : garden_(garden) {}

  const Surface* At(int32_t w, int32_t h) {
    if (w == shrunk_.width && h == shrunk_.height && !shrunk_.empty()) return &shrunk_;
    if (SmoothShrink(garden_, shrunk_, w, h) != 0) return nullptr;
    return &shrunk_;
  }

 private:
  const Surface& garden_;
  Surface shrunk_;
};

// Draws the garden enlarged to w x h into out at (x, y) by the nearest pixel
// (whole-number arithmetic, so that doubling repeats every pixel exactly
// twice). A target row taking the same source row as the one above is a
// copy of it.
void EnlargeInto(const Surface& garden, Surface& out, int32_t x, int32_t y, int32_t w, int32_t h) {
  std::vector<int32_t> columns(size_t(w), 0);
  for (int32_t j = 0; j < w; ++j) columns[size_t(j)] = int32_t(int64_t(j) * garden.width / w) * 3;
  int32_t previous_source = -1;
  for (int32_t r = 0; r < h; ++r) {
    const int32_t source_row = int32_t(int64_t(r) * garden.height / h);
    uint8_t* dst = out.PixelAt(x, y + r);
    if (source_row == previous_source) {
      std::memcpy(dst, out.PixelAt(x, y + r - 1), size_t(w) * 3);
      continue;
    }
    previous_source = source_row;
    const uint8_t* src = garden.PixelAt(0, source_row);
    for (int32_t j = 0; j < w; ++j) {
      const uint8_t* p = src + columns[size_t(j)];
      dst[0] = p[0];
      dst[1] = p[1];
      dst[2] = p[2];
      dst += 3;
    }
  }
}

void FillRect(Surface& out, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  if (w <= 0 || h <= 0) return;
  const uint8_t bgr[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int32_t i = 0; i < w; ++i) std::memcpy(row.data() + size_t(i) * 3, bgr, 3);
  for (int32_t r = 0; r < h; ++r) std::memcpy(out.PixelAt(x, y + r), row.data(), row.size());
}

// Draws one monitor's picture into out's w x h area at (ox, oy).
bool DrawMonitor(ShrunkGarden& shrunk, const Surface& garden, uint32_t background, MonitorFit fit, Surface& out,
                 int32_t ox, int32_t oy, int32_t w, int32_t h) {
  if (fit == MonitorFit::kTile) {
    const size_t tile_bytes = size_t(garden.width) * 3;
    for (int32_t r = 0; r < h; ++r) {
      const uint8_t* src = garden.PixelAt(0, r % garden.height);
      uint8_t* dst = out.PixelAt(ox, oy + r);
      size_t left = size_t(w) * 3;
      while (left > 0) {
        const size_t n = std::min(left, tile_bytes);
        std::memcpy(dst, src, n);
        dst += n;
        left -= n;
      }
    }
    return true;
  }
  const GardenPlacement at = PlaceGarden(garden.width, garden.height, w, h, fit);
  // The colour only where the garden does not cover.
  FillRect(out, ox, oy, w, at.y, background);
  FillRect(out, ox, oy + at.y + at.height, w, h - at.y - at.height, background);
  FillRect(out, ox, oy + at.y, at.x, at.height, background);
  FillRect(out, ox + at.x + at.width, oy + at.y, w - at.x - at.width, at.height, background);
  const Surface* picture = &garden;
  if (at.width != garden.width || at.height != garden.height) {
    if (at.width > garden.width || at.height > garden.height) {
      EnlargeInto(garden, out, ox + at.x, oy + at.y, at.width, at.height);
      return true;
    }
    picture = shrunk.At(at.width, at.height);
    if (!picture) return false;
  }
  for (int32_t r = 0; r < at.height; ++r) {
    std::memcpy(out.PixelAt(ox + at.x, oy + at.y + r), picture->PixelAt(0, r), size_t(at.width) * 3);
  }
  return true;
}

bool Overlap(const MonitorRect& a, const MonitorRect& b) {
  return a.x < int64_t(b.x) + b.width && b.x < int64_t(a.x) + a.width && a.y < int64_t(b.y) + b.height &&
         b.y < int64_t(a.y) + a.height;
}

bool AnyOverlap(const std::vector<MonitorRect>& monitors) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    for (size_t k = i + 1; k < monitors.size(); ++k) {
      if (Overlap(monitors[i], monitors[k])) return true;
    }
  }
  return false;
}

// True when the monitors cover their bounding box without overlapping, so
// that no pixel of the picture is left to the colour between them.
bool CoverTheBox(const std::vector<MonitorRect>& monitors, const MonitorRect& box) {
  if (AnyOverlap(monitors)) return false;
  int64_t area = 0;
  for (const MonitorRect& m : monitors) area += int64_t(m.width) * m.height;
  return area == int64_t(box.width) * box.height;
}

// Fills with the colour the pixels of out (the box's picture) that no
// monitor covers, and only those: the monitors' own pixels are drawn anyway,
// and filling the whole box first would write the desktop's bytes twice.
// Goes band by band between the monitors' top and bottom edges, in which
// every row has the same uncovered spans.
void FillUncovered(Surface& out, const std::vector<MonitorRect>& monitors, const MonitorRect& box,
                   uint32_t colour) {
  std::vector<int32_t> edges = {0, box.height};
  for (const MonitorRect& m : monitors) {
    edges.push_back(m.y - box.y);
    edges.push_back(m.y - box.y + m.height);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<std::pair<int32_t, int32_t>> spans;  // covered [left, right) in the band, box coordinates
  for (size_t e = 0; e + 1 < edges.size(); ++e) {
    const int32_t top = edges[e], bottom = edges[e + 1];
    spans.clear();
    for (const MonitorRect& m : monitors) {
      if (m.y - box.y <= top && m.y - box.y + m.height >= bottom) spans.emplace_back(m.x - box.x, m.x - box.x + m.width);
    }
    std::sort(spans.begin(), spans.end());
    int32_t x = 0;  // the first pixel not yet known covered
    for (const auto& [left, right] : spans) {
      if (left > x) FillRect(out, x, top, left - x, bottom - top, colour);
      x = std::max(x, right);
    }
    if (x < box.width) FillRect(out, x, top, box.width - x, bottom - top, colour);
  }
}

// Copies the w x h area at (from_x, from_y) of out to (to_x, to_y); the two
// areas do not overlap.
void CopyArea(Surface& out, int32_t from_x, int32_t from_y, int32_t to_x, int32_t to_y, int32_t w, int32_t h) {
  for (int32_t r = 0; r < h; ++r) {
    std::memcpy(out.PixelAt(to_x, to_y + r), out.PixelAt(from_x, from_y + r), size_t(w) * 3);
  }
}

// Makes out a w x h picture with its headers, keeping its buffer when it has
// that size already (a periodic update composes the same size every time,
// and a fresh buffer of a large desktop costs more than drawing it).
bool ReadyTarget(Surface& out, int32_t w, int32_t h) {
  if (out.width == w && out.height == h && out.stride == StrideFor(w) &&
      out.pixels.size() == size_t(out.stride) * size_t(h)) {
    out.RefreshHeaders();
    return true;
  }
  Surface fresh;
  if (!fresh.Create(w, h)) return false;
  fresh.RefreshHeaders();
  fresh.path = out.path;
  out = std::move(fresh);
  return true;
}

bool HasPixels(const Surface& s) {
  return s.width > 0 && s.height > 0 && s.pixels.size() >= size_t(s.stride) * size_t(s.height);
}

// Parses a signed decimal number at the front of text; advances it.
bool TakeNumber(std::string_view& text, int32_t& value) {
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') return false;  // a sign of its own only where a coordinate allows one
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr == begin) return false;
  text.remove_prefix(size_t(ptr - begin));
  return true;
}

// One coordinate after its separator: "+N", "+-N" or "-N".
bool TakeCoordinate(std::string_view& text, int32_t& value) {
  if (text.empty()) return false;
  if (text.front() == '+') {
    text.remove_prefix(1);
  } else if (text.front() != '-') {
    return false;
  }
  return TakeNumber(text, value);
}

}  // namespace

MonitorFit FitForStyleString(std::string_view style) {
  if (style == "1") return MonitorFit::kTile;
  if (style == "2") return MonitorFit::kStretch;
  return MonitorFit::kCentre;
}

GardenPlacement PlaceGarden(int32_t garden_w, int32_t garden_h, int32_t monitor_w, int32_t monitor_h,
                            MonitorFit fit) {
  GardenPlacement at;
  if (fit == MonitorFit::kTile) return GardenPlacement{0, 0, garden_w, garden_h};
  if (fit == MonitorFit::kCentre && garden_w <= monitor_w && garden_h <= monitor_h) {
    at.width = garden_w;
    at.height = garden_h;
  } else if (int64_t(monitor_w) * garden_h <= int64_t(monitor_h) * garden_w) {
    // The width limits: the garden spans the monitor's width.
    at.width = monitor_w;
    at.height = std::clamp(int32_t(int64_t(garden_h) * monitor_w / garden_w), int32_t(1), monitor_h);
  } else {
    at.height = monitor_h;
    at.width = std::clamp(int32_t(int64_t(garden_w) * monitor_h / garden_h), int32_t(1), monitor_w);
  }
  at.x = (monitor_w - at.width) / 2;
  at.y = (monitor_h - at.height) / 2;
  return at;
}

MonitorRect VirtualDesktop(const std::vector<MonitorRect>& monitors) {
  if (monitors.empty()) return MonitorRect{};
  int64_t left = monitors[0].x, top = monitors[0].y;
  int64_t right = left + monitors[0].width, bottom = top + monitors[0].height;
  for (const MonitorRect& m : monitors) {
    left = std::min<int64_t>(left, m.x);
    top = std::min<int64_t>(top, m.y);
    right = std::max<int64_t>(right, int64_t(m.x) + m.width);
    bottom = std::max<int64_t>(bottom, int64_t(m.y) + m.height);
  }
  // Sides beyond int32 cannot be composed anyway; kTooLarge catches them.
  return MonitorRect{int32_t(left), int32_t(top), int32_t(std::min<int64_t>(right - left, INT32_MAX)),
                     int32_t(std::min<int64_t>(bottom - top, INT32_MAX))};
}

LayoutStatus ComposeMonitorPicture(const Surface& garden, uint32_t background, MonitorFit fit, int32_t w,
                                   int32_t h, Surface& out) {
  if (!HasPixels(garden)) return LayoutStatus::kNoGarden;
  if (w <= 0 || h <= 0) return LayoutStatus::kBadMonitor;
  if (!IsAcceptableSize(w, h)) return LayoutStatus::kTooLarge;
  if (!ReadyTarget(out, w, h)) return LayoutStatus::kTooLarge;
  ShrunkGarden shrunk(garden);
  if (!DrawMonitor(shrunk, garden, background, fit, out, 0, 0, w, h)) return LayoutStatus::kTooLarge;
  return LayoutStatus::kOk;
}

LayoutStatus ComposeDesktopPicture(const Surface& garden, uint32_t background, MonitorFit fit,
                                   const std::vector<MonitorRect>& monitors, Surface& out) {
  if (!HasPixels(garden)) return LayoutStatus::kNoGarden;
  if (monitors.empty()) return LayoutStatus::kBadMonitor;
  for (const MonitorRect& m : monitors) {
    if (m.width <= 0 || m.height <= 0) return LayoutStatus::kBadMonitor;
  }
  const MonitorRect box = VirtualDesktop(monitors);
  if (!IsAcceptableSize(box.width, box.height)) return LayoutStatus::kTooLarge;
  if (!ReadyTarget(out, box.width, box.height)) return LayoutStatus::kTooLarge;
  FillUncovered(out, monitors, box, background);
  ShrunkGarden shrunk(garden);
  // Monitors that do not overlap keep their pictures whole: a monitor of a
  // size drawn before is a copy of that picture (the fit depends only on the
  // size), at memory speed instead of resampling it again.
  const bool separate = !AnyOverlap(monitors);
  for (size_t i = 0; i < monitors.size(); ++i) {
    const MonitorRect& m = monitors[i];
    const auto same = std::find_if(monitors.begin(), monitors.begin() + std::ptrdiff_t(i), [&](const MonitorRect& e) {
      return e.width == m.width && e.height == m.height;
    });
    if (separate && same != monitors.begin() + std::ptrdiff_t(i)) {
      CopyArea(out, same->x - box.x, same->y - box.y, m.x - box.x, m.y - box.y, m.width, m.height);
    } else if (!DrawMonitor(shrunk, garden, background, fit, out, m.x - box.x, m.y - box.y, m.width, m.height)) {
      return LayoutStatus::kTooLarge;
    }
  }
  return LayoutStatus::kOk;
}

bool DesktopRepeatsOneMonitor(const std::vector<MonitorRect>& monitors) {
  if (monitors.empty()) return false;
  const MonitorRect box = VirtualDesktop(monitors);
  const int32_t w = monitors[0].width, h = monitors[0].height;
  if (w <= 0 || h <= 0) return false;
  for (const MonitorRect& m : monitors) {
    if (m.width != w || m.height != h) return false;
    if ((int64_t(m.x) - box.x) % w != 0 || (int64_t(m.y) - box.y) % h != 0) return false;
  }
  return CoverTheBox(monitors, box);
}

LayoutStatus ComposeTiledDesktopPicture(const Surface& garden, uint32_t background, MonitorFit fit,
                                        const std::vector<MonitorRect>& monitors, Surface& out) {
  if (DesktopRepeatsOneMonitor(monitors)) {
    return ComposeMonitorPicture(garden, background, fit, monitors[0].width, monitors[0].height, out);
  }
  return ComposeDesktopPicture(garden, background, fit, monitors, out);
}

bool ParseMonitorList(std::string_view text, std::vector<MonitorRect>& out, std::string& error) {
  std::vector<MonitorRect> monitors;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    std::string_view item = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const std::string shown(item);
    MonitorRect m;
    std::string_view rest = item;
    if (!TakeNumber(rest, m.width) || rest.empty() || (rest.front() != 'x' && rest.front() != 'X')) {
      error = "a monitor must be WxH+X+Y: \"" + shown + "\"";
      return false;
    }
    rest.remove_prefix(1);
    if (!TakeNumber(rest, m.height) || !TakeCoordinate(rest, m.x) || !TakeCoordinate(rest, m.y) || !rest.empty()) {
      error = "a monitor must be WxH+X+Y: \"" + shown + "\"";
      return false;
    }
    if (!IsAcceptableSize(m.width, m.height)) {
      error = "a monitor's width and height must be 1.." + std::to_string(kMaxSurfaceSide) + ": \"" + shown + "\"";
      return false;
    }
    monitors.push_back(m);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  out = std::move(monitors);
  return true;
}

}  // namespace sylvane
