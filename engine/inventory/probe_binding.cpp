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
// The library's file beside the wizard, held with read sharing only from before it is copied until
// the copy is unloaded, so that what the user sees beside the wizard stays what was loaded.
PinnedFile pinned;
// The copy that is checked and loaded, held from before it is checked until it is unloaded.
PrivateCopy copy;
// Set when the file beside the wizard was refused; it is never looked at again.
bool refused = false;

// Called once the copy was checked, just before it is loaded; tests only.
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

// Loads the checked private copy and takes its four entry points; anything missing undoes the
// whole binding.
bool LoadCheckedCopy() {
  // By full path, its own dependencies from the system folder only (as the process's search is
  // restricted at the wizard's entry, wizard/dll_search.h), never from the folder of the copy.
  binding.module = LoadLibraryExW(copy.path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
  if (!ProgramPath(program) ||
      !ProbePathBesideProgram(program.c_str(), static_cast<DWORD>(program.size()), path)) {
    return false;
  }
  // The program's own folder, for pinning and loading alike (the package folder a test may set
  // for the engine is not where the program's library lies).
  const std::wstring file = path;
  // Pinned in its folder (held from its first use on, engine/inventory/held_folder.h), given with its
  // backslash so that a drive's root stays "C:\" rather than the drive's current folder. A missing
  // library is a refusal for a wizard that expects its publisher's, since without dates the package
  // always wins; a development build goes on without dates.
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
  // The loader opens a library by name, and the way to this name may be pointed elsewhere after
  // any check; so the held file is copied where only administrators can write, and the copy is
  // checked and loaded by its own full path.
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
    // Named as the file beside the wizard, which is what its publisher and user know, not as the
    // private copy the check read.
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
