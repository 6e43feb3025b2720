#include "tests/support/child_process.h"

#include <cstring>

#include "tests/support/files.h"

namespace testsupport {
namespace {

constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryPauseMs = 100;
constexpr DWORD kWindowLookMs = 10;

std::string Failure(const std::string& step, DWORD error) { return step + ": error " + std::to_string(error); }

// A handle the child inherits as one of its standard handles: the NUL device or a file.
HANDLE OpenForChild(const std::wstring& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write && path != L"NUL" ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The reading side of the debug output protocol: a writer waits for BUFFER_READY, puts its
// process id and the text (in the ANSI code page) into DBWIN_BUFFER and signals DATA_READY.
class DebugMonitor {
 public:
  static constexpr DWORD kBufferBytes = 4096;

  DebugMonitor() {
    ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    data_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferBytes, L"DBWIN_BUFFER");
    if (mapping_) view_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, kBufferBytes));
    error_ = GetLastError();
    if (ready_) SetEvent(ready_);
  }
  ~DebugMonitor() {
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE handle : {mapping_, data_, ready_})
      if (handle) CloseHandle(handle);
  }
  DebugMonitor(const DebugMonitor&) = delete;
  DebugMonitor& operator=(const DebugMonitor&) = delete;

  bool ok() const { return ready_ && data_ && view_; }
  DWORD error() const { return error_; }
  HANDLE data_ready() const { return data_; }

  // After DATA_READY: takes the text in the buffer when it came from `pid`, and frees the buffer.
  void Take(DWORD pid, std::vector<std::wstring>& texts) {
    DWORD writer = 0;
    std::memcpy(&writer, view_, sizeof(writer));
    if (writer == pid) {
      const char* narrow = view_ + sizeof(writer);
      const int length = static_cast<int>(strnlen(narrow, kBufferBytes - sizeof(writer)));
      std::wstring text(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, narrow, length, nullptr, 0)), L'\0');
      MultiByteToWideChar(CP_ACP, 0, narrow, length, text.data(), static_cast<int>(text.size()));
      while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
      texts.push_back(text);
    }
    SetEvent(ready_);
  }

 private:
  HANDLE ready_ = nullptr;
  HANDLE data_ = nullptr;
  HANDLE mapping_ = nullptr;
  const char* view_ = nullptr;
  DWORD error_ = 0;
};

struct WindowSearch {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* title;
  HWND exclude;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid || window == search.exclude || !IsWindowVisible(window)) return TRUE;
  if (search.className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != search.className) return TRUE;
  }
  if (search.title && WindowText(window) != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

std::wstring WindowText(HWND window) {
  // WM_GETTEXT is carried across processes, so this reads what the window shows.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* title, HWND exclude) {
  WindowSearch search = {pid, className, title, exclude, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring QuoteArgument(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& program, const std::vector<std::wstring>& arguments,
                         const ChildOptions& options) {
  Terminate();
  startFailure_.clear();
  outputs_.reset();
  watchWindows_ = options.watchWindows;
  windowShown_ = false;
  std::wstring commandLine = QuoteArgument(program);
  for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);

  std::wstring paths[3] = {L"NUL", L"NUL", L"NUL"};
  if (options.captureOutput) {
    outputs_ = std::make_unique<ScratchDir>(L"output");
    paths[1] = *outputs_ / L"out";
    paths[2] = *outputs_ / L"err";
  }
  HANDLE handles[3] = {};
  for (int i = 0; i < 3 && startFailure_.empty(); ++i) {
    handles[i] = OpenForChild(paths[i], i > 0);
    if (handles[i] == INVALID_HANDLE_VALUE) startFailure_ = Failure("open " + Narrow(paths[i]), GetLastError());
  }
  // Only the three standard handles go to the child, whatever else of ours is inheritable.
  SIZE_T listBytes = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &listBytes);
  std::vector<char> listBuffer(listBytes);
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listBuffer.data());
  const bool listMade =
      startFailure_.empty() && InitializeProcThreadAttributeList(list, 1, 0, &listBytes) &&
      UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof(handles), nullptr, nullptr);
  if (startFailure_.empty() && !listMade) startFailure_ = Failure("handle list", GetLastError());
  if (startFailure_.empty()) {
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    if (options.showCommand >= 0) {
      startup.StartupInfo.dwFlags |= STARTF_USESHOWWINDOW;
      startup.StartupInfo.wShowWindow = static_cast<WORD>(options.showCommand);
    }
    startup.StartupInfo.hStdInput = handles[0];
    startup.StartupInfo.hStdOutput = handles[1];
    startup.StartupInfo.hStdError = handles[2];
    startup.lpAttributeList = list;
    PROCESS_INFORMATION info = {};
    // Wine's process creation fails now and then with ERROR_INTERNAL_ERROR, for any program
    // (about once in 1,500 starts of a program that only returns, more often under load):
    // such a start is tried again. Any other failure, or a third one, is the test's.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
      // Detached: a console program gets no console of its own (its output goes to the handles).
      if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         EXTENDED_STARTUPINFO_PRESENT | DETACHED_PROCESS, nullptr,
                         options.currentDir.empty() ? nullptr : options.currentDir.c_str(), &startup.StartupInfo,
                         &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
        break;
      }
      error = GetLastError();
      if (error != ERROR_INTERNAL_ERROR) break;
      Sleep(kStartRetryPauseMs);
    }
    if (process_ == nullptr) startFailure_ = Failure("CreateProcessW " + Narrow(program), error);
  }
  if (listMade) DeleteProcThreadAttributeList(list);
  for (HANDLE handle : handles) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  return process_ != nullptr;
}

bool ChildProcess::Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const {
  if (process_ == nullptr) return false;
  if (watchWindows_) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
      WindowShown();
      if (WaitForSingleObject(process_, kWindowLookMs) == WAIT_OBJECT_0) break;
      if (GetTickCount64() >= end) return false;
    }
  } else if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return false;
  }
  return GetExitCodeProcess(process_, &exitCode) != 0;
}

DWORD ChildProcess::ExitCodeWithin(DWORD timeoutMs) const {
  DWORD code = STILL_ACTIVE;
  return WaitForExit(timeoutMs, code) ? code : STILL_ACTIVE;
}

bool ChildProcess::WindowShown() const {
  if (watchWindows_ && !windowShown_ && process_ != nullptr && FindProcessWindow(id_) != nullptr) windowShown_ = true;
  return windowShown_;
}

void ChildProcess::Terminate(UINT exitCode) {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, exitCode);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

std::string ChildProcess::Output() const { return outputs_ ? FileBytes(*outputs_ / L"out") : std::string(); }
std::string ChildProcess::Errors() const { return outputs_ ? FileBytes(*outputs_ / L"err") : std::string(); }

ChildRun RunToEnd(const std::wstring& program, const std::vector<std::wstring>& arguments, const ChildOptions& options,
                  DWORD timeoutMs, bool traces) {
  ChildRun run;
  std::unique_ptr<DebugMonitor> monitor;
  if (traces) {
    monitor = std::make_unique<DebugMonitor>();
    if (!monitor->ok()) {
      run.startFailure = Failure("debug-output buffer", monitor->error());
      return run;
    }
  }
  ChildProcess child;
  if (!child.Start(program, arguments, options)) {
    run.startFailure = child.StartFailure();
    return run;
  }
  run.processId = child.id();
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    const HANDLE waits[] = {child.handle(), monitor ? monitor->data_ready() : nullptr};
    const DWORD woke = WaitForMultipleObjects(monitor ? 2 : 1, waits, FALSE, left);
    if (woke == WAIT_OBJECT_0 + 1) {
      monitor->Take(child.id(), run.traces);
      continue;
    }
    if (woke == WAIT_OBJECT_0) {
      // A text written just before the end may still wait in the buffer.
      if (monitor && WaitForSingleObject(monitor->data_ready(), 0) == WAIT_OBJECT_0)
        monitor->Take(child.id(), run.traces);
      run.finished = child.WaitForExit(0, run.exitCode);
    }
    break;
  }
  child.Terminate(99);
  run.out = child.Output();
  run.err = child.Errors();
  return run;
}

}  // namespace testsupport
