// The update cycle: the one-second timer (id 40018) of the main window, the
// three update commands (40001 periodic, 41005 daily, 41006 first), the growth
// worker at the lowest priority and the stop-and-wait with which the
// interface thread makes sure no growth pass runs.
#pragma once
#include <windows.h>

#include <string>

#include "canvas/image/surface.h"

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

// True while a growth pass runs on the worker.
bool WorkerRunning();
// Starts the worker when none runs (one growth pass with budget 200).
void StartWorker(HWND main);
// Waits until a worker thread that has ended is gone (for tests and shutdown).
void ForgetEndedWorker();

// Sets the stop flag and, while the worker runs, shows "作業停止中" on the
// timer panel and waits 500 ms at a time, at most 100 times. Sent messages
// (a question of the worker) are let through while it waits. Returns true
// when no worker runs afterwards.
bool StopAndWait();
// Sets the stop flag and waits at most `ms` milliseconds (the Windows
// shutdown query). True when no worker runs afterwards.
bool StopAndWaitBriefly(DWORD ms);
// StopAndWait for an operation that changes the garden (saving, opening or
// creating a canvas, planting, the sample garden): false, after the message
// "樹の成長処理が終わらないため、この操作を中止しました。" , when the worker
// still runs, so that nothing changes the table under it.
bool StopWorkerForChange();

// Copies of the tree layer and weight plane taken when the running pass
// started (what the garden looked like as the previous pass left it).
const Surface& SnapshotTrees();
const AlphaPlane& SnapshotWeight();

// While an object of this kind lives no growth pass starts on the worker and
// the clock stands still: for a growth pass on the interface thread (the daily
// pass, the sample garden) and for operations that change or save the garden
// through modal windows (file dialogs, questions), whose message loops would
// otherwise let the clock start a pass under them. Holds may nest.
class HoldWorker {
 public:
  HoldWorker();
  ~HoldWorker();
  HoldWorker(const HoldWorker&) = delete;
  HoldWorker& operator=(const HoldWorker&) = delete;

 private:
  bool timer_was_running_;
};
bool WorkerHeld();

// The three update commands.
void PeriodicUpdate(HWND main);
void DailyUpdate(HWND main);
void FirstUpdate(HWND main);

// The daily check run at once after a canvas with interval 0 was opened:
// when today's day differs from the stored one, the daily update runs.
void DailyCheck(HWND main);

}  // namespace sylvane::app
