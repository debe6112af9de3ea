// The wallpaper of every monitor in the Windows program's periodic update.
// Starts sylvane.exe with the garden of SYLVANE_BENCH_GARDEN (fit-to-desktop
// style) on the monitors the system reports, in pairs of runs: one with
// "[wallpaper] per_monitor" off (the one garden picture as before: the
// baseline) and one with it on (render once, compose every monitor, write,
// set). For each it measures the periodic update (command 40001 sent with
// SendMessageA, growth pass excluded) and the program's private memory after
// the updates. The monitors are those of --monitors (two 3840 x 2160 side by
// side unless given), handed to the program through SYLVANE_MONITORS, as a
// Wine desktop has one monitor only; the wallpaper is then set as under Wine
// (no desktop wallpaper object: the picture across the desktop, tiled).
// Options: --runs N (3), --updates N (8), --monitors WxH+X+Y,...
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "res/commands.h"

namespace {

constexpr DWORD kWorkerWaitMs = 180000;  // longest growth pass waited for

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

// Private bytes (commit charge); Wine fills only PagefileUsage.
SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
    return 0;
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

int IntArg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  }
  return fallback;
}

void AnswerBoxes(e2e::App& app) {
  for (const e2e::Box& b : app.Boxes()) {
    std::printf("note: the program showed a box \"%s\": \"%s\"\n", b.caption.c_str(), b.text.c_str());
    app.Press(b, IDOK);
  }
}

bool WaitWorkerIdle(e2e::App& app) {
  return e2e::WaitUntil(
      [&] {
        AnswerBoxes(app);
        return app.State("SylvaneWorkerEnds") >= app.State("SylvaneWorkerStarts");
      },
      kWorkerWaitMs);
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM count) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    std::printf("monitor %d: %ldx%ld%+ld%+ld\n", ++*reinterpret_cast<int*>(count), r.right - r.left,
                r.bottom - r.top, r.left, r.top);
  }
  return TRUE;
}

struct Figures {
  std::vector<double> update_ms;  // each periodic update
  std::vector<double> memory_mib;  // private memory after each run's updates
  std::vector<double> start_mib;   // private memory after start-up
};

// One run of the program; false on a failure (printed).
bool Run(const std::string& garden, bool per_monitor, int run, int updates, Figures& out) {
  e2e::App app(std::string(per_monitor ? "monitors_on_" : "monitors_off_") + std::to_string(run));
  if (!CopyFileA(garden.c_str(), app.File("default.syl").c_str(), FALSE)) {
    std::printf("bench: cannot copy the garden\n");
    return false;
  }
  sylvane::MInitInfo s = e2e::TestSettings(app.folder());
  s.wallpaper_style = 2;  // fit to the desktop: every monitor scales the garden
  s.lighting_mode = 0;
  e2e::WriteSettings(s, app.folder());
  e2e::WriteTextFile(app.File("sylvane-options.ini"),
                     per_monitor ? "[wallpaper]\nper_monitor = true\n" : "[wallpaper]\nper_monitor = false\n");
  if (!app.Start()) {
    std::printf("bench: the program did not start\n");
    return false;
  }
  AnswerBoxes(app);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid());
  bool ok = process != nullptr;
  app.Sync();
  ok = WaitWorkerIdle(app) && ok;
  const double mib = 1.0 / (1024.0 * 1024.0);
  if (process) out.start_mib.push_back(double(PrivateBytes(process)) * mib);
  for (int u = 0; u < updates && ok; ++u) {
    const int ends_before = app.State("SylvaneWorkerEnds");
    const double t0 = Now();
    SendMessageA(app.main(), WM_COMMAND, WPARAM(CMD_PERIODIC_UPDATE), 0);
    out.update_ms.push_back((Now() - t0) * 1e3);
    AnswerBoxes(app);
    if (!e2e::WaitUntil([&] { return app.State("SylvaneWorkerEnds") > ends_before; }, kWorkerWaitMs)) {
      std::printf("bench: a growth pass did not end\n");
      ok = false;
    }
  }
  app.Sync();
  WaitWorkerIdle(app);
  if (process) {
    out.memory_mib.push_back(double(PrivateBytes(process)) * mib);
    CloseHandle(process);
  }
  if (per_monitor && run == 0 && !e2e::Exists(app.File("default_1.bmp"))) {
    int w = 0, h = 0, bits = 0;
    if (e2e::BmpInfo(app.File("default.bmp"), w, h, bits))
      std::printf("run %d: the picture across the desktop, %d x %d (no wallpaper object)\n", run, w, h);
  }
  if (!app.Close(30000)) {
    std::printf("bench: the program did not close; ended it\n");
    app.Kill();
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(1, IntArg(argc, argv, "--runs", 3));
  const int updates = std::max(1, IntArg(argc, argv, "--updates", 8));
  int monitors = 0;
  EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, reinterpret_cast<LPARAM>(&monitors));
  std::string layout = "3840x2160+0+0,3840x2160+3840+0";
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--monitors") == 0) layout = argv[i + 1];
  }
  SetEnvironmentVariableA("SYLVANE_MONITORS", layout.c_str());
  std::printf("sylvane monitors benchmark: %d runs of %d updates; the system's %d monitor(s), the program's %s\n",
              runs, updates, monitors, layout.c_str());
  std::fflush(stdout);

  char garden[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableA("SYLVANE_BENCH_GARDEN", garden, sizeof(garden));
  if (n == 0 || n >= sizeof(garden) || !e2e::Exists(garden)) {
    std::printf("bench: SYLVANE_BENCH_GARDEN does not name a garden file\n");
    return 2;
  }
  Figures off, on;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    if (!Run(garden, false, run, updates, off)) ++failures;
    if (!Run(garden, true, run, updates, on)) ++failures;
    std::fflush(stdout);
  }
  std::printf("\n%-44s %6s %10s %10s   %-34s %10s %10s\n", "figure", "n", "median", "max", "baseline", "median",
              "max");
  std::printf("%-44s %6zu %10.1f %10.1f   %-34s %10.1f %10.1f  ms\n", "periodic update, a picture per monitor",
              on.update_ms.size(), Median(on.update_ms), Max(on.update_ms), "periodic update, one picture",
              Median(off.update_ms), Max(off.update_ms));
  std::printf("%-44s %6zu %10.1f %10.1f   %-34s %10.1f %10.1f  MiB\n", "private memory after updates, per monitor",
              on.memory_mib.size(), Median(on.memory_mib), Max(on.memory_mib), "the same, one picture",
              Median(off.memory_mib), Max(off.memory_mib));
  std::printf("%-44s %6zu %10.1f %10.1f   %-34s %10.1f %10.1f  MiB\n", "private memory after start-up, per monitor",
              on.start_mib.size(), Median(on.start_mib), Max(on.start_mib), "the same, one picture",
              Median(off.start_mib), Max(off.start_mib));
  std::printf("%s\n", failures ? "bench: finished with failures" : "bench: finished");
  std::fflush(stdout);
  return failures ? 1 : 0;
}
