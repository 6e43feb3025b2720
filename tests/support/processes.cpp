#include "tests/support/processes.h"

#include <tlhelp32.h>

#include <vector>

namespace testsupport {
namespace {

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// Every process when imageName is null.
std::vector<DWORD> ProcessesNamed(const wchar_t* imageName) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  const std::wstring wanted = imageName ? Lowered(imageName) : std::wstring();
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (imageName == nullptr || Lowered(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

void TerminateAndWait(HANDLE process) {
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 10000);
}

}  // namespace

int CountProcesses(const wchar_t* imageName) { return static_cast<int>(ProcessesNamed(imageName).size()); }

void TerminateAll(const wchar_t* imageName) {
  for (DWORD id : ProcessesNamed(imageName)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    TerminateAndWait(process);
    CloseHandle(process);
  }
}

void TerminateProgramsIn(const std::wstring& folder) {
  const std::wstring prefix = Lowered(folder + L"\\");
  for (DWORD id : ProcessesNamed(nullptr)) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &length) && Lowered(image).rfind(prefix, 0) == 0) {
      TerminateAndWait(process);
    }
    CloseHandle(process);
  }
}

}  // namespace testsupport
