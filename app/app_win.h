// The Windows program's shell: the process-wide window handles and the entry
// points shared by start-up, the main window, the command dispatch and the
// update cycle.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "canvas/garden_engine.h"
#include "canvas/records/options.h"
#include "ui/menu_checks.h"

namespace sylvane::app {

// The garden engine: the program's garden and its growth worker, built on
// the first call (before the random generator is seeded).
GardenEngine& Engine();

// The options of "sylvane-options.ini", read at start-up (defaults when the
// file is missing or damaged). Whoever changes one saves them with SaveAppOptions.
Options& AppOptions();
void SaveAppOptions();

// Posted to the main window by the worker when its pass has ended.
constexpr UINT kPassEndedMessage = WM_APP + 0x52;
// Posted to the main window by the worker with a new growing count (wParam).
constexpr UINT kGrowingCountMessage = WM_APP + 0x53;
// The growing count on the tree-count panel and as a published state.
void ShowGrowingCount(int count);
// Posted to itself at start-up: the catch-up growth once the loop runs.
constexpr UINT kCatchUpAtStartMessage = WM_APP + 0x5C;

inline constexpr char kMainClassName[] = "SylvanWood";
inline constexpr char kInstanceMutexName[] = "SylvaneWood";
inline constexpr char kMainTitle[] = "シルヴァネ";
inline constexpr char kDefaultCanvasFile[] = "default.syl";
inline constexpr char kTrayTip[] = "sylvane";

// The top-level windows. The changer and the canvas window are null while
// the program has none.
struct AppWindows {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  HWND changer = nullptr;
  HWND canvas_window = nullptr;
};
AppWindows& Windows();

// SetLayeredWindowAttributes, looked up by name in user32.dll at start-up; null when missing.
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
SetLayeredWindowAttributesFn LayeredWindowRoutine();
void LookUpLayeredWindowRoutine();

// A few numbers of the running program published as properties of the main
// window, so that tools (the end-to-end tests) can read them from outside.
inline constexpr char kStateWorkerStarts[] = "SylvaneWorkerStarts";  // growth passes started on the worker
inline constexpr char kStateWorkerEnds[] = "SylvaneWorkerEnds";      // growth passes ended on the worker
inline constexpr char kStateWorkerStartClock[] = "SylvaneWorkerStartClock";  // timer clock (s) at the last start
inline constexpr char kStateGrowing[] = "SylvaneGrowing";            // growing-tree count
inline constexpr char kStateTimer[] = "SylvaneTimer";                // 1 while the one-second timer runs
inline constexpr char kStateReady[] = "SylvaneReady";                // 1 once start-up has finished
inline constexpr char kStateTrayRestores[] = "SylvaneTrayRestores";  // times the tray icon was put back
inline constexpr char kStateComebacks[] = "SylvaneComebacks";  // resumes, unlocks, display changes, new taskbars handled
inline constexpr char kStateCatchUpPlanned[] = "SylvaneCatchUpPlanned";  // passes of the last catch-up run
inline constexpr char kStateCatchUpDone[] = "SylvaneCatchUpDone";        // of them, passes ended
void PublishState(const char* name, int value);
// A balloon of the tray icon (nothing when there is no icon).
void ShowTrayBalloon(const char* title, const char* text);

// ---- main window (main_window_win.cpp) ----
bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
// Removes the caption, places the window at the stored position with the
// size of the skin's main background.
void PlaceMainWindow(HWND main);
// Start-up shows the main window first, painted at once, and then the
// changer and the canvas window by their stored states; with "windows
// hidden" all three stay hidden.
void ShowMainWindowAtStart(HWND main, int show_mode);
void ShowToolWindowsAtStart();
// The close handling (stop, "default.syl", exit-saving setting, settings
// file); false when the user cancelled and the program goes on.
bool CloseMainWindow(HWND main);

// Puts the tray icon back where the program shows it (after a new taskbar,
// a resume or an unlock): added again when the shell lost it.
void RestoreTrayIcon();

// ---- back at once (resume_win.cpp) ----
// Registers for the session's lock notifications and learns the taskbar's
// "TaskbarCreated" message; StopComebackWatch undoes the registration.
void StartComebackWatch(HWND main);
void StopComebackWatch(HWND main);
// Power changes, session unlocks, display changes and a new taskbar: the tray
// icon comes back, the wallpaper is set again at once and (with catch-up
// growth on) the missed passes run. True when msg was one of them; *result
// is the window procedure's answer.
bool OnComebackMessage(HWND main, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result);

// ---- catch-up growth (catch_up_win.cpp) ----
// Start-up: the time the garden last ran, from the canvas file's last write;
// call before the canvas file is loaded (or written).
void NoteGardenStoppedAtFileTime(const std::string& canvas_file);
// The computer goes to sleep now.
void NoteGardenStoppedNow();
// With [growth] catch_up on and a noted stop: the missed passes run on the
// worker one after another, then the wallpaper is made. Otherwise nothing.
void StartCatchUp(HWND main);
// A pass ended (kPassEndedMessage): the run's next pass, or its end.
void CatchUpAfterPass();
// A change of the garden holds the engine: the run stops there.
void CancelCatchUp();
bool CatchUpRunning();

// ---- commands (commands_win.cpp) ----
void OnCommand(HWND main, int id);
// Sends a command to the main window (synchronously).
void SendCommand(int id);
// Opens a canvas file or plants a tree file given on the command line or
// dropped on a window. Returns 0 for a canvas, 1 for a planted tree, -1 on failure.
int OpenOrPlantFile(HWND main, const std::string& path);
// Plants a tree file (path, or the open-tree dialog when null): loads it into
// the first empty slot and shows the map window for the planting position
// (the click arrives as 40016). 0 when the map is shown, -1 otherwise.
int PlantTreeFile(HWND main, const std::string* path);
// What puts a tree into the table to be planted: the slot it waits in
// (state 0), or a negative code after its message. Runs inside the gate.
using SlotLoader = std::function<int(Garden& garden)>;
// The planting path of PlantTreeFile with any loader: the canvas and free-slot
// checks, the loader, the scatter dialog when the scatter mode asks for it,
// then the map. 0 when the map is shown, -1 otherwise.
int PlantWithLoader(HWND main, const SlotLoader& load);
// Shows the map window for the tree waiting in slot (planting by a click,
// which arrives as 40016); the engine holds no pass meanwhile. 0.
int ShowMapForPlanting(HWND main, int slot);
// True while the map window waits for a planting position.
bool PlantingPending();
// ---- breeding (breed_win.cpp) ----
// 40095 "交配させる": crosses the two trees marked in the canvas window and
// plants the child through the map like a tree file.
void OnBreed(HWND main, int id);
// The map click planted the tree waiting in slot (any planting).
void AfterPlanted(int slot);

// Gives the windows of ui/ what they need of the program (ui/app_services_win.h).
void InstallAppServices(HWND main);

// The Windows shutdown query: "default.syl" and the automatic saving (no
// question); false when the user cancelled the save dialog.
bool SaveForSessionEnd(HWND main);

// 2 while the main window hangs on the changer (dock.h), 0 otherwise. The
// changer undocks it when it is dragged away.
int& MainDockState();

// The state the popup menus' check marks follow.
MenuCheckState CurrentMenuCheckState();

}  // namespace sylvane::app
