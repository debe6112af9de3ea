// The main window "SylvanWood": a frameless strip painted with the skin's main
// background. Creation runs the program's initialisation; the window is
// dragged by any point that is not an element and docks onto the wallpaper
// changer; closing stores the garden by the exit-saving setting.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/canvas_ops_win.h"
#include "app/dock.h"
#include "app/update_cycle_win.h"
#include "base/random.h"
#include "canvas/garden_engine.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "paint/lighting.h"
#include "platform/handles_win.h"
#include "platform/platform_win.h"
#include "platform/text.h"
#include "res/resource.h"
#include "trees/tree.h"
#include "ui/dpi_win.h"
#include "ui/changer_win.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

// Drag state of the main window.
struct DragState {
  bool dragging = false;
  POINT last{};       // last cursor position, screen pixels
  POINT grab{};       // cursor minus window left and top
  int right_gap = 0;  // window right minus cursor x
  int bottom_gap = 0; // window bottom minus cursor y
  RECT changer{};     // the changer's rectangle when the drag started
  int dock_offset = 0;  // cursor x minus changer left while docked
};
DragState g_drag;

NOTIFYICONDATAA g_tray{};
win::Icon g_tray_icon;
// Set once the tray icon was added at start-up: the icon the program shows.
bool g_tray_shown = false;
int g_tray_restores = 0;

void AddTrayIcon(HWND main) {
  g_tray = NOTIFYICONDATAA{};
  g_tray.cbSize = sizeof(g_tray);
  g_tray.hWnd = main;
  g_tray.uID = 0;
  g_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_tray.uCallbackMessage = WM_TRAY_CALLBACK;
  g_tray_icon.reset(static_cast<HICON>(
      LoadImageA(Windows().instance, MAKEINTRESOURCEA(IDI_SYLVANE_TRAY), IMAGE_ICON, 16, 16, 0)));
  g_tray.hIcon = g_tray_icon.get();
  lstrcpynA(g_tray.szTip, kTrayTip, sizeof(g_tray.szTip));
  Shell_NotifyIconA(NIM_ADD, &g_tray);
  g_tray_shown = true;
}

}  // namespace

void ShowTrayBalloon(const char* title, const char* text) {
  if (!g_tray.hWnd) return;
  NOTIFYICONDATAA balloon = g_tray;
  balloon.uFlags = NIF_INFO;
  lstrcpynA(balloon.szInfoTitle, title, sizeof(balloon.szInfoTitle));
  lstrcpynA(balloon.szInfo, text, sizeof(balloon.szInfo));
  balloon.dwInfoFlags = NIIF_INFO;
  Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

namespace {

void RemoveTrayIcon() {
  if (g_tray.hWnd) Shell_NotifyIconA(NIM_DELETE, &g_tray);
  g_tray_icon.reset();
  g_tray = NOTIFYICONDATAA{};
  g_tray_shown = false;
}

// Opens popup `index` of "MYMENU" at the cursor, with the check marks of the
// current state; the chosen command goes to the main window.
void ShowPopupMenu(HWND main, int index) {
  const gdi::Menu menu(LoadMenuA(Windows().instance, "MYMENU"));
  if (!menu.get()) return;
  HMENU popup = GetSubMenu(menu.get(), index);
  if (popup) {
    for (const MenuCheck& c : MenuChecksFor(CurrentMenuCheckState()))
      CheckMenuItem(popup, UINT(c.item), MF_BYCOMMAND | (c.checked ? MF_CHECKED : MF_UNCHECKED));
    POINT p;
    GetCursorPos(&p);
    SetForegroundWindow(main);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, p.x, p.y, 0, main, nullptr);
    // Lets the menu close when the user clicks elsewhere (tray menus).
    PostMessageA(main, WM_NULL, 0, 0);
  }
}

void OnCreate(HWND main) {
  GetWin32Platform().SetInterfaceWindow(main);
  SetPlatform(&GetWin32Platform());
  InitUpdateCycle();
  InstallEngineHooks(main);
  AddTrayIcon(main);
  DragAcceptFiles(main, TRUE);
  // The engine was built (and the table's 100 pens drew their random
  // numbers) before the seed.
  SeedRandom(static_cast<uint32_t>(GetPlatform().Seconds()));
  std::string folder = GetPlatform().ProgramFolder();
  Settings().Load(kSettingsFileName, folder);
  LoadOptions(OptionsPath(folder), AppOptions());
  SetSunLighting(SunLightingFromOptions(AppOptions()));
  NoteGardenStoppedAtFileTime(JoinPath(folder, kDefaultCanvasFile));
  StartComebackWatch(main);
}

void OnLeftButtonDown(HWND main) {
  if (GetCapture() == main) return;
  SetCapture(main);
  g_drag.dragging = true;
  POINT p;
  GetCursorPos(&p);
  RECT w;
  GetWindowRect(main, &w);
  g_drag.last = p;
  g_drag.grab = POINT{p.x - w.left, p.y - w.top};
  g_drag.right_gap = w.right - p.x;
  g_drag.bottom_gap = w.bottom - p.y;
  HWND changer = Windows().changer;
  if (changer) GetWindowRect(changer, &g_drag.changer);
  if (MainDockState() == 2) g_drag.dock_offset = p.x - g_drag.changer.left;
}

void OnMouseMove(HWND main) {
  if (!g_drag.dragging) return;
  POINT p;
  GetCursorPos(&p);
  if (p.x == g_drag.last.x && p.y == g_drag.last.y) return;
  HWND changer = Windows().changer;
  RECT w;
  GetWindowRect(main, &w);
  DockInput in;
  in.cursor_x = p.x;
  in.cursor_y = p.y;
  in.grab_x = g_drag.grab.x;
  in.grab_y = g_drag.grab.y;
  in.bottom_gap = g_drag.bottom_gap;
  in.main_width = w.right - w.left;
  in.docked = MainDockState();
  in.dock_offset = g_drag.dock_offset;
  in.has_changer = changer != nullptr && IsWindowVisible(changer);
  if (changer) {
    RECT c;
    GetWindowRect(changer, &c);
    in.changer_left = c.left;
    in.changer_top = c.top;
    in.changer_right = c.right;
  }
  DockResult r = DragStep(in);
  SetWindowPos(main, nullptr, r.main_x, r.main_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (r.move_changer && changer)
    SetWindowPos(changer, nullptr, r.changer_x, r.changer_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  MainDockState() = r.docked;
  // Kept in the settings too, so that a dock made by dragging the main window
  // is still there at the next start.
  Settings().changer_display = static_cast<uint8_t>(r.docked);
  g_drag.dock_offset = r.dock_offset;
  g_drag.last = p;
}

void OnLeftButtonUp(HWND main) {
  if (GetCapture() != main) return;
  ReleaseCapture();
  g_drag.dragging = false;
  if (Windows().changer) InvalidateRect(Windows().changer, nullptr, TRUE);
}

void OnDropFiles(HWND main, HDROP drop) {
  char path[MAX_PATH + 1] = {};
  UINT n = DragQueryFileA(drop, 0, path, MAX_PATH);
  DragFinish(drop);
  if (n == 0) return;
  OpenOrPlantFile(main, std::string(path, n));
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      Windows().main = hwnd;
      OnCreate(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintMainBackground(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(hwnd);
      return 0;
    case WM_DPICHANGED:
      MoveToSuggestedCorner(hwnd, lparam);  // the skin keeps its pixel size
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(hwnd);
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp(hwnd);
      return 0;
    case WM_RBUTTONDOWN:
      SetForegroundWindow(hwnd);
      ShowPopupMenu(hwnd, 0);
      return 0;
    case WM_TRAY_CALLBACK:
      if (lparam == WM_LBUTTONDOWN) {
        SetForegroundWindow(hwnd);
        OnCommand(hwnd, CMD_SHOW_WINDOWS);
      } else if (lparam == WM_RBUTTONDOWN) {
        ShowPopupMenu(hwnd, 1);
      }
      return 0;
    case WM_DROPFILES:
      OnDropFiles(hwnd, reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == TIMER_UPDATE) OnUpdateTimer(hwnd);
      return 0;
    case WM_CLOSE:
      CloseMainWindow(hwnd);
      return 0;
    case WM_QUERYENDSESSION:
      return SaveForSessionEnd(hwnd) ? TRUE : FALSE;
    case WM_DESTROY:
      RemovePropA(hwnd, kStateWorkerStarts);
      RemovePropA(hwnd, kStateWorkerEnds);
      RemovePropA(hwnd, kStateWorkerStartClock);
      RemovePropA(hwnd, kStateGrowing);
      RemovePropA(hwnd, kStateTimer);
      RemovePropA(hwnd, kStateReady);
      StopComebackWatch(hwnd);
      RemoveTrayIcon();
      KillUpdateTimer();
      DestroyChanger();
      if (Windows().canvas_window) DestroyWindow(Windows().canvas_window);
      Windows().changer = nullptr;
      Windows().canvas_window = nullptr;
      PostQuitMessage(0);
      return 0;
    case kRunOnInterfaceThreadMessage:
      return Win32Platform::HandleRunRequest(lparam);
    case kPassEndedMessage:
      OnPassEnded();
      return 0;
    case kGrowingCountMessage:
      ShowGrowingCount(int(wparam));
      return 0;
    case kCatchUpAtStartMessage:
      StartCatchUp(hwnd);
      return 0;
    default: {
      LRESULT result = 0;
      if (OnComebackMessage(hwnd, msg, wparam, lparam, &result)) return result;
      break;
    }
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

}  // namespace

void RestoreTrayIcon() {
  if (!g_tray_shown) return;
  // Still there (a resume): refreshed; lost with the old taskbar: added anew.
  if (!Shell_NotifyIconA(NIM_MODIFY, &g_tray)) Shell_NotifyIconA(NIM_ADD, &g_tray);
  PublishState(kStateTrayRestores, ++g_tray_restores);
}

AppWindows& Windows() {
  static AppWindows windows;
  return windows;
}

Options& AppOptions() {
  static Options options;
  return options;
}

void SaveAppOptions() { SaveOptions(OptionsPath(GetPlatform().ProgramFolder()), AppOptions()); }

GardenEngine& Engine() {
  static GardenEngine* engine = new GardenEngine();  // lives until exit
  return *engine;
}

void ShowGrowingCount(int count) {
  TreeCountPanelSetCount(count);
  PublishState(kStateGrowing, count);
}

void PublishState(const char* name, int value) {
  if (Windows().main) SetPropA(Windows().main, name, reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)));
}

int& MainDockState() {
  static int docked = kUndocked;
  return docked;
}

namespace {
SetLayeredWindowAttributesFn g_layered = nullptr;
}

SetLayeredWindowAttributesFn LayeredWindowRoutine() { return g_layered; }

void LookUpLayeredWindowRoutine() {
  g_layered = nullptr;
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (!user32) return;
  g_layered = reinterpret_cast<SetLayeredWindowAttributesFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kMainClassName;
  wc.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_SYLVANE_SMALL), IMAGE_ICON, 16, 16, 0));
  wc.hIcon = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(IDI_SYLVANE_SMALL), IMAGE_ICON, 32, 32, 0));
  return RegisterClassExA(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
  return CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kMainClassName, kMainTitle,
                         WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void PlaceMainWindow(HWND main) {
  LONG style = GetWindowLongA(main, GWL_STYLE);
  SetLastError(0);
  if (SetWindowLongA(main, GWL_STYLE, style ^ WS_CAPTION) == 0 && GetLastError() != 0)
    MessageBoxA(main, "test", "err", MB_OK);
  // A layered window that never received its attributes stays invisible: when
  // no skin set them (no skin.txt), the window is shown without layering.
  LONG ex = GetWindowLongA(main, GWL_EXSTYLE);
  BYTE alpha = 0;
  COLORREF key = 0;
  DWORD flags = 0;
  if ((ex & WS_EX_LAYERED) && !GetLayeredWindowAttributes(main, &key, &alpha, &flags))
    SetWindowLongA(main, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
  SIZE size = MainBackgroundSize();
  const MInitInfo& s = Settings();
  SetWindowPos(main, nullptr, s.main_x, s.main_y, size.cx, size.cy, SWP_NOZORDER | SWP_FRAMECHANGED);
  SetWindowPos(main, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void ShowMainWindowAtStart(HWND main, int show_mode) {
  if (Settings().windows_hidden) {
    ShowWindow(main, SW_HIDE);
    return;
  }
  ShowWindow(main, show_mode);
  UpdateWindow(main);
}

void ShowToolWindowsAtStart() {
  const MInitInfo& s = Settings();
  HWND changer = Windows().changer;
  HWND canvas_window = Windows().canvas_window;
  if (s.windows_hidden) {
    if (changer) ShowWindow(changer, SW_HIDE);
    if (canvas_window) ShowWindow(canvas_window, SW_HIDE);
    return;
  }
  if (changer) ShowWindow(changer, s.changer_state >= 1 ? SW_SHOW : SW_HIDE);
  if (canvas_window) ShowWindow(canvas_window, s.canvas_window_state >= 1 ? SW_SHOW : SW_HIDE);
  if (changer) UpdateWindow(changer);
  if (canvas_window) UpdateWindow(canvas_window);
}

void StoreMainWindowPosition(HWND main) {
  RECT r;
  if (!GetWindowRect(main, &r)) return;
  Settings().main_x = r.left;
  Settings().main_y = r.top;
}

bool CloseMainWindow(HWND main) {
  // Nothing may write the garden while a growth pass still changes it.
  bool go_on = true;
  if (!Engine().Change([&](Garden& garden) {
        if (!garden.canvas.exists) return;
        SaveDefaultCanvas(main);
        go_on = SaveByExitSetting(main, /*may_ask=*/true);
      }))
    return false;
  if (!go_on) return false;
  StoreMainWindowPosition(main);
  Settings().Save(kSettingsFileName, GetPlatform().ProgramFolder());
  DestroyWindow(main);
  return true;
}

bool SaveForSessionEnd(HWND main) {
  // Windows ends the session without waiting long: the worker is stopped, and
  // when it does not end within a few seconds the garden files are left as
  // they are rather than written from a half-grown table.
  GardenEngine& engine = Engine();
  bool stopped = engine.StopAndWaitBriefly(5000);
  GardenEngine::Hold hold(engine);
  if (engine.garden().canvas.exists && stopped) {
    SaveDefaultCanvas(main);
    if (!SaveByExitSetting(main, /*may_ask=*/false)) return false;
  }
  StoreMainWindowPosition(main);
  Settings().Save(kSettingsFileName, GetPlatform().ProgramFolder());
  return true;
}

}  // namespace sylvane::app
