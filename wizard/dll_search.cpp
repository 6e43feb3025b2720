#include "wizard/dll_search.h"

#include <windows.h>

#include "engine/module_function.h"

void RestrictDllSearchToSystem() {
  using FlagsFn = BOOL(WINAPI*)(DWORD);  // both functions take one word of flags
  // Looked up rather than imported: systems without these functions must still start the wizard.
  if (auto setDefault = ModuleFunction<FlagsFn>(L"kernel32.dll", "SetDefaultDllDirectories")) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Also where the default directories are not available: no current folder in the search.
  SetDllDirectoryW(L"");
  if (auto setMode = ModuleFunction<FlagsFn>(L"kernel32.dll", "SetSearchPathMode")) {
    setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
  }
}
