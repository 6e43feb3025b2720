#include "engine/inventory/private_copy.h"

#include <sddl.h>

#include <vector>

#include "engine/inventory/held_folder.h"
#include "engine/inventory/pinned_file.h"

namespace {

constexpr DWORD kCopyChunk = 64 * 1024;
constexpr int kNameAttempts = 100;

void CloseIfOpen(HANDLE& handle) {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

// The folder's handle when it is a plain folder (no reparse point) whose final path is `expected`.
HANDLE HoldNewFolder(const std::wstring& folder, const std::wstring& expected, std::wstring& why) {
  HANDLE handle = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    why = L"the new folder cannot be opened (error " + std::to_wstring(GetLastError()) + L")";
    return INVALID_HANDLE_VALUE;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  std::wstring finalPath;
  if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !FinalPathOf(handle, finalPath) ||
      CompareStringOrdinal(finalPath.c_str(), -1, expected.c_str(), -1, TRUE) != CSTR_EQUAL) {
    why = L"the new folder is not a plain folder where it was made: " + finalPath;
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// Writes the whole source into the new file `path`, flushed; false on any failure.
bool WriteNewFile(ByteSource& source, const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = source.Seek(0);
  std::vector<char> chunk(kCopyChunk);
  for (uint32_t got = kCopyChunk; ok && got == kCopyChunk;) {
    DWORD written = 0;
    ok = source.Read(chunk.data(), kCopyChunk, got) &&
         (got == 0 || (WriteFile(file, chunk.data(), got, &written, nullptr) && written == got));
  }
  ok = ok && FlushFileBuffers(file);
  return CloseHandle(file) && ok;
}

}  // namespace

bool PrivateCopyParent(std::wstring& out) {
  // Not the user's temporary folder, whose owner may rename or delete anything in it. In the
  // Windows folder's Temp a user may create, but not list, delete or rename what others made.
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring parent(windows, length);
  if (parent.back() != L'\\') parent += L'\\';
  out = parent + L"Temp";
  return true;
}

bool MakePrivateCopy(ByteSource& source, const std::wstring& fileName, PrivateCopy& out, std::wstring& why) {
  std::wstring parent;
  HeldFolder parentHeld;
  if (!PrivateCopyParent(parent) || !HoldFolder(parent, parentHeld, why)) {
    why = L"no folder for a private copy: " + parent + L" " + why;
    return false;
  }
  SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, FALSE};
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateFolderSddl, SDDL_REVISION_1,
                                                            &security.lpSecurityDescriptor, nullptr)) {
    why = L"no security for a private copy";
    return false;
  }
  PrivateCopy copy;
  std::wstring name;
  for (int attempt = 1; attempt <= kNameAttempts && copy.folder.empty(); ++attempt) {
    static unsigned counter = 0;
    name = kPrivateFolderPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    // Fails for a name that exists (whoever made it, whatever it is): then the next name.
    if (CreateDirectoryW((parent + L"\\" + name).c_str(), &security)) copy.folder = parent + L"\\" + name;
  }
  LocalFree(security.lpSecurityDescriptor);
  if (copy.folder.empty()) {
    why = L"no new folder in " + parent;
    return false;
  }
  const auto fail = [&](const std::wstring& reason) {
    why = reason;
    RemovePrivateCopy(copy);
    return false;
  };
  const std::wstring folderFinal = parentHeld.finalPath + L"\\" + name;
  copy.folderHandle = HoldNewFolder(copy.folder, folderFinal, why);
  copy.path = copy.folder + L"\\" + fileName;
  if (copy.folderHandle == INVALID_HANDLE_VALUE) return fail(why);
  if (!WriteNewFile(source, copy.path)) {
    return fail(L"the copy cannot be written (error " + std::to_wstring(GetLastError()) + L")");
  }
  copy.fileHandle = CreateFileW(copy.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (copy.fileHandle == INVALID_HANDLE_VALUE) {
    return fail(L"the copy cannot be opened (error " + std::to_wstring(GetLastError()) + L")");
  }
  why = PinRefusal(FactsOfOpenedFile(copy.fileHandle, folderFinal + L"\\" + fileName));
  if (!why.empty()) return fail(L"the copy " + why);
  out = copy;
  return true;
}

void RemovePrivateCopy(PrivateCopy& copy) {
  CloseIfOpen(copy.fileHandle);
  if (!copy.path.empty() && !DeleteFileW(copy.path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    MoveFileExW(copy.path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  CloseIfOpen(copy.folderHandle);
  if (!copy.folder.empty() && !RemoveDirectoryW(copy.folder.c_str())) {
    MoveFileExW(copy.folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  copy = PrivateCopy{};
}
