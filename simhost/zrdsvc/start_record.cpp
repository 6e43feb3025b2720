#include "simhost/zrdsvc/start_record.h"

#include <windows.h>
// The tool-help header builds on windows.h.
#include <tlhelp32.h>

#include <string>

#include "simhost/zrdsvc/run_log.h"

void AppendStartRecord(const wchar_t* fileName) {
  DWORD parent = 0;
  std::wstring parentName = L"?";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
      if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    }
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent != 0; more = Process32NextW(snapshot, &entry)) {
      if (entry.th32ProcessID == parent) parentName = entry.szExeFile;
    }
    CloseHandle(snapshot);
  }
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  AppendRunLog(fileName, L"parent " + std::to_wstring(parent) + L" " + parentName);
  AppendRunLog(fileName, std::wstring(L"folder ") + folder);
}
