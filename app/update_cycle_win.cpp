#include "app/update_cycle_win.h"

#include <algorithm>
#include <string>

#include "app/app_win.h"
#include "app/diary_win.h"
#include "canvas/garden_engine.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "platform/platform_win.h"
#include "res/changer_resource.h"
#include "res/resource.h"
#include "canvas/garden.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

bool g_timer_running = false;
bool g_first_update_done = false;
// Whether the clock ran when the engine's first hold began.
bool g_timer_ran_before_hold = false;

// Waits up to ms milliseconds for the worker to end, letting messages sent by
// other threads through (the worker may be waiting for an answer of this
// thread): in slices, since the worker's end comes as a posted message.
void WaitLettingSentMessagesThrough(int ms) {
  const DWORD start = GetTickCount();
  while (Engine().PassRunning()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= DWORD(ms)) return;
    const DWORD slice = std::min<DWORD>(DWORD(ms) - elapsed, 20);
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

void SendToChanger(int id) {
  if (Windows().changer) SendMessageA(Windows().changer, WM_COMMAND, WPARAM(id), 0);
}

}  // namespace

void InitUpdateCycle() {
  g_first_update_done = false;
  Win32Platform& platform = GetWin32Platform();
  // A question of the worker (a new mutant) stops the clock while it is shown.
  static bool timer_was_running = false;
  platform.before_request = [] {
    timer_was_running = g_timer_running;
    KillUpdateTimer();
  };
  platform.after_request = [] {
    if (timer_was_running) StartUpdateTimer();
  };
}

void InstallEngineHooks(HWND main) {
  EngineHooks hooks;
  hooks.worker_started = [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST); };
  hooks.pass_ended = [main] { PostMessageA(main, kPassEndedMessage, 0, 0); };
  hooks.pass_joined = [] { PublishState(kStateWorkerEnds, Engine().passes_ended()); };
  hooks.wait = [](int ms) { WaitLettingSentMessagesThrough(ms); };
  hooks.serving_worker = [] { return GetWin32Platform().ServingRequest(); };
  hooks.stopping = [] {
    // The gate or the daily pass stops the worker: a catch-up run ends with it.
    CancelCatchUp();
    TimerPanelShowStopped();
  };
  hooks.held = [](bool held) {
    if (held) {
      CancelCatchUp();
      g_timer_ran_before_hold = g_timer_running;
      KillUpdateTimer();
    } else if (g_timer_ran_before_hold && !g_timer_running) {
      // Restarted only when it ran before and nothing (a new canvas) started it since.
      StartUpdateTimer();
    }
  };
  hooks.save_folder_chosen = [](const std::string& folder) { Settings().folders[kFolderSaveTrees] = folder; };
  Engine().SetHooks(hooks);
}

void OnPassEnded() {
  Engine().OnPassEnded();
  CatchUpAfterPass();
}

void StartUpdateTimer() {
  HWND main = Windows().main;
  if (!main) return;
  if (SetTimer(main, TIMER_UPDATE, 1000, nullptr)) g_timer_running = true;
  PublishState(kStateTimer, g_timer_running ? 1 : 0);
}

void KillUpdateTimer() {
  if (Windows().main) KillTimer(Windows().main, TIMER_UPDATE);
  g_timer_running = false;
  PublishState(kStateTimer, 0);
}

bool UpdateTimerRunning() { return g_timer_running; }

void ClearFirstUpdateFlag() { g_first_update_done = false; }
bool FirstUpdateFlag() { return g_first_update_done; }

void OnUpdateTimer(HWND) {
  Engine().OnPassEnded();
  // A map window closed by its cancel button ends the planting it waited for.
  PlantingPending();
  Canvas& canvas = Engine().Unguarded().canvas;
  TimerTickState state{canvas.elapsed_hours,     canvas.elapsed_minutes, canvas.elapsed_seconds,
                       g_first_update_done,      canvas.update_interval, canvas.remaining_minutes,
                       canvas.last_daily_update};
  TimerPanelTick(state);
}

void StartWorker() {
  GardenEngine& engine = Engine();
  if (!engine.StartPass(Settings(), kPeriodicBudget)) return;
  const Canvas& canvas = engine.garden().canvas;
  PublishState(kStateWorkerStarts, engine.passes_started());
  PublishState(kStateWorkerStartClock,
               canvas.elapsed_hours * 3600 + canvas.elapsed_minutes * 60 + canvas.elapsed_seconds);
}

void PeriodicUpdate(HWND) {
  SendCommand(CMD_MAKE_WALLPAPER);
  // The first update of the day keeps the garden in its diary.
  KeepDiaryPicture();
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  HWND changer = Windows().changer;
  if (changer && IsDlgButtonChecked(changer, IDC_CHANGER_GARDEN) == BST_CHECKED) SendToChanger(CMD_CHANGER_REFRESH);
  StartWorker();
}

void DailyUpdate(HWND) {
  GardenEngine& engine = Engine();
  if (!engine.garden().canvas.exists || engine.Held()) return;
  if (!engine.RunPassHere(Settings(), kDailyBudget)) return;
  // The day counts as done only once its pass has run.
  engine.Unguarded().canvas.last_daily_update = GetPlatform().Now();
  SendCommand(CMD_MAKE_WALLPAPER);
  KeepDiaryPicture();
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
}

void FirstUpdate(HWND) { StartWorker(); }

void DailyCheck(HWND main) {
  const Canvas& canvas = Engine().garden().canvas;
  LocalTime now = GetPlatform().Now();
  if (now.day != canvas.last_daily_update.day) OnCommand(main, CMD_DAILY_UPDATE);
}

}  // namespace sylvane::app
