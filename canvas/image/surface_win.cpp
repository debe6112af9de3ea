#include "canvas/image/surface_win.h"

#include "platform/platform.h"

namespace sylvane {

BITMAPINFO SurfaceBitmapInfo(const Surface& s) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = s.width;
  bi.bmiHeader.biHeight = s.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biSizeImage = DWORD(s.stride) * DWORD(s.height);
  return bi;
}

bool SurfaceDC::CreateDC(HDC reference) {
  if (dc_) return true;
  dc_ = CreateCompatibleDC(reference);
  return dc_ != nullptr;
}

void SurfaceDC::MakeBitmap(HDC screen, int cx, int cy) {
  if (bitmap_made_) {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
    previous_ = nullptr;
    bitmap_made_ = false;
  }
  if (!dc_) return;
  bitmap_ = CreateCompatibleBitmap(screen, cx, cy);
  if (!bitmap_) return;
  previous_ = SelectObject(dc_, bitmap_);
  bitmap_made_ = true;
  width_ = cx;
  height_ = cy;
}

void SurfaceDC::Release() {
  if (bitmap_made_) {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
    previous_ = nullptr;
    bitmap_made_ = false;
  }
  if (dc_) {
    DeleteDC(dc_);
    dc_ = nullptr;
  }
  width_ = height_ = 0;
}

bool CopySurfaceToDC(HDC dc, Surface& s, int x, int y) {
  if (!dc || s.empty()) return false;
  s.RefreshHeaders();
  BITMAPINFO bi = SurfaceBitmapInfo(s);
  int rows = SetDIBitsToDevice(dc, x, y, DWORD(s.width), DWORD(s.height), 0, 0, 0, UINT(s.height),
                               s.pixels.data(), &bi, DIB_RGB_COLORS);
  return rows > 0;
}

bool ShowSurface(HWND window, Surface& s, SurfaceDC& companion) {
  companion.Release();
  if (s.empty()) return true;
  HDC wdc = GetDC(window);
  companion.CreateDC(wdc);
  companion.MakeBitmap(wdc, s.width, s.height);
  ReleaseDC(window, wdc);
  if (!companion.bitmap_made() || !CopySurfaceToDC(companion.dc(), s)) {
    ShowMessage("Hello!", "Hello");
    return false;
  }
  return true;
}

void BlitCompanion(HDC target, const SurfaceDC& companion, int x, int y) {
  if (!companion.dc() || !companion.bitmap_made()) return;
  BitBlt(target, x, y, companion.width(), companion.height(), companion.dc(), 0, 0, SRCCOPY);
}

}  // namespace sylvane
