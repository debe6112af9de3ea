// The canvas window's overlays on its memory picture: the name labels, the
// circles of the trees marked for breeding, and the hovered tree's marker
// and name.
#include <algorithm>
#include <string>
#include <vector>

#include "res/canvaswin_resource.h"
#include "ui/canvas_window_state_win.h"
#include "ui/canvas_window_win.h"

namespace sylvane::canvas_window {

// The names combo box shows what the picture shows, also when the names were
// switched by a command rather than by the combo box.
void ShowNamesModeInCombo(const CanvasWindow& w, int mode) {
  if (mode < 0 || mode >= kNamesChoiceCount) return;
  SendDlgItemMessageA(w.window, CW_IDC_NAMES, CB_SETCURSEL, WPARAM(mode), 0);
}

// Draws the circles of the trees marked for breeding onto the memory
// picture, so that every repaint shows them until the picture is rebuilt.
// The number of marks is also a property of the window, for tools that
// watch the program from outside (the end-to-end tests).
void PaintMarks(CanvasWindow& w) {
  SetPropA(w.window, kBreedMarksProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(w.marks.count())));
  HDC dc = w.picture_dc.dc();
  if (!dc || !w.picture_dc.bitmap_made()) return;
  gdi::Selection brush_in(dc, GetStockObject(HOLLOW_BRUSH));
  for (const MarkDraw& m : LayOutMarks(w.marks, w.factor)) {
    gdi::Pen pen(CreatePen(PS_SOLID, kMarkerPenWidth, kMarkColours[m.which]));
    gdi::Selection pen_in(dc, pen.get());
    Ellipse(dc, m.top_left.x, m.top_left.y, m.top_left.x + kMarkerSize, m.top_left.y + kMarkerSize);
  }
}

// Writes the name labels (mode 1 tree names, 2 file names) onto the memory
// picture, the breeding marks over them, and shows them; the list's display
// mode becomes mode.
void DrawLabels(CanvasWindow& w, int mode) {
  LabelList& list = Labels();
  const std::vector<LabelEntry> entries = list.Snapshot();
  HDC dc = w.picture_dc.dc();
  if (dc && w.picture_dc.bitmap_made()) {
    const std::vector<LabelDraw> draws = LayOutLabels(entries, w.canvas.width, w.factor, list.font_height, mode);
    const COLORREF colour = COLORREF(list.text_colour) & 0x00FFFFFF;
    gdi::Font font(gdi::CreatePanelFont(list.font_height));
    gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
    const ClipBox clip = LabelClip(PictureSize(w));
    gdi::Object<HRGN> region(CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom));
    {
      gdi::Selection font_in(dc, font.get());
      gdi::Selection pen_in(dc, pen.get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, colour);
      SelectClipRgn(dc, region.get());
      for (const LabelDraw& d : draws) {
        MoveToEx(dc, d.place.anchor_x, d.place.anchor_y, nullptr);
        LineTo(dc, d.place.end_x, d.place.end_y);
        TextOutA(dc, d.place.text_x, d.place.text_y, d.text.data(), int(d.text.size()));
      }
      SelectClipRgn(dc, nullptr);
    }
  }
  PaintMarks(w);
  list.display_mode = uint8_t(mode);
  ShowNamesModeInCombo(w, mode);
  w.marker_shown = false;
  Repaint(w);
}

// The top 30 rows of the memory picture as the window picture has them (the
// hovered name written there before is gone).
static void RestoreTopStrip(CanvasWindow& w) {
  HDC dc = w.picture_dc.dc();
  if (!dc || w.picture.empty()) return;
  const int rows = std::min<int>(kTopStripRows, w.picture.height);
  BITMAPINFO bi = SurfaceBitmapInfo(w.picture);
  // A bottom-up picture's source rows count from its bottom: the top rows
  // start at height - rows.
  SetDIBitsToDevice(dc, 0, 0, DWORD(w.picture.width), DWORD(rows), 0, w.picture.height - rows, 0,
                    UINT(w.picture.height), w.picture.pixels.data(), &bi, DIB_RGB_COLORS);
}

// The memory picture as the window picture has it, then the labels (when
// the list shows them) and the marks again: after a mark changed.
void RedrawOverlays(CanvasWindow& w) {
  HDC dc = w.picture_dc.dc();
  if (dc && !w.picture.empty()) {
    BITMAPINFO bi = SurfaceBitmapInfo(w.picture);
    SetDIBitsToDevice(dc, 0, 0, DWORD(w.picture.width), DWORD(w.picture.height), 0, 0, 0,
                      UINT(w.picture.height), w.picture.pixels.data(), &bi, DIB_RGB_COLORS);
  }
  const int mode = Labels().display_mode;
  if (mode == kLabelsNames || mode == kLabelsFileNames) {
    DrawLabels(w, mode);
    return;
  }
  PaintMarks(w);
  w.marker_shown = false;
  Repaint(w);
}

static void ShowHoveredName(CanvasWindow& w, const std::string& name) {
  RestoreTopStrip(w);
  HDC dc = w.picture_dc.dc();
  if (dc) {
    gdi::Font font(gdi::CreatePanelFont(kHoverNameHeight));
    gdi::Selection font_in(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, kHoverNameX, kHoverNameY, name.data(), int(name.size()));
  }
  InvalidatePictureRect(w, kHoverNameX, kHoverNameY, w.picture.width, kTopStripRows);
}

static void DrawMarker(CanvasWindow& w, ViewPoint top_left) {
  const POINT o = ScrollOrigin(w);
  gdi::WindowDc dc(w.window);
  if (!dc) return;
  gdi::Pen pen(CreatePen(PS_SOLID, kMarkerPenWidth, kMarkerColour));
  gdi::Selection pen_in(dc.get(), pen.get());
  gdi::Selection brush_in(dc.get(), GetStockObject(HOLLOW_BRUSH));
  const int left = top_left.x - o.x;
  const int top = top_left.y - o.y;
  Ellipse(dc.get(), left, top, left + kMarkerSize, top + kMarkerSize);
}

static void HideMarker(CanvasWindow& w) {
  if (!w.marker_shown) return;
  InvalidatePictureRect(w, w.marker.x - kMarkerMargin, w.marker.y - kMarkerMargin,
                        w.marker.x + kMarkerSize + kMarkerMargin, w.marker.y + kMarkerSize + kMarkerMargin);
  w.marker_shown = false;
}

void OnHover(CanvasWindow& w, int x, int y) {
  if (w.picture.empty()) return;
  const POINT p = ClientToPicture(w, x, y);
  const std::vector<LabelEntry> entries = Labels().Snapshot();
  const std::vector<int> hits = TreesUnderPointer(entries, w.factor, w.scaled, p.x, p.y);
  if (hits.empty()) {
    HideMarker(w);
    UpdateWindow(w.window);
    return;
  }
  for (int i : hits) {
    const LabelEntry& e = entries[size_t(i)];
    if (!w.marker_shown) {
      w.marker = MarkerTopLeft(ZoomedTreePoint(e, w.factor));
      DrawMarker(w, w.marker);
      w.marker_shown = true;
    }
    ShowHoveredName(w, e.name);
  }
  UpdateWindow(w.window);
}

}  // namespace sylvane::canvas_window
