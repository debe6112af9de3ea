// The canvas window: message handling, the picture it shows, scrolling,
// clicking, dragging, collapsing, dropped tree files and the two trees marked
// for breeding. The overlays (labels, marks, the hovered tree) live in
// canvas_window_overlays_win.cpp, the geometry in ui/canvas_view.h, the
// marks' bookkeeping in ui/breed_marks.h.
#include "ui/canvas_window_win.h"
#include "ui/canvas_window_state_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canvas/garden_engine.h"
#include "ui/app_services_win.h"
#include "ui/breed_marks.h"
#include "ui/canvas_dialogs_win.h"
#include "canvas/records/name_labels.h"
#include "canvas/image/resample.h"
#include "canvas/records/settings.h"
#include "canvas/image/surface_win.h"
#include "paint/canvas.h"
#include "platform/platform.h"
#include "res/canvaswin_resource.h"
#include "trees/planting.h"
#include "trees/tree.h"
#include "ui/canvas_view.h"
#include "platform/handles_win.h"
#include "ui/dpi_win.h"
#include "ui/skin_win.h"
#include "ui/tree_description_win.h"
#include "ui/window_placement.h"
#include "res/commands.h"

namespace sylvane {
namespace canvas_window {

// The label list's display options (the worker never touches them); the
// entries are read through LabelList::Snapshot.
LabelList& Labels() { return Services().engine->Unguarded().labels; }

PixelSize PictureSize(const CanvasWindow& w) { return PixelSize{w.picture.width, w.picture.height}; }

static PixelSize ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return PixelSize{r.right - r.left, r.bottom - r.top};
}

static bool Collapsed() { return Settings().canvas_window_state == kStateCollapsed; }

// The picture pixel shown at the client area's top-left corner.
POINT ScrollOrigin(const CanvasWindow& w) {
  if (Collapsed()) return POINT{0, 0};
  const PixelSize client = ClientSize(w.window);
  return POINT{ScrollOffset(w.hpos, w.picture.width, client.width),
               ScrollOffset(w.vpos, w.picture.height, client.height)};
}

POINT ClientToPicture(const CanvasWindow& w, int x, int y) {
  const POINT o = ScrollOrigin(w);
  return POINT{x + o.x, y + o.y};
}

void Repaint(const CanvasWindow& w) {
  InvalidateRect(w.window, nullptr, FALSE);
  UpdateWindow(w.window);
}

// Invalidates a rectangle given in picture pixels.
void InvalidatePictureRect(const CanvasWindow& w, int left, int top, int right, int bottom) {
  const POINT o = ScrollOrigin(w);
  RECT r{left - o.x, top - o.y, right - o.x, bottom - o.y};
  InvalidateRect(w.window, &r, FALSE);
}

}  // namespace canvas_window

namespace {

using namespace canvas_window;

HWND g_handle = nullptr;

CanvasWindow* StateOf(HWND window) {
  return reinterpret_cast<CanvasWindow*>(GetWindowLongPtrA(window, DWLP_USER));
}

PixelSize WorkArea() {
  RECT r{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return PixelSize{};
  return PixelSize{r.right, r.bottom};
}

// The work area of the monitor the window is on.
ScreenBox WorkBox(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) return ScreenBox{0, 0, 1, 1};
  const RECT& r = info.rcWork;
  return ScreenBox{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

ScreenBox BoxOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return ScreenBox{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Sizes the shown window to width x height within the work area of its
// monitor, never over the taskbar. The first time it is shown without a
// stored position (the settings' reset 0, 0) it opens beside the main window.
void PlaceOnScreen(CanvasWindow& w, int32_t width, int32_t height) {
  const ScreenBox work = WorkBox(w.window);
  const WindowRect& stored = Settings().canvas_window;
  ScreenBox box = BoxOf(w.window);
  if (!w.placed && stored.x == 0 && stored.y == 0 && w.main) {
    box = PlaceBeside(BoxOf(w.main), width, height, work);
  } else {
    box.width = width;
    box.height = height;
    box = KeepInside(box, work);
  }
  w.placed = true;
  SetWindowPos(w.window, nullptr, box.left, box.top, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Scroll bars

void SetBar(HWND window, int bar, int page, int position, bool shown) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = shown ? kScrollMax : 0;
  si.nPage = UINT(shown ? page : 0);
  si.nPos = shown ? position : 0;
  SetScrollInfo(window, bar, &si, TRUE);
  if (!shown) ShowScrollBar(window, bar, FALSE);
}

// The bars follow the client size: each page is the visible share of the
// picture; a bar whose page covers the whole range disappears. The collapsed
// strip has none.
void UpdateScrollBars(CanvasWindow& w) {
  const PixelSize picture = PictureSize(w);
  const PixelSize client = ClientSize(w.window);
  const bool collapsed = Collapsed();
  const int hpage = ScrollPage(client.width, picture.width);
  const int vpage = ScrollPage(client.height, picture.height);
  w.hpos = ScrollPositionAfter(ScrollRequest::kOther, w.hpos, hpage, 0);
  w.vpos = ScrollPositionAfter(ScrollRequest::kOther, w.vpos, vpage, 0);
  SetBar(w.window, SB_HORZ, hpage, w.hpos, !collapsed && hpage <= kScrollMax);
  SetBar(w.window, SB_VERT, vpage, w.vpos, !collapsed && vpage <= kScrollMax);
}

ScrollRequest RequestOf(int code) {
  switch (code) {
    case SB_LINEUP:
      return ScrollRequest::kLineUp;
    case SB_LINEDOWN:
      return ScrollRequest::kLineDown;
    case SB_PAGEUP:
      return ScrollRequest::kPageUp;
    case SB_PAGEDOWN:
      return ScrollRequest::kPageDown;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      return ScrollRequest::kThumb;
    default:
      return ScrollRequest::kOther;
  }
}

// thumb: the thumb's position for SB_THUMBPOSITION and SB_THUMBTRACK (the
// range 0..100 fits the message's 16 bits).
void OnScroll(CanvasWindow& w, int bar, int code, int thumb) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_PAGE;
  if (!GetScrollInfo(w.window, bar, &si)) return;
  int& position = bar == SB_HORZ ? w.hpos : w.vpos;
  position = ScrollPositionAfter(RequestOf(code), position, int(si.nPage), thumb);
  SetScrollPos(w.window, bar, position, TRUE);
  w.marker_shown = false;
  Repaint(w);
}

// ---------------------------------------------------------------------------
// Building the picture

// Renders the canvas with the current lighting (a consistent copy while a
// growth pass runs), zooms it by factor, frames it and shows it; the window
// takes the picture's size (within the work area) unless it is collapsed.
// Names are written again when the list shows them.
void Rebuild(CanvasWindow& w, float factor) {
  w.factor = factor;
  Surface lit;
  if (!Services().render_lit(lit)) {
    lit.CreateFilled(kNoCanvasWidth, kNoCanvasHeight, 0);
    lit.RefreshHeaders();
  }
  w.canvas = PixelSize{lit.width, lit.height};
  w.scaled = ScaledCanvasSize(lit.width, lit.height, factor);
  Surface zoomed;
  if (SmoothShrink(lit, zoomed, w.scaled.width, w.scaled.height) != 0 &&
      NearestScale(lit, zoomed, w.scaled.width, w.scaled.height) != 0)
    return;
  Surface picture;
  if (!ComposeWindowPicture(w.frame_composite, w.frame_back, zoomed, picture)) return;
  w.picture = std::move(picture);
  w.marker_shown = false;
  ShowSurface(w.window, w.picture, w.picture_dc);
  if (!Collapsed()) {
    const PixelSize size = FitWindowSize(PictureSize(w), WorkArea());
    if (IsWindowVisible(w.window))
      PlaceOnScreen(w, size.width, size.height);
    else
      SetWindowPos(w.window, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UpdateScrollBars(w);
  // Marks of trees whose labels went with the previous canvas are dropped.
  DropStaleMarks(w.marks, Labels().Snapshot());
  const int mode = Labels().display_mode;
  ShowNamesModeInCombo(w, mode);
  if (mode == kLabelsNames || mode == kLabelsFileNames) {
    DrawLabels(w, mode);
  } else {
    PaintMarks(w);
    Repaint(w);
  }
}

// Loads the frame pictures of the skin's canvas-window image set: as the
// skin last read them, else from its folder, else from the default skin
// folder, else white.
void LoadFrame(CanvasWindow& w) {
  const Surface& read = SkinComposite(ImageSet::kCanvasWindow, 0);
  const Surface& read_back = SkinImageSetBack(ImageSet::kCanvasWindow);
  if (!read.empty() && !read_back.empty()) {
    w.frame_composite.CopyFrom(read);
    w.frame_back.CopyFrom(read_back);
    return;
  }
  const ImageSetFiles files = ImageSetFileNames(ImageSet::kCanvasWindow);
  const std::string folders[2] = {SkinImageSetFolder(ImageSet::kCanvasWindow),
                                  DefaultSkinFolder(GetPlatform().ProgramFolder())};
  for (const std::string& folder : folders) {
    Surface composite;
    Surface back;
    if (LoadSkinComposite(folder, files.normal, files.back, composite) == 0 &&
        LoadSkinImage(folder, files.back, back, nullptr) == 0) {
      w.frame_composite = std::move(composite);
      w.frame_back = std::move(back);
      return;
    }
  }
  MakeFallbackFrame(w.frame_composite, w.frame_back);
}

void OnSkinReload(CanvasWindow& w) {
  LoadFrame(w);
  Rebuild(w, ZoomFactor(Settings().canvas_zoom_step));
  w.control_colour = COLORREF(CurrentSkinLayout().canvas_ctrl_bg_color) & 0x00FFFFFF;
  w.control_brush.reset(CreateSolidBrush(w.control_colour));
  InvalidateRect(GetDlgItem(w.window, CW_IDC_ZOOM), nullptr, TRUE);
  InvalidateRect(GetDlgItem(w.window, CW_IDC_NAMES), nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Commands

void SendSelf(const CanvasWindow& w, int command) {
  SendMessageA(w.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void OnZoomChosen(CanvasWindow& w) {
  const int step = int(SendDlgItemMessageA(w.window, CW_IDC_ZOOM, CB_GETCURSEL, 0, 0));
  if (step < 0) return;
  Settings().canvas_zoom_step = uint8_t(step);
  Rebuild(w, ZoomFactor(step));
}

void OnNamesChosen(CanvasWindow& w) {
  const int choice = int(SendDlgItemMessageA(w.window, CW_IDC_NAMES, CB_GETCURSEL, 0, 0));
  if (choice < 0) return;
  Settings().canvas_names = uint8_t(choice);
  Labels().display_mode = kLabelsOff;
  for (int command : NamesChoiceCommands(choice)) SendSelf(w, command);
}

void OnZoomCommand(CanvasWindow& w, int step) {
  Settings().canvas_zoom_step = uint8_t(step);
  SendDlgItemMessageA(w.window, CW_IDC_ZOOM, CB_SETCURSEL, WPARAM(step), 0);
  Rebuild(w, ZoomFactor(step));
}

void OnToggleNames(CanvasWindow& w) {
  LabelList& list = Labels();
  if (list.display_mode != kLabelsOff) {
    list.display_mode = kLabelsOff;
    ShowNamesModeInCombo(w, kLabelsOff);
    Rebuild(w, w.factor);
  } else {
    SendSelf(w, CMD_NAMES_TO_CANVAS_WINDOW);
  }
}

void OnHide(CanvasWindow& w) {
  Settings().canvas_window_state = kStateClosed;
  ShowWindow(w.window, SW_HIDE);
}

void OnCommand(CanvasWindow& w, int id, int code) {
  if (id == CW_IDC_ZOOM) {
    if (code == CBN_SELCHANGE) OnZoomChosen(w);
    return;
  }
  if (id == CW_IDC_NAMES) {
    if (code == CBN_SELCHANGE) OnNamesChosen(w);
    return;
  }
  const int zoom_step = ZoomStepForCommand(id);
  if (zoom_step >= 0) {
    OnZoomCommand(w, zoom_step);
    return;
  }
  switch (id) {
    case CMD_EXIT:
    case IDCANCEL:  // Escape, or closed from the keyboard: hidden like the close button
      OnHide(w);
      break;
    case CMD_REFRESH_CANVAS_WINDOW:
      Rebuild(w, w.factor);
      break;
    case CMD_NAMES_TO_CANVAS_WINDOW:
      DrawLabels(w, kLabelsNames);
      break;
    case CMD_FILE_NAMES_TO_CANVAS_WINDOW:
      DrawLabels(w, kLabelsFileNames);
      break;
    case CMD_CW_TOGGLE_NAMES:
      OnToggleNames(w);
      break;
    case CMD_LAYOUT_CANVAS_WINDOW:
      OnSkinReload(w);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Mouse

void ToggleCollapse(CanvasWindow& w) {
  MInitInfo& s = Settings();
  PixelSize size;
  if (s.canvas_window_state == kStateCollapsed) {
    s.canvas_window_state = kStateOpen;
    size = FitWindowSize(PictureSize(w), WorkArea());
  } else {
    s.canvas_window_state = kStateCollapsed;
    size = PixelSize{kCollapsedWidth, kCollapsedHeight};
  }
  RECT r{};
  GetWindowRect(w.window, &r);
  const WindowBox box = ResizedInWorkArea(r.left, r.top, size, WorkArea());
  SetWindowPos(w.window, nullptr, box.left, box.top, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateScrollBars(w);
  Repaint(w);
}

void OnLButtonDown(CanvasWindow& w, int x, int y, WPARAM keys) {
  w.ctrl_press = (keys & MK_CONTROL) != 0;
  const POINT p = ClientToPicture(w, x, y);
  if (InCollapseToggle(p.x, p.y)) {
    ToggleCollapse(w);
    return;
  }
  SetCapture(w.window);
  w.dragging = true;
  w.moved = false;
  GetCursorPos(&w.last_cursor);
}

void OnDrag(CanvasWindow& w) {
  POINT now{};
  GetCursorPos(&now);
  const int dx = now.x - w.last_cursor.x;
  const int dy = now.y - w.last_cursor.y;
  if (dx == 0 && dy == 0) return;
  // A hand that trembles while it clicks does not drag: the window follows
  // once the pointer leaves the system's drag box around the press.
  if (!w.moved && std::abs(dx) <= GetSystemMetrics(SM_CXDRAG) && std::abs(dy) <= GetSystemMetrics(SM_CYDRAG)) return;
  RECT r{};
  GetWindowRect(w.window, &r);
  SetWindowPos(w.window, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  w.last_cursor = now;
  w.moved = true;
}

void OnMouseMove(CanvasWindow& w, int x, int y) {
  if (w.dragging) {
    OnDrag(w);
    return;
  }
  OnHover(w, x, y);
}

// A click on trees (a press and release without moving the window) marks
// the first tree under the pointer for breeding (a plain click as the first
// parent, Ctrl+click as the second or to take its mark away), then opens the
// description of each tree under the pointer in turn. Its "交配させる"
// button, pressed while both parents are marked, gives the command.
void OnClickTrees(CanvasWindow& w, int x, int y) {
  const POINT p = ClientToPicture(w, x, y);
  const std::vector<LabelEntry> entries = Labels().Snapshot();
  const std::vector<int> hits = TreesUnderPointer(entries, w.factor, w.scaled, p.x, p.y);
  if (hits.empty()) return;
  const LabelEntry& clicked = entries[size_t(hits.front())];
  if (w.ctrl_press)
    MarkByCtrlClick(w.marks, clicked);
  else
    MarkByClick(w.marks, clicked);
  RedrawOverlays(w);
  for (int i : hits) {
    const LabelEntry& e = entries[size_t(i)];
    TreeDescriptionInput input;
    input.name = e.name;
    input.file_name = e.file_name;
    input.kind = e.kind;
    input.mutant = e.mutant;
    input.x = e.x;
    input.y = e.y;
    input.can_breed = w.marks.complete();
    if (ShowTreeDescription(w.window, input) == kDescriptionBreed) {
      Services().send_command(CMD_BREED);
      return;
    }
  }
}

// The window's menu (right button, or the menu key): "交配させる", greyed
// until both parents are marked, and "成長の記録を書き出す…".
void OnContextMenu(CanvasWindow& w, int x, int y) {
  if (x == -1 && y == -1) {  // from the keyboard: at the window's top-left corner
    POINT corner{0, 0};
    ClientToScreen(w.window, &corner);
    x = corner.x;
    y = corner.y;
  }
  gdi::Menu menu(CreatePopupMenu());
  if (!menu.get()) return;
  AppendMenuA(menu.get(), MF_STRING | (w.marks.complete() ? MF_ENABLED : MF_GRAYED), CMD_BREED, kBreedMenuText);
  AppendMenuA(menu.get(), MF_STRING, CMD_EXPORT_DIARY, "成長の記録を書き出す…");
  // A popup menu closes on a click elsewhere only when its window is in the
  // foreground (and a menu key press need not have activated the window).
  SetForegroundWindow(w.window);
  const int chosen = int(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0,
                                        w.window, nullptr));
  if (chosen == CMD_BREED && w.marks.complete()) Services().send_command(CMD_BREED);
  // The export opens its own dialogs: posted, so this menu's loop has ended.
  if (chosen == CMD_EXPORT_DIARY) PostMessageA(Services().main, WM_COMMAND, CMD_EXPORT_DIARY, 0);
}

void OnLButtonUp(CanvasWindow& w, int x, int y) {
  if (!w.dragging) return;
  const bool clicked = !w.moved;
  ReleaseCapture();
  w.dragging = false;
  if (clicked) OnClickTrees(w, x, y);
}

// ---------------------------------------------------------------------------
// Dropped files

// What follows a canvas file opened by a drop: the tree-count and timer
// panels, this window, and the update clock.
void AfterCanvasOpened(CanvasWindow& w) {
  Services().after_canvas_opened();
  SendSelf(w, CMD_REFRESH_CANVAS_WINDOW);
}

// Plants the tree file at path where it was dropped (picture point p). The
// caller holds the worker: neither a running pass nor the clock may change the
// table while the tree is loaded and the scatter dialog is open.
void PlantDroppedTree(CanvasWindow& w, Garden& garden, int slot, POINT p) {
  Canvas& canvas = garden.canvas;
  TreeTable& table = garden.table;
  if (Settings().scatter_mode == 1 && ScatterDialog(w.window) != 0) return;
  const ViewPoint at = DropPointToCanvas(p.x, p.y, w.factor, canvas.width(), canvas.height());
  ScatterTree(table, slot, at.x, at.y, canvas.width(), canvas.height(), ScatterOptionsFromSettings(Settings()));
}

void OnDropFiles(CanvasWindow& w, HDROP drop) {
  POINT client{};
  DragQueryPoint(drop, &client);
  char file[MAX_PATH] = {};
  const UINT length = DragQueryFileA(drop, 0, file, MAX_PATH);
  DragFinish(drop);
  if (length == 0) return;
  const std::string path(file);
  // The map window is waiting with a loaded tree for its position: that
  // planting must finish first.
  if (Services().planting_pending()) return;
  // Opening a canvas or planting changes the garden: through the gate.
  int kind = -1;
  Services().engine->Change([&](Garden& garden) {
    int slot = -1;
    kind = Services().open_or_load_file(path, &slot);
    if (kind == 1) PlantDroppedTree(w, garden, slot, ClientToPicture(w, client.x, client.y));
  });
  if (kind == 0) AfterCanvasOpened(w);
}

// ---------------------------------------------------------------------------
// Painting

void OnPaint(CanvasWindow& w) {
  gdi::PaintDc paint(w.window);
  HDC dc = paint.get();
  const PixelSize client = ClientSize(w.window);
  const POINT o = ScrollOrigin(w);
  int shown_w = 0;
  int shown_h = 0;
  if (w.picture_dc.dc() && w.picture_dc.bitmap_made()) {
    shown_w = std::min<int>(client.width, w.picture.width - int(o.x));
    shown_h = std::min<int>(client.height, w.picture.height - int(o.y));
    BitBlt(dc, 0, 0, shown_w, shown_h, w.picture_dc.dc(), o.x, o.y, SRCCOPY);
  }
  // What lies beyond the picture (a window larger than it) gets the control colour.
  HBRUSH fill = w.control_brush ? w.control_brush.get() : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RECT right{std::max(shown_w, 0), 0, client.width, client.height};
  RECT below{0, std::max(shown_h, 0), std::max(shown_w, 0), client.height};
  FillRect(dc, &right, fill);
  FillRect(dc, &below, fill);
}

// ---------------------------------------------------------------------------
// Creation

void FillCombos(HWND window) {
  const MInitInfo& s = Settings();
  for (int i = 0; i < kZoomStepCount; ++i)
    SendDlgItemMessageA(window, CW_IDC_ZOOM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ZoomStepText(i)));
  const int step = s.canvas_zoom_step < kZoomStepCount ? s.canvas_zoom_step : 0;
  SendDlgItemMessageA(window, CW_IDC_ZOOM, CB_SETCURSEL, WPARAM(step), 0);
  for (int i = 0; i < kNamesChoiceCount; ++i)
    SendDlgItemMessageA(window, CW_IDC_NAMES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NamesChoiceText(i)));
  const int names = s.canvas_names < kNamesChoiceCount ? s.canvas_names : 0;
  SendDlgItemMessageA(window, CW_IDC_NAMES, CB_SETCURSEL, WPARAM(names), 0);
  SendDlgItemMessageA(window, CW_IDC_NAMES, CB_SETDROPPEDWIDTH, kNamesDropWidth, 0);
}

void OnInitDialog(HWND window, HWND main) {
  auto state = std::make_unique<CanvasWindow>();
  state->window = window;
  state->main = main;
  state->factor = ZoomFactor(Settings().canvas_zoom_step);
  MakeFallbackFrame(state->frame_composite, state->frame_back);
  state->control_brush.reset(CreateSolidBrush(state->control_colour));
  SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state.release()));
  FillCombos(window);
  const MInitInfo& s = Settings();
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  int width = kFallbackFrameWidth;
  int height = kFallbackFrameHeight;
  if (s.canvas_window_state == kStateCollapsed) {
    width = kCollapsedWidth;
    height = kCollapsedHeight;
  }
  SetWindowPos(window, nullptr, s.canvas_window.x, s.canvas_window.y, width, height, flags);
  ShowScrollBar(window, SB_BOTH, FALSE);
  DragAcceptFiles(window, TRUE);
}

INT_PTR CALLBACK CanvasWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    OnInitDialog(window, reinterpret_cast<HWND>(lparam));
    KeepDialogPixelExact(window);
    return SetDlgMsgResult(window, message, FALSE);  // no control takes the focus
  }
  if (message == WM_DPICHANGED) {
    MoveToSuggestedCorner(window, lparam);  // the skin keeps its pixel size
    return SetDlgMsgResult(window, message, 0);
  }
  CanvasWindow* w = StateOf(window);
  if (!w) return FALSE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(*w, LOWORD(wparam), HIWORD(wparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_PAINT:
      OnPaint(*w);
      return SetDlgMsgResult(window, message, 0);
    case WM_ERASEBKGND:
      return SetDlgMsgResult(window, message, TRUE);  // the paint covers everything
    case WM_SIZE:
      UpdateScrollBars(*w);
      InvalidateRect(window, nullptr, FALSE);
      return SetDlgMsgResult(window, message, 0);
    case WM_HSCROLL:
      OnScroll(*w, SB_HORZ, LOWORD(wparam), HIWORD(wparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_VSCROLL:
      OnScroll(*w, SB_VERT, LOWORD(wparam), HIWORD(wparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_MOUSEMOVE:
      OnMouseMove(*w, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_LBUTTONDOWN:
      OnLButtonDown(*w, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), wparam);
      return SetDlgMsgResult(window, message, 0);
    case WM_LBUTTONUP:
      OnLButtonUp(*w, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_CAPTURECHANGED:
      w->dragging = false;
      return SetDlgMsgResult(window, message, 0);
    case WM_CONTEXTMENU:
      OnContextMenu(*w, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_DROPFILES:
      OnDropFiles(*w, reinterpret_cast<HDROP>(wparam));
      return SetDlgMsgResult(window, message, 0);
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), w->control_colour);
      return SetDlgMsgResult(window, message, reinterpret_cast<LRESULT>(w->control_brush.get()));
    case WM_SHOWWINDOW:
      if (wparam) {
        const ScreenBox box = BoxOf(window);
        PlaceOnScreen(*w, box.width, box.height);
      }
      return SetDlgMsgResult(window, message, 0);
    case WM_CLOSE:
      OnHide(*w);
      return SetDlgMsgResult(window, message, 0);
    case WM_NCDESTROY:
      RemovePropA(window, kBreedMarksProperty);
      SetWindowLongPtrA(window, DWLP_USER, 0);
      if (g_handle == window) g_handle = nullptr;
      delete w;
      return SetDlgMsgResult(window, message, 0);
  }
  return FALSE;
}

}  // namespace

HWND CreateCanvasWindow(HINSTANCE instance, HWND main) {
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(CW_IDD_CANVAS_WINDOW), nullptr, CanvasWindowProc,
                                   reinterpret_cast<LPARAM>(main));
  if (window) g_handle = window;
  return window;
}

HWND CanvasWindowHandle() { return g_handle; }

bool CanvasWindowBreedPair(LabelEntry& first, LabelEntry& second) {
  const CanvasWindow* w = g_handle ? StateOf(g_handle) : nullptr;
  if (!w || !w->marks.complete()) return false;
  first = w->marks.first;
  second = w->marks.second;
  return true;
}

void ClearCanvasWindowBreedMarks() {
  CanvasWindow* w = g_handle ? StateOf(g_handle) : nullptr;
  if (!w || w->marks.count() == 0) return;
  w->marks.Clear();
  RedrawOverlays(*w);
}

}  // namespace sylvane
