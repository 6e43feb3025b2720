#include "engine/inventory/pinned_file.h"

#include "engine/host_paths.h"
#include "engine/inventory/held_folder.h"
#include "engine/testing_seams.h"

namespace {

PinObserver pinObserver = nullptr;
void* pinObserverContext = nullptr;

bool IsAbsence(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

std::wstring OpenFailure(DWORD error) {
  if (IsAbsence(error)) return L"missing";
  if (error == ERROR_SHARING_VIOLATION) return L"held open for writing by another program";
  return L"cannot be opened (error " + std::to_wstring(error) + L")";
}

}  // namespace

std::wstring PinRefusal(const OpenedFileFacts& facts) {
  if (facts.fileType != FILE_TYPE_DISK) return L"not a disk file";
  if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) return L"a link (reparse point)";
  if (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) return L"a folder";
  if (facts.links != 1) return L"a file of " + std::to_wstring(facts.links) + L" links";
  // The file system compares names without case; so does this.
  if (facts.finalPath.empty() ||
      CompareStringOrdinal(facts.finalPath.c_str(), static_cast<int>(facts.finalPath.size()),
                           facts.expectedPath.c_str(), static_cast<int>(facts.expectedPath.size()),
                           TRUE) != CSTR_EQUAL) {
    return L"resolves to another place: " + facts.finalPath;
  }
  return L"";
}

OpenedFileFacts FactsOfOpenedFile(HANDLE handle, const std::wstring& expectedPath) {
  OpenedFileFacts facts;
  facts.fileType = GetFileType(handle);
  BY_HANDLE_FILE_INFORMATION info = {};
  if (GetFileInformationByHandle(handle, &info)) {
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
  }
  FinalPathOf(handle, facts.finalPath);  // stays empty when unknown
  facts.expectedPath = expectedPath;
  return facts;
}

PinOutcome PinFile(const std::wstring& folder, const std::wstring& relative, PinnedFile& out, std::wstring& why) {
  HeldFolder held;
  if (!HoldFolder(folder, held, why)) return PinOutcome::Refused;
  if (pinObserver != nullptr) pinObserver(relative, pinObserverContext);
  DWORD error = 0;
  HANDLE handle = OpenBelowHeldFolder(held, relative, error);
  if (handle == nullptr) {
    why = OpenFailure(error);
    return IsAbsence(error) ? PinOutcome::Missing : PinOutcome::Refused;
  }
  std::unique_ptr<ByteSource> source = ByteSourceOnHandle(handle);  // closes the handle from here on

  const std::wstring refusal = PinRefusal(FactsOfOpenedFile(handle, held.finalPath + L"\\" + relative));
  if (!refusal.empty()) {
    why = refusal;
    return PinOutcome::Refused;
  }
  out.source = std::move(source);
  out.handle = handle;
  return PinOutcome::Pinned;
}

PinOutcome PinPackageFile(const std::wstring& relative, PinnedFile& out, std::wstring& why) {
  std::wstring folder;
  if (!GetModuleDir(folder)) {
    why = L"the wizard's folder is unknown";
    return PinOutcome::Refused;
  }
  return PinFile(folder, relative, out, why);
}

void ObservePinsForTesting(PinObserver observer, void* context) {
  pinObserver = observer;
  pinObserverContext = context;
}
