// Tree name labels: every tree that draws its first flower (or, lacking
// flowers, its first leaf) gets a label, a short line from that spot on the
// canvas to a caption with the tree's name or its file name. The labels are
// kept in one list that belongs to the canvas and is saved with it; they are
// drawn only over the canvas window, never into the canvas picture.
//
// This header holds the list and the placement geometry; drawing with GDI is
// the canvas window's business.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/records/label_text.h"

namespace sylvane {

// One label; 532 bytes in the canvas file.
struct LabelEntry {
  LabelText name;         // the tree's name, "<name>_var" for a mutant (Shift-JIS, at most 259 bytes)
  uint8_t kind = 0;       // tree kind: 0 spreading, 1 rising
  uint8_t mutant = 0;     // 1 for a mutant
  int32_t x = 0;          // labelled spot, canvas pixels from the left
  int32_t y = 0;          // labelled spot, canvas pixels from the top
  LabelText file_name;    // the tree's file name (Shift-JIS, at most 259 bytes)
};

// Display modes of the list.
constexpr uint8_t kLabelsOff = 0;
constexpr uint8_t kLabelsNames = 1;
constexpr uint8_t kLabelsFileNames = 2;

// The list keeps at most this many labels: a garden that flowers for years
// would otherwise grow without end (each label is 532 bytes in the canvas
// file). When it is full the oldest label goes first; a canvas file with more
// labels loads its newest kMaxLabels.
constexpr int32_t kMaxLabels = 10000;

struct LabelList {
  std::vector<LabelEntry> entries;   // in the order the labels were added, oldest first; at most kMaxLabels
  int32_t text_colour = 0x00FFFFFF;  // COLORREF of lines and captions (white)
  int32_t font_height = 12;          // caption height, pixels
  uint8_t display_mode = kLabelsOff; // kLabelsOff, kLabelsNames or kLabelsFileNames

  int32_t count() const { return static_cast<int32_t>(entries.size()); }
  // Appends a copy of the entry (names clipped to 259 bytes); on a full list
  // the oldest entry is dropped first. The storage grows by doubling, up to
  // kMaxLabels entries. A text equal to one of the newest labels' shares its
  // string.
  void Add(const LabelEntry& entry);
  // Removes every entry; colour, font height and mode stay.
  void Clear();
  // A copy of the entries. The growth worker adds labels while the canvas
  // window may be drawing them: the window reads through this copy, which
  // is taken under the same lock as Add and Clear.
  std::vector<LabelEntry> Snapshot() const;
};

// The name shown for a tree: its name, or "<name>_var" for a mutant, clipped
// to 259 bytes.
std::string LabelDisplayName(const std::string& name, uint8_t mutant);

// Where one label goes in the canvas window, in client pixels (the canvas is
// shown at (10, 30)).
struct LabelPlacement {
  int anchor_x = 0;  // the labelled spot
  int anchor_y = 0;
  int end_x = 0;     // the end of the line
  int end_y = 0;
  int text_x = 0;    // top-left corner of the caption
  int text_y = 0;
};

// The placement of a label at zoom factor `zoom` on a canvas `canvas_width`
// pixels wide, with captions `font_height` pixels high. The line goes to the
// right by 10 zoomed pixels, or to the left by 190 when the caption would pass
// the canvas's right edge; upwards by 30 zoomed pixels, or downwards when there
// is no room above.
LabelPlacement PlaceLabel(const LabelEntry& entry, int canvas_width, float zoom, int font_height);

}  // namespace sylvane
