// The canvas window's own state and the drawing that two of its files share:
// the window file (messages, scrolling, clicks, drops) and the overlay file
// (name labels, breeding marks, the hovered tree). Only those two include it.
#pragma once

#include <windows.h>

#include <string>

#include "canvas/image/surface_win.h"
#include "canvas/records/name_labels.h"
#include "paint/canvas.h"
#include "platform/handles_win.h"
#include "ui/breed_marks.h"
#include "ui/canvas_view.h"

namespace sylvane::canvas_window {

// The label list's display options (the worker never touches them); the
// entries are read through LabelList::Snapshot.
LabelList& Labels();

inline constexpr uint8_t kStateClosed = 0;
inline constexpr uint8_t kStateOpen = 1;
inline constexpr uint8_t kStateCollapsed = 2;

inline constexpr COLORREF kMarkerColour = RGB(255, 0, 0);
// The circles of the trees marked for breeding: first parent blue, second
// yellow, both apart from the red of the hovered tree.
inline constexpr COLORREF kMarkColours[2] = {RGB(0, 64, 255), RGB(255, 208, 0)};
inline constexpr int kMarkerPenWidth = 2;
// The wide pen reaches one pixel past the marker's square.
inline constexpr int kMarkerMargin = 2;
inline constexpr int kNamesDropWidth = 96;  // pixels: the names list shows "ファイル名" whole

// Everything the window holds, attached to it at WM_INITDIALOG.
struct CanvasWindow {
  HWND window = nullptr;
  HWND main = nullptr;
  float factor = 1.0f;                     // zoom factor in use
  PixelSize canvas{kNoCanvasWidth, kNoCanvasHeight};  // canvas shown, unzoomed pixels
  PixelSize scaled;                        // canvas shown, zoomed pixels
  Surface picture;                         // the window picture (frame and zoomed canvas)
  SurfaceDC picture_dc;                    // memory copy of it, with labels and the hovered name
  Surface frame_composite;                 // skin: normal over back
  Surface frame_back;                      // skin: back image alone
  int hpos = 0;                            // scroll positions 0..100
  int vpos = 0;
  bool marker_shown = false;               // the red circle of the hovered tree
  ViewPoint marker;                        // its top-left, picture pixels
  gdi::Brush control_brush;                // CTRL_BG_COLOR behind the combo boxes
  COLORREF control_colour = RGB(255, 255, 255);
  bool placed = false;                     // it has been on screen this session
  bool dragging = false;                   // the window follows the pointer
  bool moved = false;                      // it did move during this press
  POINT last_cursor{};                     // screen pixels: at the press, then where the window last followed
  bool ctrl_press = false;                 // Ctrl was held when the button went down
  BreedMarks marks;                        // the trees marked for breeding
};

// View helpers (the window file).
PixelSize PictureSize(const CanvasWindow& w);
// The picture pixel shown at the client area's top-left corner.
POINT ScrollOrigin(const CanvasWindow& w);
POINT ClientToPicture(const CanvasWindow& w, int x, int y);
void Repaint(const CanvasWindow& w);
// Invalidates a rectangle given in picture pixels.
void InvalidatePictureRect(const CanvasWindow& w, int left, int top, int right, int bottom);

// Overlays (the overlay file).
void ShowNamesModeInCombo(const CanvasWindow& w, int mode);
void PaintMarks(CanvasWindow& w);
void DrawLabels(CanvasWindow& w, int mode);
void RedrawOverlays(CanvasWindow& w);
void OnHover(CanvasWindow& w, int x, int y);

}  // namespace sylvane::canvas_window
