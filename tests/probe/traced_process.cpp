#include "tests/probe/traced_process.h"

namespace {

std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

std::wstring ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  std::wstring text;
  const size_t units = info.nDebugStringLength;
  if (info.fUnicode) {
    std::wstring buffer(units, L'\0');
    SIZE_T got = 0;
    if (ReadProcessMemory(process, info.lpDebugStringData, buffer.data(), units * sizeof(wchar_t), &got)) {
      text.assign(buffer.c_str());
    }
  } else {
    // The ANSI form, in the system code page.
    std::string buffer(units, '\0');
    SIZE_T got = 0;
    if (ReadProcessMemory(process, info.lpDebugStringData, buffer.data(), units, &got)) {
      const std::string narrow(buffer.c_str());
      const int n = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), static_cast<int>(narrow.size()), nullptr, 0);
      text.resize(static_cast<size_t>(n));
      MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), static_cast<int>(narrow.size()), text.data(), n);
    }
  }
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

}  // namespace

TracedRun RunTraced(const std::wstring& program, const std::vector<std::wstring>& arguments,
                    const std::wstring& currentDir, DWORD timeoutMs) {
  TracedRun run;
  std::wstring commandLine = Quote(program);
  for (const std::wstring& argument : arguments) commandLine += L" " + Quote(argument);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &info)) {
    run.startError = GetLastError();
    return run;
  }
  const DWORD deadline = GetTickCount() + timeoutMs;
  for (;;) {
    const DWORD now = GetTickCount();
    DEBUG_EVENT event = {};
    if (static_cast<LONG>(deadline - now) <= 0 || !WaitForDebugEvent(&event, deadline - now)) {
      TerminateProcess(info.hProcess, 99);
      break;
    }
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        run.traces.push_back(ReadDebugString(info.hProcess, event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The loader's initial breakpoint is ours to pass; anything else goes back to the program.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = event.u.ExitProcess.dwExitCode;
        run.finished = true;
        break;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    if (run.finished) break;
  }
  WaitForSingleObject(info.hProcess, 5000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return run;
}
