// The update cycle: the one-second timer (id 40018) of the main window, the
// three update commands (40001 periodic, 41005 daily, 41006 first), the growth
// worker at the lowest priority and the stop-and-wait with which the
// interface thread makes sure no growth pass runs.
#pragma once
#include <windows.h>

#include <string>


namespace sylvane::app {

// Start-up: stop flag 1, worker not running, first-update flag clear.
void InitUpdateCycle();

// The one-second timer. A failed SetTimer is ignored.
void StartUpdateTimer();
void KillUpdateTimer();
bool UpdateTimerRunning();
// The timer message: one tick of the clock, which may send 41006, 40001, 41005.
void OnUpdateTimer(HWND main);

// The first-update flag of the clock (cleared at start-up and when a canvas is created).
void ClearFirstUpdateFlag();
bool FirstUpdateFlag();

// The garden engine's hooks of the Windows program: the worker at the lowest
// priority, its end posted to the main window (kPassEndedMessage), waits that
// let the worker's questions through, "作業停止中" on the timer panel, the
// clock stopped while the engine is held.
void InstallEngineHooks(HWND main);
// The main window got kPassEndedMessage.
void OnPassEnded();

// The three update commands.
void PeriodicUpdate(HWND main);
void DailyUpdate(HWND main);
void FirstUpdate(HWND main);

// The daily check run at once after a canvas with interval 0 was opened:
// when today's day differs from the stored one, the daily update runs.
void DailyCheck(HWND main);

}  // namespace sylvane::app
