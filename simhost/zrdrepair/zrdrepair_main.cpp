// Simulated host repair tool "ZRDRepair.exe". Started with "-S" it asks every running service
// process (image name zrdsvc.exe, any letter case) to stop, through the service's stop event, and
// ends without waiting for them. It records each run and each request in ZRDRepair.log beside
// itself, with the program that started it and its working folder. Exit codes: 0 done, 1 started
// without "-S".
#include <windows.h>
// The shell and tool-help headers build on windows.h.
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "simhost/zrdsvc/run_log.h"
#include "simhost/zrdsvc/start_record.h"
#include "simhost/zrdsvc/stop_request.h"

namespace {

constexpr const wchar_t* kLogName = L"ZRDRepair.log";
constexpr const wchar_t* kServiceName = L"zrdsvc.exe";
// A service that has only just started may not own its stop event yet.
constexpr int kEventTries = 40;
constexpr DWORD kEventRetryMs = 50;

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::vector<DWORD> ServiceProcesses() {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (Lowered(entry.szExeFile) == kServiceName) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

void RequestStop(DWORD processId) {
  const std::wstring name = ServiceStopEventName(processId);
  for (int attempt = 0; attempt < kEventTries; ++attempt) {
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (event != nullptr) {
      SetEvent(event);
      CloseHandle(event);
      AppendRunLog(kLogName, L"stop requested from " + std::to_wstring(processId));
      return;
    }
    Sleep(kEventRetryMs);
  }
  AppendRunLog(kLogName, L"no stop event for " + std::to_wstring(processId));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring joined;
  bool stop = false;
  for (int i = 1; args != nullptr && i < count; ++i) {
    joined += joined.empty() ? L"" : L" ";
    joined += args[i];
    if (Lowered(args[i]) == L"-s") stop = true;
  }
  if (args != nullptr) LocalFree(args);

  AppendRunLog(kLogName, L"run " + joined);
  AppendStartRecord(kLogName);
  if (!stop) return 1;
  for (DWORD id : ServiceProcesses()) RequestStop(id);
  return 0;
}
