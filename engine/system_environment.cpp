#include "engine/system_environment.h"

#include <windows.h>

#include <map>

#include "engine/module_function.h"

namespace {

using CreateEnvironmentBlockFn = BOOL(WINAPI*)(void** environment, HANDLE token, BOOL inherit);
using DestroyEnvironmentBlockFn = BOOL(WINAPI*)(void* environment);

struct CaseInsensitiveLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
  }
};
using Variables = std::map<std::wstring, std::wstring, CaseInsensitiveLess>;

// Sets a variable of this process for the life of the object, then puts back what was there.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, old, MAX_PATH);
    had_ = length > 0 && length < MAX_PATH;
    if (had_) old_ = old;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

// The system's variables only: CreateEnvironmentBlock with no token, its library loaded from the
// system folder. Not ExpandEnvironmentStringsForUserW, which some systems answer from the caller's
// environment; and as some build SystemRoot and SystemDrive (and what refers to them) from the
// caller's, the caller's two are the system's while the block is made.
bool ReadSystemVariables(Variables& variables) {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length < 2 || length >= MAX_PATH) return false;
  const ScopedVariable root(L"SystemRoot", windows);
  const ScopedVariable drive(L"SystemDrive", std::wstring(windows, 2));

  HMODULE userenv = LoadLibraryExW(L"userenv.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (userenv == nullptr) return false;
  const auto create = ModuleFunction<CreateEnvironmentBlockFn>(userenv, "CreateEnvironmentBlock");
  const auto destroy = ModuleFunction<DestroyEnvironmentBlockFn>(userenv, "DestroyEnvironmentBlock");
  void* block = nullptr;
  const bool made = create != nullptr && destroy != nullptr && create(&block, nullptr, FALSE) && block != nullptr;
  if (made) {
    for (const wchar_t* entry = static_cast<const wchar_t*>(block); *entry != L'\0'; entry += wcslen(entry) + 1) {
      // Names start after the first character: "=C:" style entries name drives, not variables.
      const wchar_t* equals = wcschr(entry + 1, L'=');
      if (equals != nullptr) variables.emplace(std::wstring(entry, equals), std::wstring(equals + 1));
    }
    destroy(block);
  }
  FreeLibrary(userenv);
  return made;
}

}  // namespace

bool ExpandWithSystemEnvironment(const std::wstring& text, std::wstring& out) {
  Variables variables;
  if (!ReadSystemVariables(variables)) return false;
  std::wstring result;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(L'%', at);
    const size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    result.append(text, at, open - at);
    const auto found = variables.find(text.substr(open + 1, close - open - 1));
    if (found != variables.end()) {
      result += found->second;
      at = close + 1;
    } else {
      // Not a system variable: the "%" stays, and the closing one may open the next reference.
      result += L'%';
      at = open + 1;
    }
  }
  result.append(text, at, std::wstring::npos);
  out = result;
  return true;
}
