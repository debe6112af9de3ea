#include "canvas/wallpaper_win.h"

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
  IActiveDesktop* desktop = nullptr;
  if (SUCCEEDED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                 reinterpret_cast<void**>(&desktop))) &&
      desktop) {
    if (SUCCEEDED(desktop->SetWallpaper(path, 0))) desktop->ApplyChanges(kApplyAll);
    desktop->Release();
  }
  SysFreeString(path);
  CoUninitialize();
}

// A REG_SZ value whose counted length is the text without its terminating NUL,
// as the desktop values have always been written by this program.
void SetStringValue(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size()));
}

}  // namespace

int SetWallpaper(const std::string& full_path, const std::string& style) {
  SetWithActiveDesktop(full_path);

  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    MessageBoxA(nullptr, "RegCreateKeyExでエラーが発生しました1", "Error", MB_OK);
    return -1;
  }
  WallpaperRegistryValues values = RegistryValuesForStyle(style);
  SetStringValue(key, "Wallpaper", full_path);
  SetStringValue(key, "TileWallpaper", values.tile_wallpaper);
  SetStringValue(key, "Wallpaperstyle", values.wallpaper_style);
  RegCloseKey(key);

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

int ReadCurrentWallpaper(HWND, Surface& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return -1;
  // One byte short of the buffer, so that a value stored without its NUL still ends in one.
  char value[MAX_PATH] = {};
  DWORD size = MAX_PATH - 1;
  DWORD type = 0;
  LONG rc = RegQueryValueExA(key, "Wallpaper", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  std::string path = (rc == ERROR_SUCCESS) ? std::string(value, strnlen(value, sizeof(value))) : std::string();
  if (LoadImage(path, out, true) != 0) return -2;
  out.path = path;
  return 0;
}

}  // namespace sylvane
