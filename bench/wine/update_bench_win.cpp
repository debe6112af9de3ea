// The update benchmark of the Windows program. Starts sylvane.exe in a fresh
// program folder whose garden (default.syl) is given by SYLVANE_BENCH_GARDEN,
// then measures, in several runs of the program:
//  - the periodic update (command 40001 sent with SendMessageA: picture,
//    "default.bmp", wallpaper, canvas-window refresh, worker start), beside a
//    WM_NULL round trip to the same window;
//  - the program's private memory after start-up and after the updates,
//    beside the driver's own;
//  - the program's CPU time while idle between updates, beside the driver's
//    own CPU time over the same span, both as the system reports them and as
//    the Linux kernel counts them for the Wine processes (/proc through the
//    Z: drive; Wine's GetProcessTimes keeps no times of other processes);
//  - start-up: from process creation to the main window shown and painted
//    (visible, nothing left in its update region), beside the same for a
//    bare window opened by this driver in a process of its own.
// Each update is sent only when no growth pass runs, so that every update
// does the same work (a running pass would make it skip the worker start).
// Options: --runs N (3), --updates N (10), --idle-seconds S (10).
// (--bare-window is the baseline's own process: one plain window until closed.)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support_win.h"
#include "e2e_support.h"
#include "res/commands.h"

namespace {

using namespace bench;

constexpr int kCmdPeriodicUpdate = CMD_PERIODIC_UPDATE;

// Kernel plus user CPU time of a process, seconds.
double CpuSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  auto value = [](const FILETIME& f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  return double(value(kernel) + value(user)) * 1e-7;
}

// Samples of one figure and of its baseline.
struct Series {
  const char* name;      // figure
  const char* unit;      // unit of the printed values
  const char* baseline;  // what the baseline is
  std::vector<double> values;
  std::vector<double> base;
};

double Min(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

void PrintTable(const std::vector<Series>& table) {
  std::printf("\n%-34s %6s %12s %12s   %-30s %12s %12s\n", "figure", "n", "median", "min", "baseline", "median",
              "min");
  std::printf("%s\n", std::string(126, '-').c_str());
  for (const Series& s : table) {
    std::printf("%-34s %6zu %12.3f %12.3f   %-30s %12.3f %12.3f  %s\n", s.name, s.values.size(), Median(s.values),
                Min(s.values), s.baseline, Median(s.base), Min(s.base), s.unit);
  }
  std::fflush(stdout);
}

// ---- start-up

constexpr char kBareClass[] = "SylvaneBenchBareWindow";

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    FillRect(dc, &ps.rcPaint, HBRUSH(GetStockObject(WHITE_BRUSH)));
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

// The baseline's process: a plain top-level window, painted white.
int RunBareWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = BareProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kBareClass;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA(kBareClass, "bare", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                            wc.hInstance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

// Milestones of a start, seconds from process creation (-1: not reached).
struct StartMilestones {
  double exists = -1;   // the window exists (its creation has begun)
  double visible = -1;  // it is shown
  double painted = -1;  // shown, with nothing left in its update region
};

// Polls every millisecond until a window of the class is painted, or wait_ms.
StartMilestones WaitPainted(const char* window_class, double start, DWORD wait_ms, HWND* found) {
  StartMilestones m;
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < wait_ms) {
    HWND w = FindWindowA(window_class, nullptr);
    if (w && m.exists < 0) m.exists = Now() - start;
    if (w && IsWindowVisible(w)) {
      if (m.visible < 0) m.visible = Now() - start;
      if (!GetUpdateRect(w, nullptr, FALSE)) {
        m.painted = Now() - start;
        if (found) *found = w;
        return m;
      }
    }
    Sleep(1);
  }
  return m;
}

// Start-up of the baseline: this driver started again as a bare window.
double BareWindowStartup() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string command = std::string("\"") + exe + "\" --bare-window";
  std::vector<char> cmd(command.begin(), command.end());
  cmd.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessA(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  HWND w = nullptr;
  const double seconds = WaitPainted(kBareClass, start, 30000, &w).painted;
  if (w) PostMessageA(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return seconds;
}

// ---- CPU time as Linux counts it

// utime + stime of /proc/<pid>/stat in clock ticks, -1 when unreadable.
long long ProcTicks(const std::string& pid) {
  FILE* f = std::fopen(("Z:\\proc\\" + pid + "\\stat").c_str(), "rb");
  if (!f) return -1;
  char buffer[1024];
  const size_t n = std::fread(buffer, 1, sizeof(buffer) - 1, f);
  std::fclose(f);
  buffer[n] = '\0';
  // The command name may hold spaces; the fields after it follow its ')'.
  const char* p = std::strrchr(buffer, ')');
  if (!p) return -1;
  long long utime = 0, stime = 0;
  // Fields 3..13 skipped, then utime (14) and stime (15).
  if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lld %lld", &utime, &stime) != 2) return -1;
  return utime + stime;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The Linux process id of the Wine process whose command line names the
// program in the given folder (Wine shows the program's path there, in
// Windows or Unix form), or "" when none is found.
std::string UnixPidOf(const std::string& folder_name) {
  const std::string wanted = Lower(folder_name);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
  if (find == INVALID_HANDLE_VALUE) return "";
  std::string result;
  do {
    const std::string name = data.cFileName;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    FILE* f = std::fopen(("Z:\\proc\\" + name + "\\cmdline").c_str(), "rb");
    if (!f) continue;
    char buffer[2048];
    const size_t n = std::fread(buffer, 1, sizeof(buffer) - 1, f);
    std::fclose(f);
    buffer[n] = '\0';  // the first argument only (they are separated by NULs)
    const std::string line = Lower(buffer);
    if (line.find(wanted) != std::string::npos && line.find("sylvane.exe") != std::string::npos) {
      result = name;
      break;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bare-window") == 0) return RunBareWindow();
  }
  const int runs = std::max(1, IntArg(argc, argv, "--runs", 3));
  const int updates = std::max(1, IntArg(argc, argv, "--updates", 10));
  const int idle_seconds = std::max(1, IntArg(argc, argv, "--idle-seconds", 10));
  char garden[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableA("SYLVANE_BENCH_GARDEN", garden, sizeof(garden));
  if (n == 0 || n >= sizeof(garden) || !e2e::Exists(garden)) {
    std::printf("bench: SYLVANE_BENCH_GARDEN does not name a garden file\n");
    return 2;
  }
  std::printf("sylvane update benchmark: %d runs, %d updates each, idle span %d s, screen %d x %d\n", runs, updates,
              idle_seconds, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::fflush(stdout);

  Series update{"periodic update CMD_PERIODIC_UPDATE", "ms", "WM_NULL round trip", {}, {}};
  Series pass{"growth pass after update (wall)", "ms", "(none)", {}, {}};
  Series mem_start{"private memory after start-up", "MiB", "driver private memory", {}, {}};
  Series mem_after{"private memory after updates", "MiB", "driver private memory", {}, {}};
  Series update_cpu{"program CPU time per update", "ms", "driver CPU per update", {}, {}};
  Series idle{"idle CPU time per span", "ms", "driver CPU over same span", {}, {}};
  Series idle_linux{"idle CPU per span (/proc)", "% core", "driver (/proc), same span", {}, {}};
  Series startup{"start-up to painted main window", "ms", "bare window process", {}, {}};
  const long clock_ticks = 100;  // USER_HZ of Linux on every architecture Wine runs on
  const double mib = 1.0 / (1024.0 * 1024.0);
  HANDLE self = GetCurrentProcess();
  int failures = 0;

  for (int run = 0; run < runs; ++run) {
    e2e::App app("bench_run" + std::to_string(run));
    if (!CopyFileA(garden, app.File("default.syl").c_str(), FALSE)) {
      std::printf("bench: cannot copy the garden into the program folder\n");
      return 2;
    }
    startup.base.push_back(BareWindowStartup() * 1e3);
    // The start is timed by a watcher thread: Start() itself waits for the
    // program to report that start-up has finished.
    struct Watch {
      double start = 0;
      StartMilestones seen;
    } watch;
    HANDLE watcher = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
          auto* w = static_cast<Watch*>(p);
          w->seen = WaitPainted("SylvanWood", w->start, 60000, nullptr);
          return 0;
        },
        &watch, CREATE_SUSPENDED, nullptr);
    watch.start = Now();
    if (watcher) ResumeThread(watcher);
    const bool started = app.Start();
    if (watcher) {
      WaitForSingleObject(watcher, 70000);
      CloseHandle(watcher);
    }
    if (watch.seen.painted >= 0) startup.values.push_back(watch.seen.painted * 1e3);
    std::printf("run %d: main window exists after %.1f ms, shown after %.1f ms, painted after %.1f ms\n", run,
                watch.seen.exists * 1e3, watch.seen.visible * 1e3, watch.seen.painted * 1e3);
    if (!started) {
      std::printf("bench: run %d: the program did not start\n", run);
      ++failures;
      continue;
    }
    AnswerBoxes(app);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.pid());
    if (!process) {
      std::printf("bench: run %d: cannot open the program's process\n", run);
      ++failures;
      continue;
    }
    // Start-up has settled once the first update's growth pass (if the clock
    // already sent it) has ended.
    app.Sync();
    if (!WaitWorkerIdle(app)) {
      std::printf("bench: run %d: a growth pass did not end\n", run);
      ++failures;
    }
    mem_start.values.push_back(double(PrivateBytes(process)) * mib);
    mem_start.base.push_back(double(PrivateBytes(self)) * mib);

    for (int u = 0; u < updates; ++u) {
      // The baseline: a message round trip to the same window.
      double t0 = Now();
      SendMessageA(app.main(), WM_NULL, 0, 0);
      double t1 = Now();
      update.base.push_back((t1 - t0) * 1e3);

      int ends_before = app.State("SylvaneWorkerEnds");
      double cpu0 = CpuSeconds(process), self0 = CpuSeconds(self);
      t0 = Now();
      SendMessageA(app.main(), WM_COMMAND, WPARAM(kCmdPeriodicUpdate), 0);
      t1 = Now();
      update.values.push_back((t1 - t0) * 1e3);
      update_cpu.values.push_back((CpuSeconds(process) - cpu0) * 1e3);
      update_cpu.base.push_back((CpuSeconds(self) - self0) * 1e3);
      AnswerBoxes(app);
      if (!e2e::WaitUntil([&] { return app.State("SylvaneWorkerEnds") > ends_before; }, kWorkerWaitMs)) {
        std::printf("bench: run %d update %d: its growth pass did not end\n", run, u);
        ++failures;
        break;
      }
      pass.values.push_back((Now() - t1) * 1e3);
    }
    app.Sync();
    WaitWorkerIdle(app);
    mem_after.values.push_back(double(PrivateBytes(process)) * mib);
    mem_after.base.push_back(double(PrivateBytes(self)) * mib);

    // Idle between updates: only the one-second clock runs.
    const std::string unix_pid = UnixPidOf("bench_run" + std::to_string(run));
    std::printf("run %d: the program is Linux process %s\n", run, unix_pid.empty() ? "(not found)" : unix_pid.c_str());
    const long long ticks0 = unix_pid.empty() ? -1 : ProcTicks(unix_pid);
    const long long self_ticks0 = ProcTicks("self");
    double cpu0 = CpuSeconds(process), self0 = CpuSeconds(self);
    const double idle_start = Now();
    Sleep(DWORD(idle_seconds) * 1000);
    idle.values.push_back((CpuSeconds(process) - cpu0) * 1e3);
    idle.base.push_back((CpuSeconds(self) - self0) * 1e3);
    const double span = Now() - idle_start;
    const long long ticks1 = unix_pid.empty() ? -1 : ProcTicks(unix_pid);
    const long long self_ticks1 = ProcTicks("self");
    if (ticks0 >= 0 && ticks1 >= 0 && self_ticks0 >= 0 && self_ticks1 >= 0) {
      idle_linux.values.push_back(100.0 * double(ticks1 - ticks0) / double(clock_ticks) / span);
      idle_linux.base.push_back(100.0 * double(self_ticks1 - self_ticks0) / double(clock_ticks) / span);
    } else {
      std::printf("note: run %d: no /proc counters for the program (Linux pid \"%s\")\n", run, unix_pid.c_str());
    }
    AnswerBoxes(app);

    std::printf("run %d: start-up %.1f MiB, after %d updates %.1f MiB, idle CPU %.1f ms over %d s\n", run,
                mem_start.values.back(), updates, mem_after.values.back(), idle.values.back(), idle_seconds);
    std::fflush(stdout);
    CloseHandle(process);
    if (!app.Close(30000)) {
      std::printf("bench: run %d: the program did not close; ended it\n", run);
      app.Kill();
    }
  }

  PrintTable({startup, update, update_cpu, pass, mem_start, mem_after, idle, idle_linux});
  // An update renders a full-screen picture: a CPU time of 0 for every one
  // means the system keeps no times of other processes (Wine), not an idle program.
  if (!update_cpu.values.empty() && Median(update_cpu.values) == 0 && Median(update.values) > 10)
    std::printf("note: GetProcessTimes reports no CPU time for the program even across its updates;\n"
                "      the idle CPU figure cannot be measured on this system\n");
  std::printf("%s\n", failures ? "bench: finished with failures" : "bench: finished");
  std::fflush(stdout);
  return failures ? 1 : 0;
}
