#include "app/update_cycle_win.h"

#include <atomic>

#include "app/app_win.h"
#include "canvas/records/name_labels.h"
#include "canvas/records/settings.h"
#include "paint/canvas.h"
#include "platform/platform_win.h"
#include "res/resource.h"
#include "canvas/garden.h"
#include "trees/growth.h"
#include "ui/skin_win.h"

namespace sylvane::app {
namespace {

// 1 while a growth pass runs on the worker. Set by the interface thread just
// before the thread is created (so two quick starts never make two workers),
// cleared by the worker when its pass has ended.
std::atomic<uint8_t> g_worker_running{0};
HANDLE g_worker_thread = nullptr;
bool g_timer_running = false;
bool g_first_update_done = false;
// Number of live HoldWorker objects: no worker is started while it is above 0.
int g_holds = 0;

// Growth passes started on the worker since start-up.
int g_worker_starts = 0;
std::atomic<int> g_worker_ends{0};

// The layers as the previous pass left them, for pictures made while a pass runs.
Surface g_snapshot_trees;
AlphaPlane g_snapshot_weight;

// The labels of trees that flower during a worker pass: collected apart and
// moved into the canvas's label list by the interface thread once the pass
// has ended, so that window paints never read a list that grows under them.
LabelList g_worker_labels;
// What the running pass works with, made on the interface thread before it starts.
GrowthEnv g_worker_env;

DWORD WINAPI WorkerBody(LPVOID) {
  GrowthPass(GetTreeTable(), g_worker_env, kPeriodicBudget);
  PublishState(kStateWorkerEnds, ++g_worker_ends);
  g_worker_running.store(0);
  GrowthStopFlag().store(1);
  return 0;
}

// Waits up to ms milliseconds for the worker to end, letting messages sent by
// other threads through (the worker may be waiting for an answer of this thread).
void WaitForWorker(DWORD ms) {
  DWORD start = GetTickCount();
  while (g_worker_running.load()) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    HANDLE handles[1] = {g_worker_thread};
    DWORD count = g_worker_thread ? 1 : 0;
    DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, ms - elapsed, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0 + count) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (r == WAIT_TIMEOUT || r == WAIT_FAILED) {
      if (r == WAIT_FAILED) Sleep(10);
      if (r == WAIT_TIMEOUT) return;
    }
  }
}

// Moves the labels of an ended pass into the canvas's list.
void MergeWorkerLabels() {
  if (g_worker_running.load() || g_worker_labels.entries.empty()) return;
  LabelList& labels = GetLabelList();
  for (const LabelEntry& e : g_worker_labels.entries) labels.Add(e);
  g_worker_labels.Clear();
}

void SendToChanger(int id) {
  if (Windows().changer) SendMessageA(Windows().changer, WM_COMMAND, WPARAM(id), 0);
}

}  // namespace

void InitUpdateCycle() {
  GrowthStopFlag().store(1);
  g_worker_running.store(0);
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
  MergeWorkerLabels();
  Canvas& canvas = GetCanvas();
  TimerTickState state{canvas.elapsed_hours,     canvas.elapsed_minutes, canvas.elapsed_seconds,
                       g_first_update_done,      canvas.update_interval, canvas.remaining_minutes,
                       canvas.last_daily_update};
  TimerPanelTick(state);
}

bool WorkerRunning() { return g_worker_running.load() != 0; }

void StartWorker(HWND) {
  if (g_worker_running.load() || g_holds > 0) return;
  // A loaded tree waits in an empty slot for its planting position: a pass
  // could give that slot to a new child.
  if (PlantingPending()) return;
  Canvas& canvas = GetCanvas();
  if (!canvas.exists) return;
  // The copy that pictures are made from while the pass paints.
  g_snapshot_trees.CopyFrom(canvas.trees);
  g_snapshot_weight = canvas.weight;
  ForgetEndedWorker();
  MergeWorkerLabels();
  g_worker_env = MakeGrowthEnv(canvas, g_worker_labels, Settings());
  g_worker_env.stop = &GrowthStopFlag();
  g_worker_running.store(1);
  GrowthStopFlag().store(0);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WorkerBody, nullptr, CREATE_SUSPENDED, &id);
  if (!thread) {
    // Not started: the next update tries again.
    g_worker_running.store(0);
    GrowthStopFlag().store(1);
    return;
  }
  SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
  g_worker_thread = thread;
  ++g_worker_starts;
  PublishState(kStateWorkerStarts, g_worker_starts);
  PublishState(kStateWorkerStartClock,
               canvas.elapsed_hours * 3600 + canvas.elapsed_minutes * 60 + canvas.elapsed_seconds);
  ResumeThread(thread);
}

void ForgetEndedWorker() {
  if (g_worker_thread && !g_worker_running.load()) {
    WaitForSingleObject(g_worker_thread, INFINITE);
    CloseHandle(g_worker_thread);
    g_worker_thread = nullptr;
  }
}

bool StopAndWait() {
  GrowthStopFlag().store(1);
  if (!g_worker_running.load()) {
    MergeWorkerLabels();
    return true;
  }
  TimerPanelShowStopped();
  // Nested inside a request of the worker, this thread cannot wait for it:
  // the worker is blocked until the request returns.
  if (GetWin32Platform().ServingRequest()) return !g_worker_running.load();
  for (int i = 0; i < 100 && g_worker_running.load(); ++i) WaitForWorker(500);
  MergeWorkerLabels();
  return !g_worker_running.load();
}

bool StopAndWaitBriefly(DWORD ms) {
  GrowthStopFlag().store(1);
  if (!g_worker_running.load()) {
    MergeWorkerLabels();
    return true;
  }
  if (GetWin32Platform().ServingRequest()) return false;
  WaitForWorker(ms);
  MergeWorkerLabels();
  return !g_worker_running.load();
}

bool StopWorkerForChange() {
  if (StopAndWait()) return true;
  ShowMessage("樹の成長処理が終わらないため、この操作を中止しました。しばらくしてからもう一度実行してください。",
              "作業停止中");
  return false;
}

const Surface& SnapshotTrees() { return g_snapshot_trees; }
const AlphaPlane& SnapshotWeight() { return g_snapshot_weight; }

void PeriodicUpdate(HWND main) {
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
  HWND changer = Windows().changer;
  if (changer && IsDlgButtonChecked(changer, 1131) == BST_CHECKED) SendToChanger(CMD_CHANGER_REFRESH);
  StartWorker(main);
}

HoldWorker::HoldWorker() : timer_was_running_(g_timer_running) {
  KillUpdateTimer();
  ++g_holds;
}

HoldWorker::~HoldWorker() {
  --g_holds;
  // Restarted only when it ran before and nothing (a new canvas) started it since.
  if (timer_was_running_ && !g_timer_running) StartUpdateTimer();
}

bool WorkerHeld() { return g_holds > 0; }

void DailyUpdate(HWND) {
  if (!GetCanvas().exists || g_holds > 0) return;
  if (!StopAndWait()) return;
  {
    HoldWorker hold;
    GardenGrowthPass(kDailyBudget, /*honour_stop=*/false);
  }
  SendCommand(CMD_MAKE_WALLPAPER);
  SendCommand(CMD_REFRESH_CANVAS_WINDOW);
}

void FirstUpdate(HWND main) { StartWorker(main); }

void DailyCheck(HWND main) {
  Canvas& canvas = GetCanvas();
  LocalTime now = GetPlatform().Now();
  if (now.day != canvas.last_daily_update.day) {
    canvas.last_daily_update = now;
    OnCommand(main, CMD_DAILY_UPDATE);
  }
}

}  // namespace sylvane::app
