// Small owners of GDI resources for the Windows program: each releases what it
// holds when it goes away, so no path can leak a device context, a font or a
// brush. (The memory device context of a Surface is canvas/surface_win.h.)
#pragma once
#include <windows.h>

#include <utility>

namespace sylvane::gdi {

// A GDI object (bitmap, font, brush, pen, region) deleted with DeleteObject.
template <class Handle>
class Object {
 public:
  Object() = default;
  explicit Object(Handle h) : h_(h) {}
  ~Object() { reset(); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Object(Object&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Object& operator=(Object&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  void reset(Handle h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  Handle h_ = nullptr;
};
using Bitmap = Object<HBITMAP>;
using Font = Object<HFONT>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;

// The device context of a window's client area, GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint of a WM_PAINT message.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A menu loaded from the resources, destroyed with DestroyMenu.
class Menu {
 public:
  explicit Menu(HMENU menu) : menu_(menu) {}
  ~Menu() {
    if (menu_) DestroyMenu(menu_);
  }
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// The font of the skin's panels: cell height in pixels (a positive height asks
// for the cell, not the character), normal weight, Shift-JIS, proof quality,
// fixed pitch, modern family, face "MS UI Gothic".
inline HFONT CreatePanelFont(int cell_height) {
  return CreateFontA(cell_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, "MS UI Gothic");
}

}  // namespace sylvane::gdi
