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
// Options: --runs N (3), --updates N (8), --monitors WxH+X+Y,...; --unset-too
// adds a third run of each pair: per monitor with the desktop left alone (the
// files written, the wallpaper not set); --steps N
// times instead each step of the wallpaper output in this process, N times
// (see RunSteps).
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
// windows.h names LoadImageA "LoadImage", as the program's picture loader is called.
#undef LoadImage

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/image/image_io.h"
#include "canvas/monitor_layout.h"
#include "canvas/wallpaper_win.h"
#include "driver_support_win.h"
#include "e2e_support.h"
#include "platform/platform.h"
#include "res/commands.h"

namespace {

using namespace bench;

// The desktop wallpaper object of Windows 8 and later, as the wallpaper output asks for it.
// {C2CF3110-460E-4FC1-B9D0-8A1C0C9CC4BD}
const CLSID kClsidDesktopWallpaper = {0xC2CF3110, 0x460E, 0x4FC1, {0xB9, 0xD0, 0x8A, 0x1C, 0x0C, 0x9C, 0xC4, 0xBD}};


double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

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
// leave_desktop: the program told that the changer shows a picture of its
// own, so that it writes its files but does not set the wallpaper (what the
// system's handling of the set costs is the difference).
bool Run(const std::string& garden, bool per_monitor, int run, int updates, Figures& out, bool leave_desktop = false) {
  e2e::App app(std::string(per_monitor ? (leave_desktop ? "monitors_unset_" : "monitors_on_") : "monitors_off_") +
               std::to_string(run));
  if (!CopyFileA(garden.c_str(), app.File("default.syl").c_str(), FALSE)) {
    std::printf("bench: cannot copy the garden\n");
    return false;
  }
  sylvane::MInitInfo s = e2e::TestSettings(app.folder());
  s.wallpaper_style = 2;  // fit to the desktop: every monitor scales the garden
  s.lighting_mode = 0;
  s.changer_active = leave_desktop ? 1 : 0;
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

// ---- the steps of one update, each timed in this process ----

// Writes the bytes WriteBmp wrote to `written` once more as a plain file: no
// temporary file, no flush to the disk, to tell the file system's share.
bool WritePlain(const std::string& written, const std::string& path, const sylvane::Surface& s) {
  uint8_t head[54] = {};
  FILE* in = std::fopen(written.c_str(), "rb");
  if (!in) return false;
  const bool got = std::fread(head, 1, sizeof head, in) == sizeof head;
  std::fclose(in);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!got || !f) return false;
  const size_t bytes = size_t(s.stride) * size_t(s.height);
  const bool ok = std::fwrite(head, 1, sizeof head, f) == sizeof head && std::fwrite(s.pixels.data(), 1, bytes, f) == bytes;
  return (std::fclose(f) == 0) && ok;
}

struct StepFigures {
  std::vector<double> compose, fit_one, write, write_plain, replace, set, spi, object, publish;  // ms
  std::vector<double> memory_mib;                                       // this process after the set
};

template <typename F>
double Time(F&& f) {
  const double t0 = Now();
  f();
  return (Now() - t0) * 1e3;
}

// The wallpaper steps of one update on the monitors, added to out when keep
// is set: the composing as the program does it under Wine, one monitor's
// picture alone, the BMP written as the program writes it and plainly, the
// plain file renamed over the written one (what replacing the last picture costs), the
// wallpaper set (all three steps of SetWallpaper) and SystemParametersInfoA
// alone. With no monitors: the one-picture update's steps (the lit garden
// written and set in the fit style).
void MeasureSteps(const sylvane::Surface& lit, const std::vector<sylvane::MonitorRect>& monitors,
                  const std::string& folder, bool keep, StepFigures& out) {
  using namespace sylvane;
  constexpr uint32_t kBackground = 0x00663b1d;  // the benchmark garden's colour
  // Kept between updates, as the program keeps its picture.
  static Surface picture;
  static Surface one;
  const std::string path = e2e::Join(folder, monitors.empty() ? "single.bmp" : "desktop.bmp");
  const std::string plain = e2e::Join(folder, "plain.bmp");
  StepFigures f;
  const Surface* written = &lit;
  if (!monitors.empty()) {
    f.compose.push_back(Time([&] { ComposeTiledDesktopPicture(lit, kBackground, MonitorFit::kStretch, monitors, picture); }));
    f.fit_one.push_back(Time([&] {
      ComposeMonitorPicture(lit, kBackground, MonitorFit::kStretch, monitors[0].width, monitors[0].height, one);
    }));
    written = &picture;
  }
  // Written as the output writes it: the one picture flushed to the disk, the
  // pictures of the monitors left to the system's cache.
  f.write.push_back(
      Time([&] { WriteBmp(path, *written, monitors.empty() ? Durability::kFlushed : Durability::kCached); }));
  f.write_plain.push_back(Time([&] { WritePlain(path, plain, *written); }));
  // The plain file put in place of the written one, as the output's last step
  // replaces the last update's picture (the same bytes, so the set is unchanged).
  f.replace.push_back(Time([&] { MoveFileExA(plain.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING); }));
  std::remove(plain.c_str());
  f.set.push_back(Time([&] { SetWallpaper(path, monitors.empty() ? "2" : "1"); }));
  std::vector<char> p(path.begin(), path.end());
  p.push_back('\0');
  f.spi.push_back(Time([&] { SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, p.data(), SPIF_UPDATEINIFILE); }));
  // The desktop wallpaper object asked for, as the per-monitor output asks first.
  f.object.push_back(Time([&] {
    const HRESULT init = CoInitialize(nullptr);
    IUnknown* object = nullptr;
    if (SUCCEEDED(CoCreateInstance(kClsidDesktopWallpaper, nullptr, CLSCTX_ALL, IID_IUnknown,
                                   reinterpret_cast<void**>(&object))) && object)
      object->Release();
    if (SUCCEEDED(init)) CoUninitialize();
  }));
  // The whole output as the program's update calls it (in this program's folder).
  f.publish.push_back(Time([&] {
    if (monitors.empty()) {
      PublishCanvasWallpaper(nullptr, lit, 2, false);
    } else {
      PublishMonitorWallpapers(nullptr, lit, kBackground, 2, false);
    }
  }));
  f.memory_mib.push_back(double(PrivateBytes(GetCurrentProcess())) / (1024.0 * 1024.0));
  if (!keep) return;
  for (auto [to, from] : {std::pair{&out.compose, &f.compose}, {&out.fit_one, &f.fit_one}, {&out.write, &f.write},
                          {&out.write_plain, &f.write_plain}, {&out.replace, &f.replace}, {&out.set, &f.set}, {&out.spi, &f.spi},
                          {&out.object, &f.object}, {&out.publish, &f.publish},
                          {&out.memory_mib, &f.memory_mib}})
    to->insert(to->end(), from->begin(), from->end());
}

void PrintSteps(const char* name, const StepFigures& f) {
  std::printf("%-34s %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f\n", name, Median(f.compose),
              Median(f.fit_one), Median(f.write), Median(f.write_plain), Median(f.replace), Median(f.set), Median(f.spi),
              Median(f.object), Median(f.publish), Median(f.memory_mib));
}

// The steps of the one-picture update and of the per-monitor one on layout,
// in turns; the lit garden is the "default.bmp" the program wrote in a run
// with the option off.
bool RunSteps(const std::string& garden, const std::string& layout, int repeats) {
  Figures ignored;
  e2e::App app("monitors_steps");
  if (!Run(garden, false, 0, 1, ignored)) return false;
  sylvane::Surface lit;
  const std::string lit_path = e2e::Join(e2e::WorkFolder(), "monitors_off_0\\default.bmp");
  if (sylvane::LoadImage(lit_path, lit, false) < 0 || lit.empty()) {
    std::printf("bench: no lit garden in %s\n", lit_path.c_str());
    return false;
  }
  std::vector<sylvane::MonitorRect> monitors;
  std::string error;
  if (!sylvane::ParseMonitorList(layout, monitors, error)) {
    std::printf("bench: %s\n", error.c_str());
    return false;
  }
  // The whole output writes into the program folder: this run's own.
  static sylvane::ConsolePlatform platform;
  platform.set_program_folder(app.folder());
  sylvane::SetPlatform(&platform);
  StepFigures single, per_monitor;
  // The first turn makes the kept buffers and is left out.
  for (int i = 0; i <= repeats; ++i) {
    MeasureSteps(lit, {}, app.folder(), i > 0, single);
    MeasureSteps(lit, monitors, app.folder(), i > 0, per_monitor);
  }
  std::printf("\nsteps, medians of %d (garden %d x %d)  compose  fit one    write  w.plain  replace      set      SPI   object  publish   memory\n",
              repeats, lit.width, lit.height);
  PrintSteps("one picture (baseline)", single);
  PrintSteps("per monitor, across the desktop", per_monitor);
  std::printf("(ms; memory MiB of this process; write: flushed to the disk for the one picture only;\n"
              " w.plain: the same bytes without temporary file and flush; replace: that file renamed over\n"
              " the written one;\n"
              " set: SetWallpaper, whose last step is SPI: SystemParametersInfoA alone; object: the desktop\n"
              " wallpaper object asked for; publish: the whole output as the update calls it)\n");
  return true;
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
  const int steps = IntArg(argc, argv, "--steps", 0);
  if (steps > 0) {
    const bool ok = RunSteps(garden, layout, steps);
    std::printf("%s\n", ok ? "bench: finished" : "bench: finished with failures");
    return ok ? 0 : 1;
  }
  bool unset_too = false;
  for (int i = 1; i < argc; ++i) unset_too = unset_too || std::strcmp(argv[i], "--unset-too") == 0;
  Figures off, on, unset;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    if (!Run(garden, false, run, updates, off)) ++failures;
    if (!Run(garden, true, run, updates, on)) ++failures;
    if (unset_too && !Run(garden, true, run, updates, unset, true)) ++failures;
    std::fflush(stdout);
  }
  std::printf("\n%-44s %6s %10s %10s   %-34s %10s %10s\n", "figure", "n", "median", "max", "baseline", "median",
              "max");
  std::printf("%-44s %6zu %10.1f %10.1f   %-34s %10.1f %10.1f  ms\n", "periodic update, a picture per monitor",
              on.update_ms.size(), Median(on.update_ms), Max(on.update_ms), "periodic update, one picture",
              Median(off.update_ms), Max(off.update_ms));
  if (unset_too) {
    std::printf("%-44s %6zu %10.1f %10.1f   %-34s %10.1f %10.1f  ms\n", "the same, files only (desktop not set)",
                unset.update_ms.size(), Median(unset.update_ms), Max(unset.update_ms), "periodic update, one picture",
                Median(off.update_ms), Max(off.update_ms));
  }
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
