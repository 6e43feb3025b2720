#include "tests/probe/traced_process.h"

#include <cstring>

namespace {

std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

// The monitor's side of the debug output protocol: the writer waits for BUFFER_READY, puts its
// process id and the text (in the ANSI code page) into DBWIN_BUFFER and signals DATA_READY.
class DebugMonitor {
 public:
  static constexpr DWORD kBufferBytes = 4096;

  DebugMonitor() {
    ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    data_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferBytes, L"DBWIN_BUFFER");
    if (mapping_) view_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, kBufferBytes));
    if (ready_) SetEvent(ready_);
  }
  ~DebugMonitor() {
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE handle : {mapping_, data_, ready_})
      if (handle) CloseHandle(handle);
  }
  bool ok() const { return ready_ && data_ && view_; }
  HANDLE data_ready() const { return data_; }

  // Takes the text in the buffer (after DATA_READY) when it came from `pid`, and frees the buffer.
  bool Take(DWORD pid, std::wstring& text) {
    DWORD writer = 0;
    std::memcpy(&writer, view_, sizeof(writer));
    const char* narrow = view_ + sizeof(writer);
    const size_t length = strnlen(narrow, kBufferBytes - sizeof(writer));
    const bool ours = writer == pid;
    if (ours) {
      const int n = MultiByteToWideChar(CP_ACP, 0, narrow, static_cast<int>(length), nullptr, 0);
      text.assign(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(CP_ACP, 0, narrow, static_cast<int>(length), text.data(), n);
      while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    }
    SetEvent(ready_);
    return ours;
  }

 private:
  HANDLE ready_ = nullptr;
  HANDLE data_ = nullptr;
  HANDLE mapping_ = nullptr;
  const char* view_ = nullptr;
};

}  // namespace

TracedRun RunTraced(const std::wstring& program, const std::vector<std::wstring>& arguments,
                    const std::wstring& currentDir, DWORD timeoutMs) {
  TracedRun run;
  DebugMonitor monitor;
  if (!monitor.ok()) {
    run.startError = GetLastError();
    return run;
  }
  std::wstring commandLine = Quote(program);
  for (const std::wstring& argument : arguments) commandLine += L" " + Quote(argument);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info)) {
    run.startError = GetLastError();
    return run;
  }
  const DWORD deadline = GetTickCount() + timeoutMs;
  const HANDLE waits[] = {monitor.data_ready(), info.hProcess};
  for (;;) {
    const LONG left = static_cast<LONG>(deadline - GetTickCount());
    const DWORD woke = left > 0 ? WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(left)) : WAIT_TIMEOUT;
    if (woke == WAIT_OBJECT_0) {
      std::wstring text;
      if (monitor.Take(info.dwProcessId, text)) run.traces.push_back(text);
    } else if (woke == WAIT_OBJECT_0 + 1) {
      // A text written just before the end may still wait in the buffer.
      std::wstring text;
      if (WaitForSingleObject(monitor.data_ready(), 0) == WAIT_OBJECT_0 && monitor.Take(info.dwProcessId, text)) {
        run.traces.push_back(text);
      }
      GetExitCodeProcess(info.hProcess, &run.exitCode);
      run.finished = true;
      break;
    } else {
      TerminateProcess(info.hProcess, 99);
      WaitForSingleObject(info.hProcess, 5000);
      break;
    }
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return run;
}
