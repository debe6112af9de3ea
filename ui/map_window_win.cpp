// The map window: a reduced picture of the lit canvas over the skin's map
// background, in which the user clicks where a tree is to be planted.
#include <windowsx.h>

#include "canvas/image/resample.h"
#include "canvas/records/settings.h"
#include "ui/skin_panels_win.h"
#include "ui/skin_win.h"
#include "ui/window_placement.h"
#include "res/commands.h"

namespace sylvane {
namespace {


ScreenBox BoxOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return ScreenBox{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

void PlaceMapWindowFirstTime(HWND main) {
  HWND map = MapWindowHandle();
  WindowRect& stored = Settings().map_window;
  if (!map || !main || stored.x != 0 || stored.y != 0) return;
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &info)) return;
  const RECT& w = info.rcWork;
  const ScreenBox map_box = BoxOf(map);
  const ScreenBox box =
      PlaceBeside(BoxOf(main), map_box.width, map_box.height, ScreenBox{w.left, w.top, w.right - w.left, w.bottom - w.top});
  SetWindowPos(map, nullptr, box.left, box.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  stored.x = box.left;
  stored.y = box.top;
}

bool MapWindow::Create(HINSTANCE instance, HWND main, const SkinRect& rect, Callbacks callbacks) {
  callbacks_ = std::move(callbacks);
  // A popup has neither caption nor frame: the whole window is the map.
  return SkinChild::Create(instance, main, "MAP_VIEW", rect, WS_POPUP | WS_CLIPCHILDREN);
}

void MapWindow::SetBackgroundSource(const Surface& source) {
  TilePicture(source, rect_.width, rect_.height, background_);
  shown_.CopyFrom(background_);
  picture_ = MapPicture{};
  ResetBackBuffer();
  PaintPicture(shown_);
}

void MapWindow::Replace(const SkinRect& rect, const Surface& source) {
  MoveTo(rect);
  SetBackgroundSource(source);
}

void MapWindow::ShowCanvas(const Surface& lit_canvas) {
  shown_.CopyFrom(background_);
  picture_ = FitCanvasInMap(rect_.width, rect_.height, lit_canvas.width, lit_canvas.height);
  if (picture_.valid) {
    Surface scaled;
    // Shrinking averages neighbouring pixels; a canvas smaller than the
    // picture area is enlarged by nearest neighbour.
    bool shrinks = lit_canvas.width >= picture_.width && lit_canvas.height >= picture_.height;
    int result = shrinks ? SmoothShrink(lit_canvas, scaled, picture_.width, picture_.height)
                         : NearestScale(lit_canvas, scaled, picture_.width, picture_.height);
    if (result == 0) {
      BlendCanvasIntoMap(shown_, scaled, picture_, opacity_);
    } else {
      picture_ = MapPicture{};
    }
  }
  PaintPicture(shown_);
}

LRESULT MapWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST:
      return OnNcHitTest(lparam);
    case WM_LBUTTONDOWN:
      OnLButtonDown(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_CLOSE:
      // Closed from the keyboard: cancel, so that the main window is enabled again.
      OnCommand(CMD_MAP_CANCELLED);
      return 0;
  }
  return SkinChild::OnMessage(message, wparam, lparam);
}

LRESULT MapWindow::OnNcHitTest(LPARAM lparam) {
  POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ScreenToClient(hwnd_, &p);
  if (!MapPictureContains(picture_, p.x, p.y)) return HTCAPTION;
  return DefWindowProcA(hwnd_, WM_NCHITTEST, 0, lparam);
}

void MapWindow::OnLButtonDown(POINT p) {
  if (!MapPictureContains(picture_, p.x, p.y)) return;
  planting_ = MapPointToCanvas(picture_, p.x, p.y);
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (callbacks_.store_position) callbacks_.store_position(r.left, r.top);
  EnableWindow(owner_, TRUE);
  SendMessageA(owner_, WM_COMMAND, MAKEWPARAM(CMD_MAP_CLICKED, 0), 0);
  ShowWindow(hwnd_, SW_HIDE);
}

void MapWindow::OnCommand(int id) {
  if (id == CMD_MAP_CANCELLED) Finish();
}

void MapWindow::Finish() {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (callbacks_.store_position) callbacks_.store_position(r.left, r.top);
  EnableWindow(owner_, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
}

}  // namespace sylvane
