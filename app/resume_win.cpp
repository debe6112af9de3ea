// Back at once: after the computer wakes, the session is unlocked, the
// display changes or the taskbar is made anew (the shell restarted), the
// program puts its tray icon back and sets the wallpaper again at once
// rather than at the clock's next update. A wake also runs the growth missed
// while asleep when catch-up growth is on.
#include <windows.h>

#include <wtsapi32.h>

#include "app/app_win.h"
#include "res/commands.h"

namespace sylvane::app {
namespace {

UINT g_taskbar_created = 0;  // the registered "TaskbarCreated" message
int g_comebacks = 0;

// wtsapi32 is looked up at run time: the notifications are a comfort, not a need.
using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);
HMODULE g_wtsapi = nullptr;
bool g_session_registered = false;

void ComeBack(bool tray) {
  PublishState(kStateComebacks, ++g_comebacks);
  if (tray) RestoreTrayIcon();
  SendCommand(CMD_MAKE_WALLPAPER);
}

void OnPowerBroadcast(HWND main, WPARAM event) {
  switch (event) {
    case PBT_APMSUSPEND:
      NoteGardenStoppedNow();
      return;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      ComeBack(true);
      StartCatchUp(main);
      return;
    default:
      return;
  }
}

}  // namespace

void StartComebackWatch(HWND main) {
  g_taskbar_created = RegisterWindowMessageA("TaskbarCreated");
  g_wtsapi = LoadLibraryA("wtsapi32.dll");
  if (!g_wtsapi) return;
  auto reg = reinterpret_cast<RegisterFn>(
      reinterpret_cast<void*>(GetProcAddress(g_wtsapi, "WTSRegisterSessionNotification")));
  if (reg) g_session_registered = reg(main, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void StopComebackWatch(HWND main) {
  if (g_wtsapi && g_session_registered) {
    auto unreg = reinterpret_cast<UnregisterFn>(
        reinterpret_cast<void*>(GetProcAddress(g_wtsapi, "WTSUnRegisterSessionNotification")));
    if (unreg) unreg(main);
  }
  g_session_registered = false;
}

bool OnComebackMessage(HWND main, UINT msg, WPARAM wparam, LPARAM, LRESULT* result) {
  if (msg == WM_POWERBROADCAST) {
    OnPowerBroadcast(main, wparam);
    *result = TRUE;
    return true;
  }
  if (msg == WM_WTSSESSION_CHANGE) {
    if (wparam == WTS_SESSION_UNLOCK) ComeBack(true);
    *result = 0;
    return true;
  }
  if (msg == WM_DISPLAYCHANGE) {
    ComeBack(false);
    *result = 0;
    return true;
  }
  if (g_taskbar_created != 0 && msg == g_taskbar_created) {
    ComeBack(true);
    *result = 0;
    return true;
  }
  return false;
}

}  // namespace sylvane::app
