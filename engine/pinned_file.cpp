#include "engine/pinned_file.h"

#include <vector>

#include "engine/host_paths.h"

namespace {

// The final path of an open handle, as the file system resolves it (links followed, short names
// long), in the "\\?\C:\..." form; false when the system cannot tell.
bool FinalPathOf(HANDLE handle, std::wstring& out) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return false;
    if (length < buffer.size()) {
      out.assign(buffer.data(), length);
      return true;
    }
    buffer.resize(length + 1);
  }
  return false;
}

bool FinalPathOfFolder(const std::wstring& folder, std::wstring& out) {
  HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = FinalPathOf(handle, out);
  CloseHandle(handle);
  return known;
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::wstring OpenFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kPinMissing;
    case ERROR_SHARING_VIOLATION:
      return L"held open for writing by another program";
    default:
      return L"cannot be opened (error " + std::to_wstring(error) + L")";
  }
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

bool PinFile(const std::wstring& folder, const std::wstring& relative, PinnedFile& out, std::wstring& why) {
  const std::wstring base = WithoutTrailingSeparators(folder);
  const std::wstring path = base + L"\\" + relative;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    why = OpenFailure(GetLastError());
    return false;
  }
  std::unique_ptr<ByteSource> source = ByteSourceOnHandle(handle);  // closes the handle from here on

  std::wstring folderFinal;
  const std::wstring expected =
      FinalPathOfFolder(base, folderFinal) ? WithoutTrailingSeparators(folderFinal) + L"\\" + relative : L"";
  const std::wstring refusal = PinRefusal(FactsOfOpenedFile(handle, expected));
  if (!refusal.empty()) {
    why = refusal;
    return false;
  }
  out.source = std::move(source);
  out.handle = handle;
  return true;
}

bool PinPackageFile(const std::wstring& relative, PinnedFile& out, std::wstring& why) {
  std::wstring folder;
  if (!GetModuleDir(folder)) {
    why = L"the wizard's folder is unknown";
    return false;
  }
  return PinFile(folder, relative, out, why);
}
