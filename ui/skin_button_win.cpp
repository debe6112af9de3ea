#include "ui/skin_button_win.h"

#include <windowsx.h>

#include <utility>

#include "platform/handles_win.h"
#include "ui/dpi_win.h"
#include "ui/skin_win.h"

namespace sylvane {

// ---------------------------------------------------------------------------
// SkinChild

bool SkinChild::Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect, DWORD style,
                       DWORD ex_style) {
  instance_ = instance;
  owner_ = owner;
  rect_ = rect;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = class_name;
  if (!RegisterClassExA(&wc)) return false;
  CreateWindowExA(ex_style, class_name, "", style, rect.left, rect.top, rect.width, rect.height, owner, nullptr,
                  instance, this);
  if (!hwnd_) return false;
  ResetBackBuffer();
  return true;
}

LRESULT CALLBACK SkinChild::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  SkinChild* self;
  if (message == WM_NCCREATE) {
    self = static_cast<SkinChild*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<SkinChild*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, message, wparam, lparam);
  LRESULT result = self->OnMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

LRESULT SkinChild::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      gdi::PaintDc paint(hwnd_);
      OnPaint(paint.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the back buffer covers the whole window
    case WM_DPICHANGED:
      // Only top-level skin windows (the map) get it: the skin keeps its pixel size.
      MoveToSuggestedCorner(hwnd_, lparam);
      return 0;
    case WM_DESTROY:
      if (posts_quit_) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

void SkinChild::OnPaint(HDC dc) { BlitCompanion(dc, back_); }

bool SkinChild::Place(const SkinRect& r) {
  if (!IsPlaceableRect(r)) return false;
  MoveTo(r);
  if (hwnd_) ShowWindow(hwnd_, SW_SHOWNA);
  return true;
}

void SkinChild::MoveTo(const SkinRect& r) {
  rect_ = r;
  if (hwnd_) SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinChild::ResetBackBuffer() {
  back_.Release();
  if (!hwnd_ || rect_.width <= 0 || rect_.height <= 0) return;
  gdi::WindowDc window_dc(hwnd_);
  if (!window_dc || !back_.CreateDC(window_dc.get())) return;
  back_.MakeBitmap(window_dc.get(), rect_.width, rect_.height);
  if (back_.bitmap_made()) PatBlt(back_.dc(), 0, 0, rect_.width, rect_.height, WHITENESS);
}

void SkinChild::PaintPicture(Surface& picture) {
  if (picture.width <= 0 || !hwnd_) return;
  CopySurfaceToDC(back_.dc(), picture);
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

// ---------------------------------------------------------------------------
// SkinButton

bool SkinButton::Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect, bool visible) {
  // The program's own cursors; the hand where a resource is missing, so that
  // the pointer never vanishes over a button.
  over_cursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(kCursorOverButton));
  down_cursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(kCursorButtonDown));
  if (!over_cursor_) over_cursor_ = LoadCursor(nullptr, IDC_HAND);
  if (!down_cursor_) down_cursor_ = LoadCursor(nullptr, IDC_HAND);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return SkinChild::Create(instance, owner, class_name, rect, style);
}

void SkinButton::SetPictures(ElementPictures&& pictures) {
  pictures_ = std::move(pictures);
  PaintPicture(pictures_.normal);
}

LRESULT SkinButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(p);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(p);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(p);
      return 0;
    case WM_LBUTTONDBLCLK:
      return 0;  // the second press of a double click: one click, one command
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd_) OnCaptureLost();
      return 0;
  }
  return SkinChild::OnMessage(message, wparam, lparam);
}

bool SkinButton::Inside(POINT p) const {
  return p.x >= 0 && p.y >= 0 && p.x < rect_.width && p.y < rect_.height;
}

void SkinButton::Capture() {
  if (GetCapture() != hwnd_) SetCapture(hwnd_);
}

void SkinButton::ReleaseHeldCapture() {
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void SkinButton::UseArrowCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
void SkinButton::UseOverCursor() { SetCursor(over_cursor_); }
void SkinButton::UseDownCursor() { SetCursor(down_cursor_); }

void SkinButton::OnMouseMove(POINT p) {
  Capture();
  if (Inside(p)) {
    if (state_ == kIdle) {
      UseOverCursor();
      state_ = kOver;
      PaintPicture(pictures_.over);
    } else if (state_ == kHeldOutside) {
      UseDownCursor();
      state_ = kHeldInside;
      PaintPicture(pictures_.down);
    }
  } else {
    if (state_ == kOver) {
      UseArrowCursor();
      PaintPicture(pictures_.normal);
      state_ = kIdle;
      ReleaseHeldCapture();
    } else if (state_ == kHeldInside) {
      UseDownCursor();
      PaintPicture(pictures_.normal);
      state_ = kHeldOutside;
    }
  }
}

void SkinButton::OnLButtonDown(POINT) {
  UseDownCursor();
  state_ = kHeldInside;
  Capture();
  PaintPicture(pictures_.down);
}

void SkinButton::OnLButtonUp(POINT p) {
  if (Inside(p) && state_ == kHeldInside) {
    state_ = kIdle;
    ReleaseHeldCapture();
    // The button springs back before the command runs, so that it does not
    // stay pressed behind a dialog the command opens.
    PaintPicture(pictures_.normal);
    HWND self = hwnd_;
    SendMessageA(owner_, WM_COMMAND, MAKEWPARAM(command_, 0), 0);
    // The command may have closed the owner and with it this window.
    if (!IsWindow(self)) return;
    PaintPicture(pictures_.normal);
  }
  state_ = kIdle;
  ReleaseHeldCapture();
}

// Another window took the mouse (a menu, a dialog, the task switcher): the
// button would otherwise keep showing its over or down picture.
void SkinButton::OnCaptureLost() {
  if (state_ == kIdle) return;
  state_ = kIdle;
  PaintPicture(pictures_.normal);
}

// ---------------------------------------------------------------------------
// MenuButton

void MenuButton::OnMouseMove(POINT p) {
  Capture();
  if (Inside(p)) {
    if (state_ != kOver) {
      UseOverCursor();
      state_ = kOver;
      PaintPicture(pictures_.over);
    }
  } else if (state_ != kIdle) {
    UseArrowCursor();
    PaintPicture(pictures_.normal);
    state_ = kIdle;
    ReleaseHeldCapture();
  }
}

void MenuButton::OnLButtonDown(POINT) {
  UseDownCursor();
  if (state_ != kHeldInside) {
    PaintPicture(pictures_.down);
    state_ = kHeldInside;
  }
  gdi::Menu menu(LoadMenuA(instance_, "MYMENU"));
  HMENU popup = menu.get() ? GetSubMenu(menu.get(), command_) : nullptr;
  if (popup) {
    MenuCheckState checks = check_state_ ? check_state_() : MenuCheckState{};
    for (const MenuCheck& c : MenuChecksFor(checks))
      CheckMenuItem(popup, UINT(c.item), MF_BYCOMMAND | (c.checked ? MF_CHECKED : MF_UNCHECKED));
    POINT corner{0, rect_.height};
    ClientToScreen(hwnd_, &corner);
    HWND self = hwnd_;
    TrackPopupMenu(popup, TPM_LEFTBUTTON, corner.x, corner.y, 0, owner_, nullptr);
    if (!IsWindow(self)) return;
  }
  PaintPicture(pictures_.normal);
  state_ = kIdle;
}

}  // namespace sylvane
