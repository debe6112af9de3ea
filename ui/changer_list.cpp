#include "ui/changer_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "canvas/image/image_io.h"
#include "canvas/image/resample.h"
#include "canvas/records/settings.h"
#include "canvas/wallpaper_style.h"
#include "platform/text.h"

namespace sylvane {

int CompareTitlesIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  bool trail = false;  // the byte at i is the second byte of a Shift-JIS character in both
  for (; i < a.size() && i < b.size(); ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (!trail) {
      if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
      if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    // Equal bytes so far: both strings are at the same place of a character.
    trail = !trail && IsSjisLeadByte(ca);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string ChangerTitle(std::string_view path) { return FileNamePart(path); }

int ChangerInsertIndex(const std::vector<std::string>& paths, std::string_view path, int sort,
                       const TitleCompare& compare) {
  const int count = static_cast<int>(paths.size());
  if (sort != kChangerSortAscending && sort != kChangerSortDescending) return count;
  const std::string title = ChangerTitle(path);
  for (int i = 0; i < count; ++i) {
    const int c = compare(ChangerTitle(paths[size_t(i)]), title);
    if (sort == kChangerSortAscending ? c > 0 : c < 0) return i;
  }
  return count;
}

int ChangerAddPath(std::vector<std::string>& paths, std::string_view path, int sort, const TitleCompare& compare) {
  // A row holds the path and its terminating NUL.
  if (path.empty() || path.size() >= size_t(kChangerPathBytes)) return -1;
  if (path.find('\0') != std::string_view::npos) return -1;
  const int index = ChangerInsertIndex(paths, path, sort, compare);
  paths.insert(paths.begin() + index, std::string(path));
  return index;
}

int ChangerAddDropped(std::vector<std::string>& paths, const std::vector<std::string>& files, int sort,
                      const TitleCompare& compare, const std::function<bool(const std::string&)>& readable) {
  int last = -1;
  const size_t used = std::min(files.size(), size_t(kMaxDroppedFiles));
  for (size_t i = 0; i < used; ++i) {
    if (!readable(files[i])) continue;
    const int index = ChangerAddPath(paths, files[i], sort, compare);
    if (index >= 0) last = index;
  }
  return last;
}

bool ReadPictureQuietly(const std::string& path, Surface& out) {
  const ImageType type = DetectImageType(path);
  if (type == ImageType::kUnknown) return false;
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(path, bytes) != ReadFileStatus::kOk) return false;
  Surface picture;
  bool ok = false;
  switch (type) {
    case ImageType::kPng:
      ok = DecodePng(bytes.data(), bytes.size(), picture, nullptr, false) == kPngOk;
      break;
    case ImageType::kBmp:
      ok = DecodeBmp(bytes.data(), bytes.size(), picture, false) >= 0;
      break;
    case ImageType::kJpeg:
      ok = DecodeJpeg(bytes.data(), bytes.size(), picture, false) == 0;
      break;
    case ImageType::kUnknown:
      break;
  }
  if (!ok || picture.empty()) return false;
  out = std::move(picture);
  return true;
}

bool IsReadablePictureQuietly(const std::string& path) {
  Surface picture;
  return ReadPictureQuietly(path, picture);
}

bool LoadChangerPreview(const std::string& path, Surface& preview, int w, int h) {
  Surface picture;
  const bool read = ReadPictureQuietly(path, picture);
  if (!read || NearestScale(picture, preview, w, h) != 0) {
    preview.CreateFilled(w, h, 0);
    preview.RefreshHeaders();
  }
  return read;
}

int ChangerRemoveAt(std::vector<std::string>& paths, int index) {
  if (index < 0 || index >= static_cast<int>(paths.size())) return -1;
  paths.erase(paths.begin() + index);
  return index < static_cast<int>(paths.size()) ? index : -1;
}

void ChangerSortPaths(std::vector<std::string>& paths, int sort, const TitleCompare& compare, int* follow) {
  if (sort != kChangerSortAscending && sort != kChangerSortDescending) return;
  const int count = static_cast<int>(paths.size());
  for (int i = 0; i + 1 < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      const int c = compare(ChangerTitle(paths[size_t(i)]), ChangerTitle(paths[size_t(j)]));
      if (sort == kChangerSortAscending ? c > 0 : c < 0) {
        std::swap(paths[size_t(i)], paths[size_t(j)]);
        if (follow) {
          if (*follow == i)
            *follow = j;
          else if (*follow == j)
            *follow = i;
        }
      }
    }
  }
}

bool ChangerMovePath(std::vector<std::string>& paths, int from, int to) {
  const int count = static_cast<int>(paths.size());
  if (from < 0 || from >= count || to < 0 || to >= count) return false;
  std::string moved = std::move(paths[size_t(from)]);
  paths.erase(paths.begin() + from);
  paths.insert(paths.begin() + to, std::move(moved));
  return true;
}

ByteGrid ChangerPathsToGrid(const std::vector<std::string>& paths) {
  ByteGrid grid;
  if (paths.empty()) return grid;
  if (!grid.AllocateFilled(kChangerPathBytes, static_cast<int32_t>(paths.size()), 0)) return ByteGrid{};
  for (size_t r = 0; r < paths.size(); ++r) {
    const std::string& p = paths[r];
    const size_t n = std::min(p.size(), size_t(kChangerPathBytes - 1));
    std::memcpy(grid.Row(static_cast<int32_t>(r)), p.data(), n);
  }
  return grid;
}

std::vector<std::string> ChangerPathsFromGrid(const ByteGrid& grid) {
  std::vector<std::string> paths;
  if (grid.empty() || grid.columns <= 0 || grid.rows <= 0) return paths;
  for (int32_t r = 0; r < grid.rows; ++r) {
    const char* row = reinterpret_cast<const char*>(grid.Row(r));
    const size_t width = static_cast<size_t>(grid.columns);
    const void* nul = std::memchr(row, 0, width);
    const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - row) : width;
    if (n == 0) continue;
    // A row without its NUL (a damaged file) keeps what fits a path.
    paths.emplace_back(row, std::min(n, size_t(kChangerPathBytes - 1)));
  }
  return paths;
}

// ---------------------------------------------------------------------------

bool InChangerCollapseArea(int x, int y) {
  return x >= kChangerCollapseLeft && x < kChangerCollapseLeft + kChangerCollapseWidth && y >= kChangerCollapseTop &&
         y < kChangerCollapseTop + kChangerCollapseHeight;
}

ChangerPlace ToggleChangerCollapse(int state, int left, int top, int full_width, int full_height, int work_width,
                                   int work_height) {
  ChangerPlace p;
  p.width = full_width;
  if (state == kChangerCollapsed) {
    p.state = kChangerOpen;
    p.height = full_height;
  } else {
    p.state = kChangerCollapsed;
    p.height = kChangerCollapsedHeight;
  }
  p.left = left + p.width > work_width ? work_width - p.width : left;
  p.top = top + p.height > work_height ? work_height - p.height : top;
  p.left = std::max(0, p.left);
  p.top = std::max(0, p.top);
  return p;
}

ChangerDragResult ChangerDragStep(const ChangerDragInput& in) {
  ChangerDragResult r;
  r.left = in.pointer_x - in.offset_x;
  r.top = in.pointer_y - in.offset_y;
  if (!in.has_main) return r;
  const bool near_bottom = std::abs(r.top - in.main_bottom) < 10;
  const bool overlap = r.left < in.main_right && in.main_left < r.left + in.width;
  if (near_bottom && overlap) {
    r.top = in.main_bottom;
    if (std::abs(r.left - in.main_left) <= 9) r.left = in.main_left;
    r.docked = kChangerDocked;
  }
  return r;
}

// ---------------------------------------------------------------------------

int ApplyChangerChoice(MInitInfo& settings, const ChangerChoice& choice, const std::string& program_folder,
                       ChangerApplied& out) {
  if (choice.garden) {
    settings.changer_active = 0;
    return kChangerUseGarden;
  }
  settings.changer_active = 1;
  if (choice.display_mode >= 0) settings.changer_mode = static_cast<uint8_t>(choice.display_mode);
  if (choice.selected_path.empty()) return kChangerNoSelection;
  Surface picture;
  if (LoadImage(choice.selected_path, picture, true) != 0) return kChangerUnreadable;
  const std::string target = JoinPath(program_folder, kOtherWallpaperFile);
  // A picture that could not be written must not leave the desktop showing an
  // older "other_wallpaper.bmp" as if it were the chosen one.
  if (WriteBmp(target, picture) != 0) return kChangerWriteFailed;
  out.wallpaper_path = target;
  out.style = ChangerStyleString(settings.changer_mode);
  return kChangerUsePicture;
}

}  // namespace sylvane
