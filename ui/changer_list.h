// The wallpaper changer's portable half: its list of picture paths (adding
// in sort order, removing, sorting, moving by drag), the list's storage as a
// ByteGrid of 260-byte rows in the settings, the window's collapse and
// docking geometry, and the OK step that turns the chosen picture into
// "other_wallpaper.bmp".
//
// Titles are the file names without their folder. Comparisons go through a
// TitleCompare so that the Windows program can compare in the user's locale;
// CompareTitlesIgnoringCase is the portable stand-in (ASCII letters folded,
// Shift-JIS characters compared as bytes).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "canvas/image/surface.h"
#include "base/grid.h"

namespace sylvane {

struct MInitInfo;

// Bytes of one row of the stored list: a NUL-terminated Shift-JIS path.
inline constexpr int kChangerPathBytes = 260;
// Dropped files beyond this many are ignored.
inline constexpr int kMaxDroppedFiles = 256;
// The picture the changer makes the wallpaper, in the program folder.
inline constexpr char kOtherWallpaperFile[] = "other_wallpaper.bmp";

// Sort orders (the second changer option).
enum ChangerSort : int { kChangerSortNone = 0, kChangerSortAscending = 1, kChangerSortDescending = 2 };

// Negative, zero or positive as a sorts before, with or after b.
using TitleCompare = std::function<int(std::string_view a, std::string_view b)>;

// Byte-wise comparison with ASCII letters folded to lower case; the trail
// byte of a Shift-JIS character is never folded.
int CompareTitlesIgnoringCase(std::string_view a, std::string_view b);

// "C:\pics\a.jpg" -> "a.jpg".
std::string ChangerTitle(std::string_view path);

// The index at which a new path goes: with sort order none at the end; in
// ascending order before the first item whose title compares greater than
// the new title; in descending order before the first item whose title
// compares smaller; at the end when there is no such item.
int ChangerInsertIndex(const std::vector<std::string>& paths, std::string_view path, int sort,
                       const TitleCompare& compare);

// Inserts path where ChangerInsertIndex says. Returns its index, or -1 (list
// unchanged) when the path is empty or does not fit a 260-byte row.
int ChangerAddPath(std::vector<std::string>& paths, std::string_view path, int sort, const TitleCompare& compare);

// Adds the first kMaxDroppedFiles of files, in the order given, each one for
// which readable() is true. Returns the index of the last one added, -1 when
// none was added.
int ChangerAddDropped(std::vector<std::string>& paths, const std::vector<std::string>& files, int sort,
                      const TitleCompare& compare, const std::function<bool(const std::string&)>& readable);

// True when path can be read as a picture (PNG, BMP or JPEG by the same
// rules as the picture loader), without any message. Dropped files are
// checked with it.
bool IsReadablePictureQuietly(const std::string& path);
// Reads a picture without any message; false (out unchanged) when it cannot be read.
bool ReadPictureQuietly(const std::string& path, Surface& out);
// The changer's small picture of a file: the picture nearest-scaled to
// w x h, or black when it cannot be read (no message). False when it was
// not read.
bool LoadChangerPreview(const std::string& path, Surface& preview, int w, int h);

// Removes the item at index (later items move up). Returns the index to
// select afterwards: the same index when an item is there, else -1. An index
// outside the list changes nothing and returns -1.
int ChangerRemoveAt(std::vector<std::string>& paths, int index);

// Exchange sort by title over the whole list: for each position i from the
// first to the second last and every later j, ascending exchanges the two
// when title i compares greater than title j, descending when it compares
// smaller; sort order none leaves the list. `follow`, when given, is an
// index that is updated to where its item ended up.
void ChangerSortPaths(std::vector<std::string>& paths, int sort, const TitleCompare& compare, int* follow = nullptr);

// A dragged item dropped on another: the item at `from` is taken out and
// inserted at `to`. False (nothing changes) when either index is outside the
// list.
bool ChangerMovePath(std::vector<std::string>& paths, int from, int to);

// The stored form: one row of kChangerPathBytes per path, NUL-padded; an
// empty list is an empty grid (no columns, no rows).
ByteGrid ChangerPathsToGrid(const std::vector<std::string>& paths);
// Reads the rows back: each row up to its first NUL (or its full width);
// rows that hold no path are skipped.
std::vector<std::string> ChangerPathsFromGrid(const ByteGrid& grid);

// ---------------------------------------------------------------------------
// Window geometry (screen pixels).

// Height of the collapsed changer (its title strip).
inline constexpr int kChangerCollapsedHeight = 22;
// The collapse area in the window: 7 x 9 pixels at (232, 6).
inline constexpr int kChangerCollapseLeft = 232;
inline constexpr int kChangerCollapseTop = 6;
inline constexpr int kChangerCollapseWidth = 7;
inline constexpr int kChangerCollapseHeight = 9;

// Changer window states (the open flag).
enum ChangerState : int { kChangerClosed = 0, kChangerOpen = 1, kChangerCollapsed = 2 };
// The docked flag (the changer display option).
inline constexpr int kChangerFree = 0;
inline constexpr int kChangerDocked = 2;

// True when the client point (x, y) lies in the collapse area.
bool InChangerCollapseArea(int x, int y);

struct ChangerPlace {
  int left = 0, top = 0, width = 0, height = 0;  // screen pixels
  int state = kChangerOpen;                       // kChangerOpen or kChangerCollapsed
};

// The collapse toggle: an open changer collapses to full_width x 22, a
// collapsed one opens to full_width x full_height. The left edge stays unless
// the window would pass the work area's right edge (then work width - width);
// the top moves up when the bottom would pass the work area; neither goes
// below 0.
ChangerPlace ToggleChangerCollapse(int state, int left, int top, int full_width, int full_height, int work_width,
                                   int work_height);

struct ChangerDragInput {
  int pointer_x = 0, pointer_y = 0;  // pointer now
  int offset_x = 0, offset_y = 0;    // pointer minus the changer's left and top when the drag began
  int width = 0;                     // the changer's width
  bool has_main = false;             // the main window is there to dock to
  int main_left = 0, main_right = 0, main_bottom = 0;  // the main window when the drag began
};

struct ChangerDragResult {
  int left = 0, top = 0;
  int docked = kChangerFree;
};

// One step of dragging the changer: its would-be top is pointer y - offset y.
// Within 9 pixels of the main window's bottom (|difference| < 10), with the
// two overlapping horizontally, the changer's top sits on the main window's
// bottom, its left on the main window's left when within 9 pixels of it, and
// it is docked; otherwise it follows the pointer and is free.
ChangerDragResult ChangerDragStep(const ChangerDragInput& in);

// ---------------------------------------------------------------------------
// OK.

// Outcomes of ApplyChangerChoice.
constexpr int kChangerUseGarden = 0;     // the garden: the caller makes the garden wallpaper (40005)
constexpr int kChangerUsePicture = 1;    // wallpaper_path holds the written picture, style its style string
constexpr int kChangerNoSelection = -1;  // nothing selected: only the flag and display mode changed
constexpr int kChangerUnreadable = -2;   // the picture could not be read (the reader's message was shown)
constexpr int kChangerWriteFailed = -3;  // "other_wallpaper.bmp" could not be written (message shown)

struct ChangerChoice {
  bool garden = true;         // radio 1131 (the garden) is checked
  int display_mode = 0;       // combo 1041: 0 centre, 1 tile, 2 stretch; negative keeps the stored mode
  std::string selected_path;  // the selected item's path; empty when none
};

struct ChangerApplied {
  std::string wallpaper_path;  // full path of "other_wallpaper.bmp"
  std::string style;           // "0", "1" or "2"
};

// Stores the choice in settings (use-other-wallpaper flag, display mode) and,
// for a picture, reads it and writes it as "other_wallpaper.bmp" in
// program_folder. The caller sets the wallpaper (kChangerUsePicture) or sends
// 40005 (kChangerUseGarden).
int ApplyChangerChoice(MInitInfo& settings, const ChangerChoice& choice, const std::string& program_folder,
                       ChangerApplied& out);

}  // namespace sylvane
