#include "engine/processes/process_control.h"

#include <shlwapi.h>
#include <tlhelp32.h>

#include <string>

#include "engine/host_paths.h"
#include "engine/poll_policy.h"
#include "engine/processes/desktop_user_start.h"

namespace {

constexpr UINT kTerminatedExitCode = 4;

bool HasName(const wchar_t* name) { return name != nullptr && name[0] != L'\0'; }

// Lower-cases with the system's own case mapping, as the file system compares names.
std::wstring Lowered(const wchar_t* text) {
  std::wstring lowered(text);
  if (!lowered.empty()) CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
  return lowered;
}

// The snapshot names the executable file; a folder part, should one appear, is not compared.
const wchar_t* FileNameOnly(const wchar_t* path) {
  const size_t cut = std::wstring(path).find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path + cut + 1;
}

// The bounded wait for every process of that name to be gone.
bool PollUntilGone(const wchar_t* name) {
  const PollPolicy& poll = GetPollPolicy();
  for (int attempt = 0; attempt < poll.attempts; ++attempt) {
    Sleep(poll.pauseMs);
    DWORD processId = 0;
    if (!FindProcessByName(name, processId)) return true;
  }
  return false;
}

}  // namespace

bool FindProcessByName(const wchar_t* name, DWORD& processId) {
  if (name == nullptr) return false;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;

  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  bool found = false;
  if (Process32FirstW(snapshot, &entry)) {
    const std::wstring wanted = Lowered(name);
    do {
      if (Lowered(FileNameOnly(entry.szExeFile)) == wanted) {
        processId = entry.th32ProcessID;
        found = true;
        break;
      }
      entry.dwSize = sizeof(entry);
    } while (Process32NextW(snapshot, &entry));
  }
  CloseHandle(snapshot);
  return found;
}

bool KillProcessByName(const wchar_t* name) {
  if (!HasName(name)) return false;
  DWORD processId = 0;
  if (!FindProcessByName(name, processId)) return true;

  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  // Not ours to end: the caller goes on, and its own file step fails if the process still holds it.
  if (process == nullptr) return true;
  TerminateProcess(process, kTerminatedExitCode);
  CloseHandle(process);
  return PollUntilGone(name);
}

bool StopServiceWithRepairTool(const wchar_t* name) {
  if (!HasName(name)) return false;
  DWORD processId = 0;
  if (!FindProcessByName(name, processId)) return true;

  std::wstring tool;
  if (!GetRepairToolPath(tool) || !PathFileExistsW(tool.c_str())) return false;
  // Elevated, as the wizard's own child: it must be able to stop the service. It works in the
  // host's folder; whether it did its work is not known from the start, the poll decides.
  std::wstring folder;
  GetHostDir(folder);
  OpenDirectly(tool, L"-S", folder);
  return PollUntilGone(name);
}

bool StopDictService() {
  DWORD processId = 0;
  if (!FindProcessByName(kDictServiceImageName, processId)) return true;
  if (StopServiceWithRepairTool(kDictServiceImageName)) return true;
  return KillProcessByName(kDictServiceImageName);
}
