#include "wizard/common_controls.h"

// After windows.h:
#include <commctrl.h>

#include "engine/module_function.h"

bool InitCommonControlsAtRunTime(DWORD classes) {
  // By name: the manifest's activation context leads it to version 6, and the restricted search
  // to the system's copy. Kept loaded for the process's life, as an import would be.
  HMODULE library = LoadLibraryW(L"comctl32.dll");
  if (library == nullptr) return false;
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = ModuleFunction<InitFn>(library, "InitCommonControlsEx");
  if (init == nullptr) return false;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), classes};
  return init(&controls) != FALSE;
}
