// Starting programs from the tests, the benchmarks and the demo driver, all in one way: the
// command line quoted argument by argument, standard input and output given explicitly (the NUL
// device or files of the runner's own), and no handle inherited but those. A child so never holds
// a pipe of ours (CTest waits for its output pipe to close) and never depends on what our own
// standard handles happen to be.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class ScratchDir;

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);

struct ChildOptions {
  std::wstring currentDir;     // empty: this process's current folder
  bool captureOutput = false;  // standard output and error into files, read by Output() and Errors()
  // The show command a shell gives (SW_SHOWNORMAL ...), which Windows may apply to the program's
  // first ShowWindow call; -1: none.
  int showCommand = -1;
  // Every wait on the child also looks for a visible window of it every 10 ms, so that a window
  // shown for a moment is seen; WindowShown() tells.
  bool watchWindows = false;
};

// What a window shows as its text, also a window of another process.
std::wstring WindowText(HWND window);
// A visible top-level window of the process: of that class and with that title when they are
// given, never `exclude`; null when there is none.
HWND FindProcessWindow(DWORD pid, const wchar_t* className = nullptr, const wchar_t* title = nullptr,
                       HWND exclude = nullptr);

// One started program; still running when the object goes away, it is terminated.
class ChildProcess {
 public:
  ~ChildProcess();

  // Ends a child this object still holds, then starts the program. False when it could not be
  // started; StartFailure() then says which step failed and its GetLastError.
  bool Start(const std::wstring& program, const std::vector<std::wstring>& arguments = {},
             const ChildOptions& options = {});
  const std::string& StartFailure() const { return startFailure_; }

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  bool Running() const;
  // The exit code once the process has ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
  // The exit code once the process has ended within the time; STILL_ACTIVE (259) when it has not.
  DWORD ExitCodeWithin(DWORD timeoutMs) const;
  void Terminate(UINT exitCode = 1);
  // With watchWindows: whether a visible window of the child was seen by a wait or by this call.
  bool WindowShown() const;

  // With captureOutput: what the child has written so far (bytes, as it wrote them).
  std::string Output() const;
  std::string Errors() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  std::string startFailure_;
  std::unique_ptr<ScratchDir> outputs_;
  bool watchWindows_ = false;
  mutable bool windowShown_ = false;
};

// A program run to its end.
struct ChildRun {
  std::string startFailure;  // empty when it started
  bool finished = false;     // started and ended by itself within the time allowed
  DWORD exitCode = 0;
  DWORD processId = 0;               // once started
  std::string out, err;              // with captureOutput
  std::vector<std::wstring> traces;  // with traces: its OutputDebugString texts, line breaks removed
};

// Runs the program and waits for its end; one still running after timeoutMs is terminated.
// With traces, the texts it writes to the debug output are taken from the system's
// debug-output buffer (DBWIN_BUFFER) rather than as its debugger: Wine cannot debug a 32-bit
// process in its WoW64 mode, and the buffer works for both builds. One reader per session at a
// time: the Wine tests of a prefix never run side by side.
ChildRun RunToEnd(const std::wstring& program, const std::vector<std::wstring>& arguments,
                  const ChildOptions& options = {}, DWORD timeoutMs = 60000, bool traces = false);

}  // namespace testsupport
