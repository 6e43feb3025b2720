// Runs a program and collects what it writes to the debugger trace channel (OutputDebugStringW),
// which is where the engine's diagnostics go. The texts are taken from the system-wide debug
// monitor buffer (DBWIN_BUFFER) rather than as a debugger: Wine cannot debug a 32-bit process
// in its WoW64 mode, and the monitor works for both builds alike. One monitor per machine at a
// time: the Wine tests of a prefix never run side by side.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TracedRun {
  bool finished = false;  // started and ended within the time allowed
  DWORD exitCode = 0;
  DWORD startError = 0;              // GetLastError when the program could not be started
  std::vector<std::wstring> traces;  // one per OutputDebugString call, trailing line break removed
};

// `arguments` are quoted one by one; `currentDir` empty inherits ours. The program is ended
// after `timeoutMs`.
TracedRun RunTraced(const std::wstring& program, const std::vector<std::wstring>& arguments,
                    const std::wstring& currentDir = L"", DWORD timeoutMs = 60000);
