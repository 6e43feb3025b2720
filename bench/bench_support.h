// What the benchmarks share: the clock, the peak working set, a child run's figure, the dialog's stand-in.
#pragma once

// psapi.h needs the types of windows.h before it.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <cstdlib>

#include "tests/support/child_process.h"
#include "tests/support/install_reports.h"

inline double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// This process's peak working set in bytes, or 0.
inline unsigned long long PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return counters.PeakWorkingSetSize;
}

// Runs this program again with `arguments` and returns the figure it prints, or 0.
inline unsigned long long FigureOfChild(const std::vector<std::wstring>& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  testsupport::ChildOptions options;
  options.captureOutput = true;
  const testsupport::ChildRun run = testsupport::RunToEnd(self, arguments, options, INFINITE);
  return run.finished && run.exitCode == 0 ? std::strtoull(run.out.c_str(), nullptr, 10) : 0;
}

// The dialog's stand-in answers every message of a run with 1 and keeps no log: a log of a run's
// thousands of steps would weigh on the peak memory measured.
struct AnswerWindow : testsupport::ProtocolWindow {
  AnswerWindow() { keepLog = false; }
  unsigned Count(unsigned message) const {
    const auto it = received.find(message);
    return it == received.end() ? 0 : it->second;
  }
};
