// Holds a file open the way an unrelated program might: reading, sharing only reading, so the
// file can be neither moved, deleted nor rewritten while it runs. Arguments: the file, then a
// path at which an empty file is created once the file is held. Ends by itself after two minutes
// in case nobody ends it.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr || count != 3) return 2;
  HANDLE held = CreateFileW(args[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileW(args[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  Sleep(120000);
  CloseHandle(held);
  return 0;
}
