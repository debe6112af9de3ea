// Start-up of the Windows program: one instance only, the main window, the
// skin, the file given on the command line, and the message loop.
#include <windows.h>

#include <string>

#include "app/app_win.h"
#include "app/canvas_ops_win.h"
#include "app/update_cycle_win.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "platform/handles_win.h"
#include "platform/platform_win.h"
#include "platform/writable_folder.h"
#include "trees/ki_dialogs_win.h"
#include "ui/canvas_window_win.h"
#include "ui/changer_win.h"
#include "trees/mutation.h"
#include "trees/tree.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

// The command line without its double quotes and surrounding blanks.
std::string CommandLinePath(const char* command_line) {
  std::string path;
  for (const char* c = command_line ? command_line : ""; *c; ++c)
    if (*c != '"') path.push_back(*c);
  size_t first = path.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = path.find_last_not_of(" \t");
  return path.substr(first, last - first + 1);
}

void StartSkinOfMainWindow(HINSTANCE instance, HWND main) {
  SkinHost host;
  host.instance = instance;
  host.main_window = main;
  host.program_folder = GetPlatform().ProgramFolder();
  host.set_layered_attributes = LayeredWindowRoutine();
  host.skin_folder = [] { return Settings().folders[kFolderSkin]; };
  host.set_skin_folder = [](const std::string& folder) { Settings().folders[kFolderSkin] = folder; };
  host.set_png_skin = [](bool png) { Settings().skin_option = png ? 1 : 0; };
  host.transparency_mode = [] { return int(Settings().transparency_mode); };
  host.user_alpha = [] { return int(Settings().window_opacity); };
  host.map_rect = [] {
    const WindowRect& r = Settings().map_window;
    return SkinRect{r.x, r.y, r.width, r.height};
  };
  host.set_map_position = [](int left, int top) {
    Settings().map_window.x = left;
    Settings().map_window.y = top;
  };
  host.menu_state = [] { return CurrentMenuCheckState(); };
  InitSkin(host);
  StartSkin();
}

int Run(HINSTANCE instance, const char* command_line, int show_mode) {
  LookUpLayeredWindowRoutine();
  win::InstanceMutex mutex(kInstanceMutexName);
  if (mutex.already_running()) return 0;
  // A folder it cannot write: said once, and the program ends before any save fails.
  if (!WarnIfProgramFolderReadOnly(GetWin32Platform())) return 0;
  Windows().instance = instance;
  // The growing count changes on the worker too: the worker posts it to the
  // interface thread, which alone touches panels and window properties.
  const DWORD interface_thread = GetCurrentThreadId();
  Engine().Unguarded().table.SetCountListener([interface_thread](int n) {
    if (GetCurrentThreadId() == interface_thread)
      ShowGrowingCount(n);
    else if (Windows().main)
      PostMessageA(Windows().main, kGrowingCountMessage, WPARAM(n), 0);
  });
  // Mutation handling may run on the worker: the timer belongs to the interface thread.
  SetMutationTimerHooks(
      [] { GetWin32Platform().RunOnInterfaceThread([] { KillUpdateTimer(); }); },
      [] {
        GetWin32Platform().RunOnInterfaceThread([] {
          if (Engine().garden().canvas.exists && !Engine().Held()) StartUpdateTimer();
        });
      });

  HWND main = nullptr;
  if (RegisterMainWindowClass(instance)) main = CreateMainWindow(instance);
  if (!main) return 0;
  InstallTreeSaveDialog(main);
  // The main window is shown first: the user sees the program while the
  // changer and the canvas window are made.
  StartSkinOfMainWindow(instance, main);
  PlaceMainWindow(main);
  ShowMainWindowAtStart(main, show_mode);
  // The wallpaper changer and the canvas window: without them the program cannot run.
  Windows().changer = CreateChanger(instance, main, [](int docked) { MainDockState() = docked; });
  InstallAppServices(main);
  Windows().canvas_window = Windows().changer ? CreateCanvasWindow(instance, main) : nullptr;
  if (!Windows().changer || !Windows().canvas_window) {
    DestroyWindow(main);
    return 0;
  }
  DressSkinWindows(Windows().changer, Windows().canvas_window);
  ShowToolWindowsAtStart();
  // The garden is read once the windows are painted: a large garden and its
  // wallpaper take longer than everything before, and the user sees the
  // program at once.
  LoadOrCreateDefaultCanvas(main);

  std::string path = CommandLinePath(command_line);
  if (!path.empty()) {
    int result = OpenOrPlantFile(main, path);
    if (Engine().garden().canvas.exists && result >= 0) StartUpdateTimer();
  }

  // The missed growth runs once the message loop runs.
  PostMessageA(main, kCatchUpAtStartMessage, 0, 0);
  PublishState(kStateReady, 1);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND changer = Windows().changer;
    HWND canvas_window = Windows().canvas_window;
    if (changer && IsDialogMessageA(changer, &msg)) continue;
    if (canvas_window && IsDialogMessageA(canvas_window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // A growth pass still running at the end is told to stop before the process goes.
  Engine().StopAndWaitBriefly(2000);
  return static_cast<int>(msg.wParam);
}

}  // namespace
}  // namespace sylvane::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_mode) {
  return sylvane::app::Run(instance, command_line, show_mode);
}
