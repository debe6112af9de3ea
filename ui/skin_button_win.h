// The skinned child windows: the common base (its own window class, the
// window, its place and a back buffer that always holds what the window
// shows), the SkinButton that sends a command when clicked and the MenuButton
// that opens the popup menu.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "canvas/image/surface.h"
#include "canvas/image/surface_win.h"
#include "ui/menu_checks.h"
#include "ui/skin_layout.h"

namespace sylvane {

// The pictures of an element: a button's three states, a panel's background (normal).
struct ElementPictures {
  Surface normal;  // idle
  Surface over;    // pointer over the button
  Surface down;    // held down with the pointer on it
};

class SkinChild {
 public:
  SkinChild() = default;
  virtual ~SkinChild() = default;
  SkinChild(const SkinChild&) = delete;
  SkinChild& operator=(const SkinChild&) = delete;

  // Registers a window class named class_name (redraw on resize, double
  // clicks, arrow cursor, white background) and creates the window with the
  // given styles at rect, in owner (the parent of a child, the owner of a
  // popup). False, and no window, when the class cannot be registered or the
  // window cannot be created.
  bool Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect, DWORD style,
              DWORD ex_style = 0);

  HWND hwnd() const { return hwnd_; }
  const SkinRect& rect() const { return rect_; }

  // Moves and resizes the window to r and shows it, when r is placeable
  // (left, top >= 0, width, height > 0). Returns whether r was applied.
  bool Place(const SkinRect& r);
  // Moves and resizes without any condition (the hidden 1 x 1 buttons).
  void MoveTo(const SkinRect& r);

  // (Re)creates the back buffer at the window's size, white.
  void ResetBackBuffer();
  // Copies picture into the back buffer and repaints the window at once. A
  // picture without width is skipped; painting failures are ignored.
  void PaintPicture(Surface& picture);

  // Whether destroying the window ends the message loop (the elements of the
  // main window and the map go with the main window at exit).
  void set_posts_quit(bool posts_quit) { posts_quit_ = posts_quit; }

 protected:
  // Every message of the window arrives here; the default forwards to
  // OnPaint and DefWindowProc.
  virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Copies the back buffer to the window.
  virtual void OnPaint(HDC dc);

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  SkinRect rect_;
  SurfaceDC back_;  // width x height, always what the window shows

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  bool posts_quit_ = false;
};

// A button with three pictures; a click sends WM_COMMAND (command, no
// notification, no control) to the owner window, synchronously.
class SkinButton : public SkinChild {
 public:
  enum State : uint32_t { kIdle = 0, kOver = 1, kHeldInside = 2, kHeldOutside = 3 };

  explicit SkinButton(uint16_t command) : command_(command) {}

  bool Create(HINSTANCE instance, HWND owner, const char* class_name, const SkinRect& rect, bool visible);
  // Replaces the pictures and paints the normal one.
  void SetPictures(ElementPictures&& pictures);
  uint32_t state() const { return state_; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  virtual void OnMouseMove(POINT p);
  virtual void OnLButtonDown(POINT p);
  virtual void OnLButtonUp(POINT p);
  virtual void OnCaptureLost();

  bool Inside(POINT p) const;
  void Capture();
  void ReleaseHeldCapture();
  void UseArrowCursor();
  void UseOverCursor();
  void UseDownCursor();

  uint16_t command_;  // for the MenuButton: the index of the sub-menu to open
  ElementPictures pictures_;
  uint32_t state_ = kIdle;
  HCURSOR over_cursor_ = nullptr;
  HCURSOR down_cursor_ = nullptr;
};

// "MENU0": opens sub-menu `command` of the menu resource "MYMENU" under the
// button, with the owner window receiving the chosen command.
class MenuButton : public SkinButton {
 public:
  explicit MenuButton(std::function<MenuCheckState()> check_state)
      : SkinButton(0), check_state_(std::move(check_state)) {}

 protected:
  void OnMouseMove(POINT p) override;
  void OnLButtonDown(POINT p) override;
  void OnLButtonUp(POINT) override {}
  void OnCaptureLost() override {}

 private:
  std::function<MenuCheckState()> check_state_;
};

}  // namespace sylvane
