#include "engine/probe_binding.h"

#include <string>

#include "engine/diagnostics.h"

namespace {

constexpr DWORD kPathChars = MAX_PATH;  // 260
constexpr wchar_t kProbeFileName[] = L"\\vintora.dll";

ProbeBinding binding = {false, nullptr, nullptr, nullptr, nullptr, nullptr};

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void Unbind() {
  if (binding.module != nullptr) FreeLibrary(binding.module);
  binding = ProbeBinding{false, nullptr, nullptr, nullptr, nullptr, nullptr};
}

}  // namespace

bool ProbePathBesideProgram(const wchar_t* programPath, DWORD length, wchar_t (&out)[kPathChars]) {
  if (length == 0 || length >= kPathChars) return false;
  const wchar_t* lastSlash = wcsrchr(programPath, L'\\');
  if (lastSlash == nullptr) return false;
  const size_t folderChars = static_cast<size_t>(lastSlash - programPath);
  const size_t suffixChars = sizeof(kProbeFileName) / sizeof(wchar_t) - 1;
  if (folderChars + suffixChars + 1 > kPathChars) return false;
  wmemcpy(out, programPath, folderChars);
  wcscpy(out + folderChars, kProbeFileName);
  return true;
}

bool BindVersionProbe() {
  if (binding.bound) return true;

  wchar_t program[kPathChars] = {};
  const DWORD length = GetModuleFileNameW(nullptr, program, kPathChars);
  wchar_t path[kPathChars] = {};
  if (!ProbePathBesideProgram(program, length, path)) return false;

  binding.module = LoadLibraryW(path);
  if (binding.module == nullptr) return false;
  // In this order; the first missing one undoes the whole binding.
  if ((binding.init_dbcore = Lookup<InitDbcoreFn>(binding.module, "init_dbcore")) == nullptr ||
      (binding.get_dict_datetime = Lookup<GetDictDatetimeFn>(binding.module, "get_dict_datetime")) == nullptr ||
      (binding.compare_date = Lookup<CompareDateFn>(binding.module, "compare_date")) == nullptr ||
      (binding.string_to_date = Lookup<StringToDateFn>(binding.module, "string_to_date")) == nullptr) {
    Unbind();
    return false;
  }
  binding.bound = true;
  return true;
}

bool InitDBCore(const wchar_t* corePath) {
  if (corePath == nullptr || corePath[0] == L'\0') {
    TraceDiagnostic(L"InitDBCore-1: para Err ");
    return false;
  }
  if (BindVersionProbe()) return binding.init_dbcore(corePath);
  TraceDiagnostic(std::wstring(L"InitDBCore-2: init vintora fail ") + corePath);
  return false;
}

const ProbeBinding& GetProbeBinding() { return binding; }
