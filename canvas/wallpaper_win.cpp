#include "canvas/wallpaper_win.h"

#include "canvas/wallpaper_object_win.h"

#include <objbase.h>
#include <oleauto.h>
// IActiveDesktop is declared only together with the Internet headers.
#include <wininet.h>
#include <shlobj.h>
// windows.h names LoadImageA "LoadImage", as the program's picture loader is called.
#undef LoadImage

#include <cstring>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/wallpaper_style.h"
#include "platform/handles_win.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace sylvane {
namespace {

// {75048700-EF1F-11D0-9888-006097DEACF9}
const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
// {F490EB00-1240-11D1-9888-006097DEACF9}
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
constexpr DWORD kApplyAll = 7;  // AD_APPLY_ALL

std::wstring Widen(const std::string& sjis) {
  if (sjis.empty()) return std::wstring();
  int n = MultiByteToWideChar(932, 0, sjis.data(), int(sjis.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(932, 0, sjis.data(), int(sjis.size()), w.data(), n);
  return w;
}

// The Active Desktop step; its outcome is not used (systems without the object
// simply skip it).
void SetWithActiveDesktop(const std::string& full_path) {
  if (FAILED(CoInitialize(nullptr))) return;
  std::wstring wide = Widen(full_path);
  BSTR path = SysAllocString(wide.c_str());
  {
    win::ComPtr<IActiveDesktop> desktop;
    if (SUCCEEDED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                   desktop.out())) &&
        desktop && SUCCEEDED(desktop->SetWallpaper(path, 0)))
      desktop->ApplyChanges(kApplyAll);
  }  // released before COM is left
  SysFreeString(path);
  CoUninitialize();
}

// The desktop wallpaper object of Windows 8 and later, declared here because
// the headers offer it only to programs that require Windows 8.
// {C2CF3110-460E-4FC1-B9D0-8A1C0C9CC4BD}
const CLSID kClsidDesktopWallpaper = {0xC2CF3110, 0x460E, 0x4FC1, {0xB9, 0xD0, 0x8A, 0x1C, 0x0C, 0x9C, 0xC4, 0xBD}};
// {B92B56A9-8B55-4E14-9A89-0199BBB6F93B}
const IID kIidDesktopWallpaper = {0xB92B56A9, 0x8B55, 0x4E14, {0x9A, 0x89, 0x01, 0x99, 0xBB, 0xB6, 0xF9, 0x3B}};

// The pictures of every monitor are remade at every update and are up to
// tens of megabytes: flushing them to the disk cost more than composing and
// writing them together (under Wine, two 3840 x 2160 monitors). A system
// failure before its cache is written leaves a broken wallpaper until the
// next update at worst.
constexpr Durability kWallpaperDurability = Durability::kCached;

// A REG_SZ value whose counted length is the text without its terminating NUL,
// as the desktop values have always been written by this program.
void SetStringValue(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size()));
}

}  // namespace

int SetWallpaper(const std::string& full_path, const std::string& style) {
  SetWithActiveDesktop(full_path);

  {
    win::RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.out(), &disposition) != ERROR_SUCCESS) {
      MessageBoxA(nullptr, "RegCreateKeyExでエラーが発生しました1", "Error", MB_OK);
      return -1;
    }
    WallpaperRegistryValues values = RegistryValuesForStyle(style);
    SetStringValue(key.get(), "Wallpaper", full_path);
    SetStringValue(key.get(), "TileWallpaper", values.tile_wallpaper);
    SetStringValue(key.get(), "Wallpaperstyle", values.wallpaper_style);
  }

  std::vector<char> path(full_path.begin(), full_path.end());
  path.push_back('\0');
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE);
  return 0;
}

int PublishCanvasWallpaper(HWND, const Surface& lit, int style_setting, bool changer_active) {
  std::string style = WallpaperStyleString(style_setting);
  // Named by its full path in the program folder, whatever the current folder.
  const std::string full_path = JoinPath(GetPlatform().ProgramFolder(), kCanvasWallpaperFile);
  WriteBmp(full_path, lit);
  if (!changer_active) SetWallpaper(full_path, style);
  return 0;
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<MonitorRect>*>(data)->push_back(
        MonitorRect{r.left, r.top, r.right - r.left, r.bottom - r.top});
  }
  return TRUE;
}

int PositionForFit(MonitorFit fit) {
  switch (fit) {
    case MonitorFit::kTile:
      return kPositionTile;
    case MonitorFit::kStretch:
      return kPositionFill;
    default:
      return kPositionCenter;
  }
}

// The work of PublishThroughWallpaperObject inside COM: the object released
// before COM is left.
bool PublishWithObject(const Surface& lit, uint32_t background, MonitorFit fit,
                       const std::vector<MonitorRect>& monitors, bool changer_active) {
  win::ComPtr<DesktopWallpaperObject> object;
  if (FAILED(CoCreateInstance(kClsidDesktopWallpaper, nullptr, CLSCTX_ALL, kIidDesktopWallpaper, object.out())) ||
      !object)
    return false;
  PublishToWallpaperObject(*object.get(), lit, background, fit, monitors, changer_active);
  return true;
}

// The per-monitor route: false when the object does not exist (nothing was
// written then). A system without it (before Windows 8, Wine) hardly gains it
// while the program runs, and each vain request costs about as much as
// composing a monitor's picture: after a refusal it is asked for again only
// once kObjectRetryMs have passed (a shell that was restarting has its
// object by then).
constexpr ULONGLONG kObjectRetryMs = 10 * 60 * 1000;

bool PublishThroughWallpaperObject(const Surface& lit, uint32_t background, MonitorFit fit,
                                   const std::vector<MonitorRect>& monitors, bool changer_active) {
  static ULONGLONG refused_at = 0;  // GetTickCount64 of the last refusal
  static bool refused = false;
  if (refused && GetTickCount64() - refused_at < kObjectRetryMs) return false;
  const HRESULT init = CoInitialize(nullptr);
  const bool done = PublishWithObject(lit, background, fit, monitors, changer_active);
  if (SUCCEEDED(init)) CoUninitialize();
  refused = !done;
  refused_at = GetTickCount64();
  return done;
}

}  // namespace

void PublishToWallpaperObject(DesktopWallpaperObject& wallpapers, const Surface& lit, uint32_t background,
                              MonitorFit fit, const std::vector<MonitorRect>& monitors, bool changer_active) {
  DesktopWallpaperObject* object = &wallpapers;
  const std::string folder = GetPlatform().ProgramFolder();
  std::vector<std::wstring> paths;
  // One picture at a time, so that memory holds a single monitor's picture;
  // kept from update to update (monitors mostly share a size).
  static Surface picture;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const std::string path = JoinPath(folder, MonitorWallpaperFile(int(i)));
    if (ComposeMonitorPicture(lit, background, fit, monitors[i].width, monitors[i].height, picture) ==
        LayoutStatus::kOk) {
      WriteBmp(path, picture, kWallpaperDurability);
    }
    paths.push_back(Widen(path));
  }
  // The garden itself stays in "default.bmp", which the changer previews.
  WriteBmp(JoinPath(folder, kCanvasWallpaperFile), lit, kWallpaperDurability);
  if (!changer_active) {
    object->SetPosition(PositionForFit(fit));
    UINT count = 0;
    if (FAILED(object->GetMonitorDevicePathCount(&count))) count = 0;
    for (UINT k = 0; k < count; ++k) {
      LPWSTR id = nullptr;
      if (FAILED(object->GetMonitorDevicePathAt(k, &id)) || !id) continue;
      RECT r = {};
      // A monitor not attached to the desktop has no rectangle and is left alone.
      if (SUCCEEDED(object->GetMonitorRECT(id, &r))) {
        for (size_t i = 0; i < monitors.size(); ++i) {
          const MonitorRect& m = monitors[i];
          if (m == MonitorRect{r.left, r.top, r.right - r.left, r.bottom - r.top}) {
            object->SetWallpaper(id, paths[i].c_str());
            break;
          }
        }
      }
      CoTaskMemFree(id);
    }
  }
}

std::vector<MonitorRect> DesktopMonitors() {
  std::vector<MonitorRect> monitors;
  // Layouts this machine does not have, for measuring and testing.
  char given[1024] = {};
  const DWORD n = GetEnvironmentVariableA(kMonitorsVariable, given, sizeof(given));
  std::string error;
  if (n > 0 && n < sizeof(given) && ParseMonitorList(given, monitors, error)) return monitors;
  monitors.clear();
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

std::string MonitorWallpaperFile(int index) { return "default_" + std::to_string(index + 1) + ".bmp"; }

MonitorWallpaperRoute PublishMonitorWallpapers(HWND, const Surface& lit, uint32_t background, int style_setting,
                                               bool changer_active) {
  const MonitorFit fit = FitForStyleString(WallpaperStyleString(style_setting));
  std::vector<MonitorRect> monitors = DesktopMonitors();
  if (monitors.empty()) {
    // No monitor reported (a service desktop): the screen as GetSystemMetrics sees it.
    monitors.push_back(MonitorRect{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                   GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)});
  }
  if (PublishThroughWallpaperObject(lit, background, fit, monitors, changer_active)) {
    return MonitorWallpaperRoute::kPerMonitor;
  }
  // Kept from update to update: a fresh buffer across two large monitors costs
  // more than composing into it. A grid of equal monitors needs one monitor's
  // picture only, which tiles to the same desktop at a fraction of the
  // composing, writing and loading.
  static Surface desktop;
  const LayoutStatus composed = ComposeTiledDesktopPicture(lit, background, fit, monitors, desktop);
  if (composed != LayoutStatus::kOk) return MonitorWallpaperRoute::kNone;
  const std::string full_path = JoinPath(GetPlatform().ProgramFolder(), kCanvasWallpaperFile);
  WriteBmp(full_path, desktop, kWallpaperDurability);
  // Tiled, so that a picture exactly the desktop's size lands on it whole.
  if (!changer_active) SetWallpaper(full_path, "1");
  return MonitorWallpaperRoute::kAcrossDesktop;
}

int ReadCurrentWallpaper(HWND, Surface& out) {
  win::RegKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
    return -1;
  // One byte short of the buffer, so that a value stored without its NUL still ends in one.
  char value[MAX_PATH] = {};
  DWORD size = MAX_PATH - 1;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(key.get(), "Wallpaper", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  key.reset();
  std::string path = (rc == ERROR_SUCCESS) ? std::string(value, strnlen(value, sizeof(value))) : std::string();
  if (LoadImage(path, out, true) != 0) return -2;
  out.path = path;
  return 0;
}

}  // namespace sylvane
