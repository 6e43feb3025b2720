#include "engine/inventory/probe_binding.h"

#include <string>

#include "engine/diagnostics.h"
#include "engine/host_paths.h"
#include "engine/inventory/package_seal.h"
#include "engine/inventory/pinned_file.h"
#include "engine/inventory/private_copy.h"
#include "engine/inventory/publisher_signature.h"
#include "engine/module_function.h"
#include "engine/testing_seams.h"

namespace {

constexpr DWORD kPathChars = MAX_PATH;
constexpr wchar_t kProbeFileName[] = L"\\vintora.dll";

ProbeBinding binding = {false, nullptr, nullptr, nullptr, nullptr, nullptr};
// The file beside the wizard, held with read sharing only until the copy is unloaded: what the
// user sees there stays what was loaded.
PinnedFile pinned;
// The copy that is checked and loaded, held from before it is checked until it is unloaded.
PrivateCopy copy;
// Set when the file beside the wizard was refused; it is never looked at again.
bool refused = false;

ProbeCheckedObserver checkedObserver = nullptr;
void* checkedObserverContext = nullptr;

void Unbind() {
  if (binding.module != nullptr) FreeLibrary(binding.module);
  binding = ProbeBinding{false, nullptr, nullptr, nullptr, nullptr, nullptr};
  pinned = PinnedFile{};  // closes the handle: a retry may find another file
  RemovePrivateCopy(copy);
}

bool Refuse(const std::wstring& diagnostic) {
  refused = true;
  TraceDiagnostic(diagnostic);
  return false;
}

// Loads the checked private copy and takes its four entry points; anything missing undoes it all.
bool LoadCheckedCopy() {
  // By full path, its own dependencies from the system folder only (as the process's search is
  // restricted at the wizard's entry, wizard/dll_search.h), never from the folder of the copy.
  binding.module = LoadLibraryExW(copy.path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // In this order, up to the first missing one (none from a library that did not load).
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

  std::wstring program;
  wchar_t path[kPathChars] = {};
  if (!ProgramPath(program) || !ProbePathBesideProgram(program.c_str(), static_cast<DWORD>(program.size()), path)) {
    return false;
  }
  // The program's own folder, not the package folder a test may set for the engine.
  const std::wstring file = path;
  // Its folder keeps its backslash (a root stays "C:\"); WizardExpectsPublisher decides a missing file.
  std::wstring why;
  const PinOutcome pin = PinFile(file.substr(0, file.find_last_of(L'\\') + 1), kProbeFileName + 1, pinned, why);
  if (pin != PinOutcome::Pinned) {
    if (pin == PinOutcome::Missing && !WizardExpectsPublisher()) return false;
    return Refuse(L"BindVersionProbe-1: not pinned, " + why + L": " + file);
  }
  if (!SealAdmitsFile(kProbeFileName + 1, *pinned.source)) {
    Unbind();
    return Refuse(L"BindVersionProbe-4: not as the package's seal lists it: " + file);
  }
  // Checked and loaded as a private copy (private_copy.h), not through the user's folder.
  if (!MakePrivateCopy(*pinned.source, kProbeFileName + 1, copy, why)) {
    Unbind();
    const std::wstring diagnostic = L"BindVersionProbe-3: " + why + L": " + file;
    if (WizardExpectsPublisher()) return Refuse(diagnostic);
    TraceDiagnostic(diagnostic);  // no dates, as without the library
    return false;
  }
  PublisherRefusal refusal;
  if (!LibraryFromWizardsPublisher(copy.fileHandle, copy.path, refusal)) {
    Unbind();
    // Named as the file beside the wizard, which its publisher and user know, not as the copy.
    return Refuse(L"BindVersionProbe-2: " + refusal.reason + L": " + file);
  }

  if (checkedObserver != nullptr) checkedObserver(checkedObserverContext);
  return LoadCheckedCopy();
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

void ReleaseVersionProbe() {
  // The host's core library vintora loaded stays loaded until the process ends.
  Unbind();
}

void ObserveProbeCheckedForTesting(ProbeCheckedObserver observer, void* context) {
  checkedObserver = observer;
  checkedObserverContext = context;
}
