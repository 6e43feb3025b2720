#include "wizard/single_instance.h"

#include <sddl.h>

#include <cstdint>
#include <string>

#include "engine/host_paths.h"
#include "engine/module_function.h"
#include "engine/poll_policy.h"
#include "wizard/logic/wizard_texts.h"

namespace {

constexpr const wchar_t* kBoundaryName = L"Pakorra.Wizard";
constexpr const wchar_t* kNamespaceAlias = L"Pakorra";
// Without private namespaces: a fixed name, the same for every copy of the program.
constexpr const wchar_t* kFallbackPrefix = L"Global\\Pakorra.Wizard";

using CreateBoundaryDescriptorFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddToBoundaryFn = BOOL(WINAPI*)(HANDLE*, PSID);  // a group's SID, or an integrity label
using CreatePrivateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenPrivateNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);

// The private namespace, created by the first wizard or opened by later ones; only processes of the
// Administrators group can, and its handle stays open for the process's life. Empty when the system
// has none (some compatibility layers have the functions but no implementation: the boundary
// descriptor then comes back null, and nothing further is called).
std::wstring OpenWizardNamespace() {
  // Looked up rather than imported: the wizard must start where these are missing.
  const auto createBoundary = ModuleFunction<CreateBoundaryDescriptorFn>(L"kernel32.dll", "CreateBoundaryDescriptorW");
  const auto addSid = ModuleFunction<AddToBoundaryFn>(L"kernel32.dll", "AddSIDToBoundaryDescriptor");
  const auto createNamespace = ModuleFunction<CreatePrivateNamespaceFn>(L"kernel32.dll", "CreatePrivateNamespaceW");
  const auto openNamespace = ModuleFunction<OpenPrivateNamespaceFn>(L"kernel32.dll", "OpenPrivateNamespaceW");
  const auto addIntegrityLabel =
      ModuleFunction<AddToBoundaryFn>(L"kernel32.dll", "AddIntegrityLabelToBoundaryDescriptor");
  if (!createBoundary || !addSid || !createNamespace || !openNamespace || !addIntegrityLabel) return L"";

  HANDLE boundary = createBoundary(kBoundaryName, 0);
  if (boundary == nullptr) return L"";
  // Processes of the Administrators group, and only those of high integrity (elevated).
  const auto wellKnownSid = [](WELL_KNOWN_SID_TYPE type, BYTE* sid) {
    DWORD bytes = SECURITY_MAX_SID_SIZE;
    return CreateWellKnownSid(type, nullptr, sid, &bytes) != FALSE;
  };
  BYTE administrators[SECURITY_MAX_SID_SIZE], highIntegrity[SECURITY_MAX_SID_SIZE];
  if (!wellKnownSid(WinBuiltinAdministratorsSid, administrators) || !addSid(&boundary, administrators) ||
      !wellKnownSid(WinHighLabelSid, highIntegrity) || !addIntegrityLabel(&boundary, highIntegrity)) {
    return L"";
  }
  // Administrators and the system only.
  SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1,
                                                            &security.lpSecurityDescriptor, nullptr)) {
    return L"";
  }
  HANDLE space = createNamespace(&security, boundary, kNamespaceAlias);
  if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) space = openNamespace(boundary, kNamespaceAlias);
  LocalFree(security.lpSecurityDescriptor);
  // The boundary descriptor is not needed once the namespace is open; it is a few bytes, kept.
  return space != nullptr ? std::wstring(kNamespaceAlias) : std::wstring();
}

const std::wstring& NamePrefix() {
  static const std::wstring prefix = [] {
    const std::wstring space = OpenWizardNamespace();
    return space.empty() ? std::wstring(kFallbackPrefix) : space + L"\\Wizard";
  }();
  return prefix;
}

// A small shared block holding the running wizard's dialog handle (window handles carry 32
// significant bits, so 32-bit and 64-bit wizards read each other's).
uint32_t* PublishedDialogSlot() {
  static uint32_t* slot = [] {
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(uint32_t),
                                        (NamePrefix() + L".Dialog").c_str());
    if (mapping == nullptr) return static_cast<uint32_t*>(nullptr);
    return static_cast<uint32_t*>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(uint32_t)));
  }();
  return slot;
}

// The file name of a program path, its 8.3 short form made long where it has one.
std::wstring FileNameOf(const std::wstring& path) {
  wchar_t longPath[MAX_PATH * 2] = {};
  const DWORD length = GetLongPathNameW(path.c_str(), longPath, MAX_PATH * 2);
  const std::wstring full = length > 0 && length < MAX_PATH * 2 ? std::wstring(longPath, length) : path;
  return full.substr(full.find_last_of(L"\\/") + 1);
}

bool SameNameWithoutCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Whether the process's token is elevated; a token that cannot be read counts as not.
bool RunsElevated(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD length = 0;
  const bool read = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &length) != 0;
  CloseHandle(token);
  return read && elevation.TokenIsElevated != 0;
}

// Whether two paths name the same file: its volume and index, whatever link or drive led there.
bool SameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION facts[2] = {};
  const std::wstring* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    HANDLE file = CreateFileW(paths[i]->c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE |
                              FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &facts[i]) != 0;
    CloseHandle(file);
    if (!known) return false;
  }
  return facts[0].dwVolumeSerialNumber == facts[1].dwVolumeSerialNumber &&
         facts[0].nFileIndexHigh == facts[1].nFileIndexHigh && facts[0].nFileIndexLow == facts[1].nFileIndexLow;
}

// Whether the process is elevated and runs the wizard: this very program file, or with
// `anyCopy` a program file of the wizard's own file name.
bool RunsTheWizard(DWORD pid, bool anyCopy) {
  std::wstring own;
  if (!ProgramPath(own) || own.size() >= MAX_PATH * 2) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return false;
  wchar_t image[MAX_PATH * 2] = {};
  DWORD imageLength = MAX_PATH * 2;
  const bool known = QueryFullProcessImageNameW(process, 0, image, &imageLength) != 0;
  const bool elevated = RunsElevated(process);
  CloseHandle(process);
  if (!known || !elevated) return false;
  const std::wstring imagePath(image, imageLength);
  return anyCopy ? SameNameWithoutCase(FileNameOf(imagePath), FileNameOf(own)) : SameFile(imagePath, own);
}

// Other programs can write the shared section and the published slot, so a window counts only as
// a dialog with the wizard's title of an elevated process running the wizard. Any program mapping
// this file can write its shared section: a window found there counts only for this very file. The
// slot lies in the private namespace, open only to elevated administrators (or under the fixed name
// where the system has none), where copies started from other folders publish: there a program of
// the wizard's file name counts.
bool IsWizardDialog(HWND window, bool anyCopy) {
  if (window == nullptr || IsWindow(window) != 1) return false;
  wchar_t className[16] = {};
  if (GetClassNameW(window, className, 16) == 0 || std::wstring(className) != L"#32770") return false;
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  if (std::wstring(title) != wizard_text::kTitle) return false;
  DWORD pid = 0;
  return GetWindowThreadProcessId(window, &pid) != 0 && RunsTheWizard(pid, anyCopy);
}

HWND RunningDialog(const volatile HWND& sameImageDialog) {
  const HWND same = sameImageDialog;
  if (IsWizardDialog(same, false)) return same;
  const uint32_t* slot = PublishedDialogSlot();
  const HWND published = slot != nullptr ? reinterpret_cast<HWND>(static_cast<uintptr_t>(*slot)) : nullptr;
  return IsWizardDialog(published, true) ? published : nullptr;
}

bool BringForward(HWND dialog) {
  if (dialog == nullptr) return false;
  ShowWindow(dialog, SW_SHOWNORMAL);
  BringWindowToTop(dialog);
  SetActiveWindow(dialog);
  SetForegroundWindow(dialog);
  return true;
}

bool Acquired(DWORD waited) { return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED; }

// Owned by the running wizard for its whole life; the system releases it when that process ends,
// however it ends.
HANDLE OpenClaim() { return CreateMutexW(nullptr, FALSE, (NamePrefix() + L".Running").c_str()); }

}  // namespace

WizardTurn TakeWizardTurn(const volatile HWND& sameImageDialog) {
  HANDLE claim = OpenClaim();
  if (claim == nullptr) {
    return BringForward(RunningDialog(sameImageDialog)) ? WizardTurn::BroughtForward : WizardTurn::Ours;
  }
  if (Acquired(WaitForSingleObject(claim, 0))) return WizardTurn::Ours;

  // A second start: the first wizard may still be in its start-up check, before its dialog exists.
  const PollPolicy& poll = GetPollPolicy();
  for (int attempt = 0; attempt < poll.attempts; ++attempt) {
    if (BringForward(RunningDialog(sameImageDialog))) {
      CloseHandle(claim);
      return WizardTurn::BroughtForward;
    }
    // The first wizard ended meanwhile: this one is the wizard now.
    if (Acquired(WaitForSingleObject(claim, poll.pauseMs))) return WizardTurn::Ours;
  }
  CloseHandle(claim);
  return WizardTurn::OtherStillBusy;
}

void PublishWizardDialog(HWND dialog) {
  if (uint32_t* slot = PublishedDialogSlot()) *slot = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dialog));
}

bool TakeWizardTurnQuietly() {
  HANDLE claim = OpenClaim();
  // Without a claim nothing can tell whether another wizard runs, as for an interactive start.
  if (claim == nullptr) return true;
  const PollPolicy& poll = GetPollPolicy();
  if (Acquired(WaitForSingleObject(claim, static_cast<DWORD>(poll.attempts) * poll.pauseMs))) return true;
  CloseHandle(claim);
  return false;
}
