// Simulated host service process "zrdsvc.exe": runs without a window until asked to stop.
//
//   zrdsvc.exe [--hold PATH]... [--ignore-stop] [--lifetime MS]
//
//   --hold PATH     keep PATH open for reading without delete sharing, so that renaming or
//                   deleting it fails while the service runs (repeatable)
//   --ignore-stop   log stop requests and go on running: only termination ends the process
//   --lifetime MS   end by itself after MS milliseconds (exit code 3), a safety net for tests
//
// Ready once its stop event (stop_request.h) exists; records its steps in zrdsvc.log beside itself.
// Exit codes: 0 stopped on request, 2 bad arguments or a file it could not hold, 3 lifetime over.
#include <windows.h>
// The shell headers build on windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

#include "simhost/zrdsvc/run_log.h"
#include "simhost/zrdsvc/stop_request.h"

namespace {

constexpr const wchar_t* kLogName = L"zrdsvc.log";

struct Options {
  std::vector<std::wstring> holds;
  bool ignoreStop = false;
  DWORD lifetimeMs = INFINITE;
};

bool ParseOptions(Options& options) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr) return false;
  bool ok = true;
  for (int i = 1; i < count && ok; ++i) {
    const std::wstring arg = args[i];
    if (arg == L"--hold" && i + 1 < count) {
      options.holds.push_back(args[++i]);
    } else if (arg == L"--ignore-stop") {
      options.ignoreStop = true;
    } else if (arg == L"--lifetime" && i + 1 < count) {
      options.lifetimeMs = static_cast<DWORD>(_wtoi(args[++i]));
    } else {
      AppendRunLog(kLogName, L"unknown argument " + arg);
      ok = false;
    }
  }
  LocalFree(args);
  return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  Options options;
  if (!ParseOptions(options)) return 2;

  // Handles stay open until the process ends, as the host's service keeps its dictionaries.
  for (const std::wstring& path : options.holds) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      AppendRunLog(kLogName, L"cannot hold " + path);
      return 2;
    }
    AppendRunLog(kLogName, L"holding " + path);
  }

  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, ServiceStopEventName(GetCurrentProcessId()).c_str());
  if (stop == nullptr) return 2;
  AppendRunLog(kLogName, options.ignoreStop ? L"ready, ignoring stop requests" : L"ready");

  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD wait = INFINITE;
    if (options.lifetimeMs != INFINITE) {
      const ULONGLONG elapsed = GetTickCount64() - start;
      if (elapsed >= options.lifetimeMs) {
        AppendRunLog(kLogName, L"lifetime over");
        return 3;
      }
      wait = static_cast<DWORD>(options.lifetimeMs - elapsed);
    }
    if (WaitForSingleObject(stop, wait) != WAIT_OBJECT_0) continue;
    if (!options.ignoreStop) {
      AppendRunLog(kLogName, L"stopping on request");
      return 0;
    }
    AppendRunLog(kLogName, L"stop request ignored");
    ResetEvent(stop);
  }
}
