#include "wizard/dll_search.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);

template <typename Fn>
Fn KernelFunction(const char* name) {
  // Looked up rather than imported: systems without these functions must still start the wizard.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

void RestrictDllSearchToSystem() {
  if (auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Also where the default directories are not available: no current folder in the search.
  SetDllDirectoryW(L"");
  if (auto setMode = KernelFunction<SetSearchPathModeFn>("SetSearchPathMode")) {
    setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
  }
}
