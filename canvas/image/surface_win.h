// The Win32 companion of a Surface: a memory device context with a compatible
// bitmap into which the surface's pixels are copied once, so that windows can
// repaint from it with BitBlt.
//
// The show sequence of a window owner: release; create a memory DC compatible
// with the window's DC; make a bitmap of the surface's size; refresh headers;
// copy the pixels with SetDIBitsToDevice; then BitBlt on every paint. When the
// copy fails the owner shows "Hello!" (caption "Hello").
#pragma once
#include <windows.h>

#include "canvas/image/surface.h"

namespace sylvane {

// The BITMAPINFO of a surface's current size (24 bits, bottom-up, BI_RGB).
BITMAPINFO SurfaceBitmapInfo(const Surface& s);

class SurfaceDC {
 public:
  SurfaceDC() = default;
  ~SurfaceDC() { Release(); }
  SurfaceDC(const SurfaceDC&) = delete;
  SurfaceDC& operator=(const SurfaceDC&) = delete;

  // Creates the memory DC (compatible with reference, or the screen when null)
  // if there is none.
  bool CreateDC(HDC reference);
  // Deletes a bitmap made before; when there is a memory DC, makes a bitmap
  // compatible with screen of cx x cy and selects it (remembering what the DC
  // held before).
  void MakeBitmap(HDC screen, int cx, int cy);
  // Deletes the bitmap (selecting the previous object back) and the memory DC.
  void Release();

  HDC dc() const { return dc_; }
  bool bitmap_made() const { return bitmap_made_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  bool bitmap_made_ = false;
  int width_ = 0;
  int height_ = 0;
};

// Copies the surface's pixels into dc at (x, y) with SetDIBitsToDevice (all
// rows). Returns false when nothing was copied.
bool CopySurfaceToDC(HDC dc, Surface& s, int x = 0, int y = 0);

// The show sequence for window: the memory DC of companion now holds s.
// An empty surface releases the companion and returns true. When the copy
// into the memory DC fails, "Hello!" (caption "Hello") is shown and false returned.
bool ShowSurface(HWND window, Surface& s, SurfaceDC& companion);

// Paints the companion at (x, y) of target (its whole size, SRCCOPY).
void BlitCompanion(HDC target, const SurfaceDC& companion, int x = 0, int y = 0);

}  // namespace sylvane
