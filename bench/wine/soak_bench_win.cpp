// The soak benchmark of the Windows program. Starts sylvane.exe in a fresh
// program folder whose garden (default.syl, update interval 1 minute) is
// given by SYLVANE_BENCH_GARDEN and drives it through many updates the way
// the clock does: 60 ticks of the one-second timer make one periodic update
// (picture, "default.bmp", wallpaper, canvas-window refresh, growth pass on
// the worker). After a warm-up it samples, every --every updates once the
// growth pass has ended, the program's private memory, its GDI and USER
// objects and its kernel handles (process_objects_win.h: under Wine, whose
// GetGuiResources answers 0, the GDI handle table, the windows and the
// system's handle list); the values after the warm-up are the baseline. Fails when private memory
// ends above 1.1 times its warm-up value or GDI objects, USER objects or
// handles end above theirs.
// Options: --updates N (1000), --warmup N (100), --every N (50).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support_win.h"
#include "e2e_support.h"
#include "process_objects_win.h"

namespace {

using namespace bench;

constexpr int kTicksPerUpdate = 60;      // one minute of the clock at interval 1

struct Sample {
  int update = 0;
  double private_mib = 0;
  long gdi = 0;       // GDI objects (-1: not readable)
  long user = 0;      // USER objects, or windows where those are not readable
  long handles = 0;   // kernel handles (-1: not readable)
  bool user_are_windows = false;
  int passes = 0;     // growth passes ended on the worker so far
};

Sample Take(HANDLE process, DWORD pid, int update) {
  Sample s;
  s.update = update;
  s.private_mib = double(PrivateBytes(process)) / (1024.0 * 1024.0);
  const bench::ProcessObjects o = bench::CountProcessObjects(process, pid);
  s.gdi = o.gdi;
  s.user = o.user;
  s.handles = o.handles;
  s.user_are_windows = o.user_are_windows;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int updates = std::max(1, IntArg(argc, argv, "--updates", 1000));
  const int warmup = std::clamp(IntArg(argc, argv, "--warmup", 100), 0, updates - 1);
  const int every = std::max(1, IntArg(argc, argv, "--every", 50));
  char garden[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableA("SYLVANE_BENCH_GARDEN", garden, sizeof(garden));
  if (n == 0 || n >= sizeof(garden) || !e2e::Exists(garden)) {
    std::printf("soak: SYLVANE_BENCH_GARDEN does not name a garden file\n");
    return 2;
  }
  std::printf("sylvane soak benchmark: %d timer-driven updates, warm-up %d, a sample every %d\n", updates, warmup,
              every);
  std::fflush(stdout);

  e2e::App app("soak");
  if (!CopyFileA(garden, app.File("default.syl").c_str(), FALSE)) {
    std::printf("soak: cannot copy the garden into the program folder\n");
    return 2;
  }
  // Mutants are never saved (no question boxes); closing saves nothing more.
  sylvane::MInitInfo settings = e2e::TestSettings(app.folder());
  settings.mutant_handling = 1;
  settings.exit_saving = 0;
  e2e::WriteSettings(settings, app.folder());
  if (!app.Start()) {
    std::printf("soak: the program did not start\nsoak: finished with failures\n");
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid());
  if (!process) {
    std::printf("soak: cannot open the program's process\nsoak: finished with failures\n");
    return 1;
  }
  int failures = 0;
  std::vector<Sample> samples;
  Sample base;
  const DWORD started = GetTickCount();
  for (int u = 1; u <= updates; ++u) {
    app.Tick(kTicksPerUpdate);
    AnswerBoxes(app);
    if (u != warmup && u % every != 0 && u != updates) continue;
    if (!WaitWorkerIdle(app)) {
      std::printf("soak: update %d: the growth pass did not end\n", u);
      ++failures;
      break;
    }
    app.Sync();
    Sample s = Take(process, app.pid(), u);
    s.passes = app.State("SylvaneWorkerEnds");
    if (u == warmup) base = s;
    if (u >= warmup) samples.push_back(s);
    std::printf("update %5d: private %7.1f MiB, GDI %4ld, USER %4ld, handles %4ld, passes %5d, %lu s\n", u,
                s.private_mib, s.gdi, s.user, s.handles, s.passes,
                static_cast<unsigned long>((GetTickCount() - started) / 1000));
    std::fflush(stdout);
  }
  if (warmup == 0 && !samples.empty()) base = samples.front();
  if (!samples.empty()) {
    const Sample& last = samples.back();
    double peak = 0;
    long peak_gdi = 0, peak_user = 0, peak_handles = 0;
    for (const Sample& s : samples) {
      peak = std::max(peak, s.private_mib);
      peak_gdi = std::max(peak_gdi, s.gdi);
      peak_user = std::max(peak_user, s.user);
      peak_handles = std::max(peak_handles, s.handles);
    }
    std::printf("\n%-22s %14s %14s %14s %10s\n", "figure", "after warm-up", "at the end", "highest", "verdict");
    auto row = [&](const char* name, double b, double e, double h, bool ok) {
      std::printf("%-22s %14.1f %14.1f %14.1f %10s\n", name, b, e, h, ok ? "ok" : "GROWS");
      if (!ok) ++failures;
    };
    row("private memory (MiB)", base.private_mib, last.private_mib, peak, last.private_mib <= base.private_mib * 1.1);
    // A count that cannot be read at all is a failure, not a pass.
    row("GDI objects", base.gdi, last.gdi, peak_gdi, base.gdi > 0 && last.gdi <= base.gdi);
    row(base.user_are_windows ? "USER: windows" : "USER objects", base.user, last.user, peak_user,
        base.user > 0 && last.user <= base.user);
    row("kernel handles", base.handles, last.handles, peak_handles, base.handles > 0 && last.handles <= base.handles);
    if (base.user_are_windows)
      std::printf("note: USER objects are not readable on this system (Wine): the program's windows are counted\n");
    std::printf("growth passes ended on the worker: %d in %d updates\n", last.passes, updates);
  }
  CloseHandle(process);
  if (!app.Close(30000)) {
    std::printf("soak: the program did not close; ended it\n");
    app.Kill();
  }
  std::printf("%s\n", failures ? "soak: finished with failures" : "soak: finished");
  std::fflush(stdout);
  return failures ? 1 : 0;
}
