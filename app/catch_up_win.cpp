// Catch-up growth of the Windows program: after start-up or a resume from
// sleep, the update passes the clock missed run on the worker one at a time
// (each started when the previous one's end arrives), with "追いつき中 n/m"
// on the timer panel; a change of the garden stops the run.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/app_win.h"
#include "canvas/catch_up.h"
#include "canvas/garden_engine.h"
#include "canvas/records/settings.h"
#include "platform/platform.h"
#include "res/commands.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

CatchUpRun g_run;
int64_t g_stopped_at = 0;  // seconds since 1970 (UTC) when the garden stopped; 0: none noted

// 100-nanosecond ticks since 1601 to seconds since 1970.
int64_t UnixSeconds(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return int64_t(ticks.QuadPart / 10000000ULL) - 11644473600LL;
}

int64_t NowSeconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return UnixSeconds(now);
}

void ShowProgress() {
  PublishState(kStateCatchUpDone, g_run.done());
  TimerPanelShowNote(g_run.active() ? g_run.Text() : std::string());
}

// The run is over: the panel shows the time again; a finished run's garden
// becomes the wallpaper.
void EndRun() {
  ShowProgress();
  if (!g_run.finished()) return;
  if (g_run.plan().daily) Engine().Unguarded().canvas.last_daily_update = GetPlatform().Now();
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
}

void StartNextPass() {
  if (!g_run.WantsPass()) return;
  GardenEngine& engine = Engine();
  // A pass of the clock runs: its end comes here again.
  if (engine.PassRunning()) return;
  if (!engine.StartPass(Settings(), g_run.plan().budget)) {
    // Held, a tree waiting for its place, or no canvas any more.
    g_run.Cancel();
    EndRun();
    return;
  }
  g_run.PassStarted();
  PublishState(kStateWorkerStarts, engine.passes_started());
}

}  // namespace

void NoteGardenStoppedAtFileTime(const std::string& canvas_file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(canvas_file.c_str(), GetFileExInfoStandard, &data)) return;
  g_stopped_at = UnixSeconds(data.ftLastWriteTime);
}

void NoteGardenStoppedNow() { g_stopped_at = NowSeconds(); }

void StartCatchUp(HWND) {
  const int64_t stopped_at = g_stopped_at;
  g_stopped_at = 0;
  if (!AppOptions().growth_catch_up || stopped_at == 0 || g_run.active()) return;
  const Canvas& canvas = Engine().garden().canvas;
  if (!canvas.exists) return;
  const CatchUpPlan plan = PlanCatchUp(SecondsBetween(stopped_at, NowSeconds()), canvas.update_interval,
                                       GetPlatform().Now(), canvas.last_daily_update);
  if (!g_run.Begin(plan)) return;
  PublishState(kStateCatchUpPlanned, plan.passes);
  ShowProgress();
  StartNextPass();
}

void CatchUpAfterPass() {
  if (!g_run.active()) return;
  if (g_run.PassEnded()) ShowProgress();
  if (!g_run.active()) {
    EndRun();
    return;
  }
  StartNextPass();
}

void CancelCatchUp() {
  if (!g_run.active()) return;
  g_run.Cancel();
  EndRun();
}

bool CatchUpRunning() { return g_run.active(); }

}  // namespace sylvane::app
