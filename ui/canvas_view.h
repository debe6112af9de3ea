// The geometry of the canvas window, free of Win32: the zoom steps, the
// window picture (the zoomed canvas in its skinned frame), scrolling, finding
// the tree under the pointer, where a dropped tree is planted, collapsing the
// window, the name labels at the window's zoom and the strip of the tree
// description. The window itself (ui/canvas_window_win.h) only draws what is
// computed here.
//
// Coordinates: "picture" coordinates count from the top-left of the window
// picture; the canvas lies at (10, 30) in it. "Client" coordinates are those
// of the window's client area; they differ from picture coordinates by the
// scroll offset.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas/records/name_labels.h"
#include "canvas/image/surface.h"

namespace sylvane {

// ---------------------------------------------------------------------------
// Zoom

constexpr int kZoomStepCount = 10;  // 100 % down to 10 % in steps of 10
// The zoom factor of step 0..9: 1.0, 0.9, ... 0.1; any other step gives 1.0.
float ZoomFactor(int step);
// The step of the commands 40061 (100 %) ... 40070 (10 %), or -1.
int ZoomStepForCommand(int command);
// Texts of the zoom combo box ("100%" ... "10%") and the names combo box
// ("非表示", "表示", "ファイル名"), Shift-JIS.
const char* ZoomStepText(int step);
constexpr int kNamesChoiceCount = 3;
const char* NamesChoiceText(int choice);

struct PixelSize {
  int32_t width = 0;   // pixels
  int32_t height = 0;  // pixels
  bool operator==(const PixelSize&) const = default;
};

// The zoomed canvas: trunc(width x factor) by trunc(height x factor), the
// products in single precision (as the name labels compute them). A side that
// would be 0 becomes 1, so a tiny canvas at 10 % still has a picture.
PixelSize ScaledCanvasSize(int32_t width, int32_t height, float factor);

// ---------------------------------------------------------------------------
// Window picture

constexpr int32_t kCanvasLeft = 10;     // the canvas's left edge in the picture
constexpr int32_t kCanvasTop = 30;      // its top edge; the rows above hold the controls
constexpr int32_t kFrameExtraWidth = 20;
constexpr int32_t kFrameExtraHeight = 40;
// Size of the skin's frame pictures when they cannot be read (white).
constexpr int32_t kFallbackFrameWidth = 250;
constexpr int32_t kFallbackFrameHeight = 410;
// The picture seen without a canvas: 400 x 300 black.
constexpr int32_t kNoCanvasWidth = 400;
constexpr int32_t kNoCanvasHeight = 300;

// (scaled width + 20) x (scaled height + 40).
PixelSize WindowPictureSize(PixelSize scaled_canvas);

// Makes the white 250 x 410 frame pictures used when the skin has none.
void MakeFallbackFrame(Surface& composite, Surface& back);

// The whole window picture around a zoomed canvas, out re-created at
// WindowPictureSize(canvas) with headers refreshed:
//  - pixel (x, y) inside the back image's size comes from the composite (from
//    the back image where the composite is smaller), elsewhere from the back
//    image tiled (x mod its width, y mod its height); with no back image at
//    all the frame is white;
//  - the top row and left column are lightened, v -> trunc(v x 0.5 + 127.5);
//    the right column and bottom row darkened, v -> trunc(v x 0.5); the light
//    rule wins where they meet;
//  - the canvas is copied in at (10, 30).
// Returns false (out empty) when the picture would be too large.
bool ComposeWindowPicture(const Surface& composite, const Surface& back, const Surface& canvas, Surface& out);

// The window's outer size for a picture: the picture's size, reduced to the
// work area when it is larger (the scroll bars then reach the rest).
PixelSize FitWindowSize(PixelSize picture, PixelSize work_area);

// ---------------------------------------------------------------------------
// Scrolling: each bar runs over positions 0..100.

constexpr int kScrollMax = 100;
// Page of a bar: trunc(client x 101 / picture); 101 (nothing to scroll) for an
// empty picture.
int ScrollPage(int32_t client, int32_t picture);
// Where the client area's left (top) edge lies in the picture:
// min(trunc(position x picture / 101), picture - client) while the client is
// narrower than the picture, else 0.
int32_t ScrollOffset(int position, int32_t picture, int32_t client);

enum class ScrollRequest { kLineUp, kLineDown, kPageUp, kPageDown, kThumb, kOther };
// The position after a request: line -1 / +1, page -page / +page, thumb
// position and thumb tracking to the thumb, anything else no move; clamped to
// 0..(101 - page).
int ScrollPositionAfter(ScrollRequest request, int position, int page, int thumb);

// ---------------------------------------------------------------------------
// Pointing at trees

struct ViewPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ViewPoint&) const = default;
};

// A labelled tree's canvas position at the zoom: (trunc(x x f), trunc(y x f)).
ViewPoint ZoomedTreePoint(const LabelEntry& entry, float factor);
// True when the tree's zoomed point (X, Y) lies within 5 pixels of the
// pointer at picture point (mx, my): max(0, mx - 15) <= X < min(w', mx - 5)
// and max(0, my - 35) <= Y < min(h', my - 25).
bool TreeUnderPointer(ViewPoint zoomed, PixelSize scaled_canvas, int32_t mx, int32_t my);
// Indexes of the entries under the pointer, in list order.
std::vector<int> TreesUnderPointer(const std::vector<LabelEntry>& entries, float factor, PixelSize scaled_canvas,
                                   int32_t mx, int32_t my);

// The hover marker: a 12 x 12 circle centred on the tree's point, top-left
// (X + 4, Y + 24) in picture coordinates; 10 (30) on an axis where X - 6
// (Y - 6) is negative.
constexpr int32_t kMarkerSize = 12;
ViewPoint MarkerTopLeft(ViewPoint zoomed);
// Where the hovered tree's name is written in the top strip, and the strip.
constexpr int32_t kHoverNameX = 300;
constexpr int32_t kHoverNameY = 10;
constexpr int32_t kHoverNameHeight = 12;  // font height, pixels
constexpr int32_t kTopStripRows = 30;

// The canvas position of a drop at picture point (x, y):
// (trunc((x - 10) / f), trunc((y - 30) / f)), then held inside the canvas
// (0..width - 1, 0..height - 1) so that a drop on the frame plants at the
// nearest edge rather than wrapping to the far side.
ViewPoint DropPointToCanvas(int32_t x, int32_t y, float factor, int32_t canvas_width, int32_t canvas_height);

// ---------------------------------------------------------------------------
// Collapsing: a press in the 7 x 9 area at (232, 6) toggles between the
// collapsed strip and the whole window.

constexpr int32_t kCollapseToggleLeft = 232;
constexpr int32_t kCollapseToggleTop = 6;
constexpr int32_t kCollapseToggleWidth = 7;
constexpr int32_t kCollapseToggleHeight = 9;
constexpr int32_t kCollapsedWidth = 250;
constexpr int32_t kCollapsedHeight = 22;
bool InCollapseToggle(int32_t x, int32_t y);

struct WindowBox {
  int32_t left = 0;  // screen pixels
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const WindowBox&) const = default;
};
// The window at its new size: it keeps its left edge unless its right edge
// would pass the work area's width (then left = that width - new width), its
// top moves up when its bottom would pass the work area's height, and neither
// goes below 0.
WindowBox ResizedInWorkArea(int32_t left, int32_t top, PixelSize new_size, PixelSize work_area);

// ---------------------------------------------------------------------------
// Name labels at the window's zoom

struct LabelDraw {
  LabelPlacement place;  // picture coordinates
  std::string text;      // the caption: tree name (mode 1) or file name (mode 2)
};
// Every label of the list, in order, for display mode 1 or 2 (any other mode
// gives none). canvas_width is the unzoomed canvas width.
std::vector<LabelDraw> LayOutLabels(const std::vector<LabelEntry>& entries, int32_t canvas_width, float factor,
                                    int32_t font_height, int mode);

struct ClipBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;   // exclusive
  int32_t bottom = 0;  // exclusive
  bool operator==(const ClipBox&) const = default;
};
// Labels are clipped to the canvas area: (10, 30) to (width - 10, height - 10)
// of the window picture.
ClipBox LabelClip(PixelSize picture);

// The steps of a choice in the names combo box: always a rebuild without
// names (40032), then for choice 1 the tree names (40059), for choice 2 the
// file names (40084).
std::vector<int> NamesChoiceCommands(int choice);

// ---------------------------------------------------------------------------
// Tree description

// The growth type and origin shown in the description: "拡散型" (0), "上昇型"
// (1), "" otherwise; "変異種" for a mutant, else "原種" (Shift-JIS).
const char* GrowthTypeText(int kind);
const char* OriginText(int mutant);

// The part of the rendered canvas shown around a tree (copied to the dialog
// at (0, 100)): left max(0, x - client width / 2), top max(0, y - 100), width
// the client width or what is left of the canvas to the right, height 200 or
// what is left below.
struct StripRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const StripRect&) const = default;
};
constexpr int32_t kDescriptionStripTop = 100;
constexpr int32_t kDescriptionStripHeight = 200;
StripRect DescriptionStrip(int32_t tree_x, int32_t tree_y, int32_t client_width, PixelSize canvas);

}  // namespace sylvane
