// A library planted beside a program under a system library's name. Loading it leaves a marker
// beside it, "<its own path>.loaded", naming the program that loaded it, so a test can tell
// whether the loader ever picked it up.
#include <windows.h>

#include <string>

namespace {

void LeaveMarker(HINSTANCE self) {
  wchar_t own[MAX_PATH] = {};
  wchar_t program[MAX_PATH] = {};
  if (GetModuleFileNameW(self, own, MAX_PATH) == 0) return;
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  const std::wstring marker = std::wstring(own) + L".loaded";
  HANDLE file = CreateFileW(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, program, static_cast<DWORD>(wcslen(program) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}
