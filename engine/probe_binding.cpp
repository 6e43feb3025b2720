#include "engine/probe_binding.h"

#include <string>

#include "engine/diagnostics.h"
#include "engine/module_function.h"
#include "engine/pinned_file.h"
#include "engine/publisher_signature.h"

namespace {

constexpr DWORD kPathChars = MAX_PATH;  // 260
constexpr wchar_t kProbeFileName[] = L"\\vintora.dll";

ProbeBinding binding = {false, nullptr, nullptr, nullptr, nullptr, nullptr};
// The library's file, held from before it is checked until the process ends, with read sharing
// only: no one can change, rename or delete it, so the file loaded is the file checked.
PinnedFile pinned;
// Set when the file beside the wizard was refused; it is never looked at again.
bool refused = false;

void Unbind() {
  if (binding.module != nullptr) FreeLibrary(binding.module);
  binding = ProbeBinding{false, nullptr, nullptr, nullptr, nullptr, nullptr};
  pinned = PinnedFile{};  // closes the handle: a retry may find another file
}

bool Refuse(const std::wstring& diagnostic) {
  refused = true;
  TraceDiagnostic(diagnostic);
  return false;
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
  if (refused) return false;

  wchar_t program[kPathChars] = {};
  const DWORD length = GetModuleFileNameW(nullptr, program, kPathChars);
  wchar_t path[kPathChars] = {};
  if (!ProbePathBesideProgram(program, length, path)) return false;
  // The program's own folder, for pinning and loading alike (the package folder a test may set
  // for the engine is not where the program's library lies).
  const std::wstring file = path;
  // Pinned in its folder, given with its backslash so that a drive's root stays "C:\" rather than
  // the drive's current folder; then checked for who signed it. A missing library is no refusal
  // for a development build: the dates stay unknown. For a signed wizard it is, since without
  // dates the package always wins.
  std::wstring why;
  if (!PinFile(file.substr(0, file.find_last_of(L'\\') + 1), kProbeFileName + 1, pinned, why)) {
    if (why == kPinMissing && !WizardExpectsPublisher()) return false;
    return Refuse(L"BindVersionProbe-1: not pinned, " + why + L": " + file);
  }
  PublisherRefusal refusal;
  if (!LibraryFromWizardsPublisher(pinned.handle, file, refusal)) {
    pinned = PinnedFile{};
    return Refuse(L"BindVersionProbe-2: " + refusal.reason + L": " + refusal.file);
  }

  binding.module = LoadLibraryW(path);
  if (binding.module == nullptr) {
    Unbind();
    return false;
  }
  // In this order; the first missing one undoes the whole binding.
  if ((binding.init_dbcore = ModuleFunction<InitDbcoreFn>(binding.module, "init_dbcore")) == nullptr ||
      (binding.get_dict_datetime = ModuleFunction<GetDictDatetimeFn>(binding.module, "get_dict_datetime")) == nullptr ||
      (binding.compare_date = ModuleFunction<CompareDateFn>(binding.module, "compare_date")) == nullptr ||
      (binding.string_to_date = ModuleFunction<StringToDateFn>(binding.module, "string_to_date")) == nullptr) {
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

bool ProbeLibraryRefused() { return refused; }
