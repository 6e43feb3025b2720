// A function looked up at run time rather than imported: one some systems lack, or one of a
// library the program loads itself.
#pragma once

#include <windows.h>

// The function `name` of the loaded `module` as type Fn; null for a null module or no such function.
template <typename Fn>
Fn ModuleFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through void*: GetProcAddress's own type converts to no other function type without a warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The same from a system library the process has loaded already (kernel32.dll, user32.dll).
template <typename Fn>
Fn ModuleFunction(const wchar_t* loadedLibrary, const char* name) {
  return ModuleFunction<Fn>(GetModuleHandleW(loadedLibrary), name);
}
