// A library the test core variant imports by a name of its own, as a real core may import a
// runtime it does not ship. Loading it leaves a marker beside it, "<its own path>.loaded", naming
// the program that loaded it, so a test can tell which copy the loader took.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) int __cdecl CoreDependencyAnswer() { return 42; }

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t own[MAX_PATH] = {};
  wchar_t program[MAX_PATH] = {};
  if (GetModuleFileNameW(self, own, MAX_PATH) == 0) return TRUE;
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  HANDLE file = CreateFileW((std::wstring(own) + L".loaded").c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, program, static_cast<DWORD>(wcslen(program) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
