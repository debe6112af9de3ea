#include "driver_support_win.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

int IntArg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

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

void AnswerBoxes(e2e::App& app) {
  for (const e2e::Box& b : app.Boxes()) {
    std::printf("note: the program showed a box \"%s\": \"%s\"\n", b.caption.c_str(), b.text.c_str());
    app.Press(b, IDOK);
  }
}

bool WaitWorkerIdle(e2e::App& app, DWORD wait_ms) {
  return e2e::WaitUntil(
      [&] {
        AnswerBoxes(app);
        return app.State("SylvaneWorkerEnds") >= app.State("SylvaneWorkerStarts");
      },
      wait_ms);
}

}  // namespace bench
