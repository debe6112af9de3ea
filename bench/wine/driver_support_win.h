// What the drivers of the Windows program's benchmarks (update, monitors,
// soak) share: arguments, the clock, the program's private memory, medians,
// and waiting for the growth worker while answering unexpected boxes.
#pragma once

#include <windows.h>

#include <vector>

#include "e2e_support.h"

namespace bench {

constexpr DWORD kWorkerWaitMs = 180000;  // longest growth pass waited for

// The integer after `name` among the arguments, or fallback.
int IntArg(int argc, char** argv, const char* name, int fallback);

// Seconds from a fixed point (QueryPerformanceCounter).
double Now();

// Private bytes of a process (commit charge), 0 when unreadable. Wine leaves
// PrivateUsage at 0 but fills PagefileUsage, which Windows documents as the
// same commit charge.
SIZE_T PrivateBytes(HANDLE process);

double Median(std::vector<double> v);

// Answers and reports any box the program shows (none is expected).
void AnswerBoxes(e2e::App& app);

// Waits until no growth pass runs on the program's worker.
bool WaitWorkerIdle(e2e::App& app, DWORD wait_ms = kWorkerWaitMs);

}  // namespace bench
