// Loads a library by name only, as a system library or the runtime would, from the folder it is
// started in. Arguments: "plain" or "restricted" (the wizard's search restriction applied
// first), then the library's name. Exit code 0 when a library was loaded, 1 when none was, 2 for
// wrong arguments.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <cwchar>

#include "wizard/dll_search.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr || count != 3) return 2;
  if (wcscmp(args[1], L"restricted") == 0) {
    RestrictDllSearchToSystem();
  } else if (wcscmp(args[1], L"plain") != 0) {
    return 2;
  }
  return LoadLibraryW(args[2]) != nullptr ? 0 : 1;
}
