#include "canvas/records/name_labels.h"

#include <algorithm>
#include <mutex>

namespace sylvane {
namespace {
constexpr size_t kMaxText = 259;  // char[260] with its NUL

std::string Clip(const std::string& text) { return text.size() > kMaxText ? text.substr(0, kMaxText) : text; }

// One lock for every list: labels are added rarely (a tree's first flower),
// and a list stays copyable for loading and saving.
std::mutex& EntriesMutex() {
  static std::mutex* mutex = new std::mutex();  // lives until exit
  return *mutex;
}

// The newest labels looked at for a text to share: a tree's labels come
// close together, and a garden has few different names.
constexpr size_t kShareLookBack = 64;

// text clipped, sharing the string of an equal text among the newest entries.
LabelText Shared(const LabelText& text, const std::vector<LabelEntry>& entries, LabelText LabelEntry::*field) {
  const LabelText clipped = text.size() > kMaxText ? LabelText(text.str().substr(0, kMaxText)) : text;
  const size_t stop = entries.size() > kShareLookBack ? entries.size() - kShareLookBack : 0;
  for (size_t i = entries.size(); i-- > stop;)
    if (entries[i].*field == clipped) return entries[i].*field;
  return clipped;
}
}  // namespace

void LabelList::Add(const LabelEntry& entry) {
  LabelEntry copy = entry;
  std::lock_guard<std::mutex> lock(EntriesMutex());
  copy.name = Shared(copy.name, entries, &LabelEntry::name);
  copy.file_name = Shared(copy.file_name, entries, &LabelEntry::file_name);
  if (entries.size() >= size_t(kMaxLabels)) {
    // Full: the oldest labels make room (more than one only when the list
    // was filled past the limit by hand).
    entries.erase(entries.begin(), entries.begin() + std::ptrdiff_t(entries.size() - size_t(kMaxLabels) + 1));
  } else if (entries.size() == entries.capacity()) {
    // Doubling, so that a growing list is copied O(log n) times; never more
    // room than the limit needs.
    entries.reserve(std::min(std::max<size_t>(entries.capacity() * 2, 16), size_t(kMaxLabels)));
  }
  entries.push_back(std::move(copy));
}

void LabelList::Clear() {
  std::lock_guard<std::mutex> lock(EntriesMutex());
  entries.clear();
}

std::vector<LabelEntry> LabelList::Snapshot() const {
  std::lock_guard<std::mutex> lock(EntriesMutex());
  return entries;
}

std::string LabelDisplayName(const std::string& name, uint8_t mutant) {
  return Clip(mutant == 1 ? name + "_var" : name);
}

LabelPlacement PlaceLabel(const LabelEntry& entry, int canvas_width, float zoom, int font_height) {
  // The zoom factor is a float, so these products are single precision, each
  // truncated to whole pixels.
  const int scaled_width = static_cast<int>(static_cast<float>(canvas_width) * zoom);
  const int reach = static_cast<int>(10.0f * zoom);
  const int length = static_cast<int>(180.0f * zoom);
  const int rise = static_cast<int>(30.0f * zoom);
  const int half_text = static_cast<int>(15.0f * zoom);

  LabelPlacement p;
  p.anchor_x = static_cast<int>(static_cast<float>(entry.x) * zoom) + 10;
  p.anchor_y = static_cast<int>(static_cast<float>(entry.y) * zoom) + 30;
  if (scaled_width + 10 < p.anchor_x + reach + length) {
    p.end_x = p.anchor_x - length - reach;  // the caption would pass the right edge
  } else {
    p.end_x = p.anchor_x + reach;
  }
  if (p.anchor_y - half_text - rise - 30 >= 0) {
    p.end_y = p.anchor_y - rise;
  } else {
    p.end_y = p.anchor_y + rise;  // no room above
  }
  p.text_x = p.end_x;
  p.text_y = p.end_y - font_height / 2;
  return p;
}

}  // namespace sylvane
