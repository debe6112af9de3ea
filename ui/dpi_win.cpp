#include "ui/dpi_win.h"

namespace sylvane {
namespace {

template <typename F>
F UserFunction(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
using SetDialogControlDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDisableAll = 1;           // DDC_DISABLE_ALL
constexpr int kControlDisableFontUpdate = 1;   // DCDC_DISABLE_FONTUPDATE
constexpr int kControlDisableRelayout = 2;     // DCDC_DISABLE_RELAYOUT

BOOL CALLBACK KeepControlPixelExact(HWND control, LPARAM) {
  static const auto set_control = UserFunction<SetDialogControlDpiChangeBehaviorFn>(
      "SetDialogControlDpiChangeBehavior");
  if (set_control) {
    const int mask = kControlDisableFontUpdate | kControlDisableRelayout;
    set_control(control, mask, mask);
  }
  return TRUE;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto get_dpi = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi && window) {
    const UINT dpi = get_dpi(window);
    if (dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? UINT(dpi) : 96;
}

void MoveToSuggestedCorner(HWND window, LPARAM suggested) {
  const RECT* r = reinterpret_cast<const RECT*>(suggested);
  if (!window || !r) return;
  SetWindowPos(window, nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepDialogPixelExact(HWND dialog) {
  static const auto set_dialog = UserFunction<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
  if (!dialog) return;
  if (set_dialog) set_dialog(dialog, kDialogDisableAll, kDialogDisableAll);
  EnumChildWindows(dialog, KeepControlPixelExact, 0);
}

}  // namespace sylvane
