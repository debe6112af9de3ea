// Small owners of GDI resources for the Windows program: each releases what it
// holds when it goes away, so no path can leak a device context, a bitmap or a
// font. Also the memory picture that shows a Surface in a window.
#pragma once
#include <windows.h>

#include <utility>

#include "canvas/surface.h"

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

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC reference) : dc_(CreateCompatibleDC(reference)) {}
  ~MemoryDc() { reset(); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  MemoryDc(MemoryDc&& o) noexcept : dc_(std::exchange(o.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&& o) noexcept {
    if (this != &o) {
      reset();
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  void reset() {
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
};

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
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BITMAPINFO of a surface: 24 bits, bottom-up, uncompressed.
BITMAPINFO SurfaceBitmapInfo(const Surface& surface);

// Copies a surface's pixels into a device context at (x, y) with
// SetDIBitsToDevice. False when the surface is empty or GDI refused.
bool DrawSurface(HDC dc, int x, int y, const Surface& surface);

// A picture kept in video memory for fast painting: a memory device context
// with a compatible bitmap selected into it. Everything it holds is released
// in reverse order when it is reset or destroyed.
class MemoryPicture {
 public:
  MemoryPicture() = default;
  ~MemoryPicture() { reset(); }
  MemoryPicture(const MemoryPicture&) = delete;
  MemoryPicture& operator=(const MemoryPicture&) = delete;

  // (Re)creates the picture at width x height, compatible with the reference
  // device context (a window's), and fills it with the colour. False when
  // GDI could not create it (the picture is then empty).
  bool Create(HDC reference, int width, int height, COLORREF fill = RGB(255, 255, 255));
  // Create at the surface's size, then draw the surface into it.
  bool CreateFrom(HDC reference, const Surface& surface);
  void reset();

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return !dc_ || !bitmap_; }
  // Copies the whole picture to dst at (x, y) with SRCCOPY.
  void Blit(HDC dst, int x, int y) const;

 private:
  MemoryDc dc_;
  Bitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// The font of the skin's panels: cell height in pixels, normal weight,
// Shift-JIS, proof quality, fixed pitch, modern family, "MS UI Gothic".
HFONT CreatePanelFont(int cell_height);

}  // namespace sylvane::gdi
