// The desktop wallpaper object of Windows 8 and later (IDesktopWallpaper),
// declared here because the system headers offer it only to programs that
// require Windows 8, and the per-monitor wallpaper it is given.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <vector>

#include "canvas/image/surface.h"
#include "canvas/monitor_layout.h"

namespace sylvane {

// DESKTOP_WALLPAPER_POSITION
enum WallpaperPosition : int { kPositionCenter = 0, kPositionTile = 1, kPositionFill = 4 };

struct DesktopWallpaperObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitor_id, LPCWSTR wallpaper) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitor_id, LPWSTR* wallpaper) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitor_id) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitor_id, RECT* rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* colour) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
  // (The slide-show methods that follow are not used.)
};

// Writes each monitor's picture (the lit garden fitted to it, background
// around it) as MonitorWallpaperFile(i) and "default.bmp" as the garden; then,
// unless changer_active, sets the object's position for fit and gives every
// monitor the object reports the file of the monitor with its rectangle. A
// monitor the object reports without a rectangle (detached) is left alone.
void PublishToWallpaperObject(DesktopWallpaperObject& object, const Surface& lit, uint32_t background,
                              MonitorFit fit, const std::vector<MonitorRect>& monitors, bool changer_active);

}  // namespace sylvane
