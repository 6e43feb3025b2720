#include "engine/inventory/held_folder.h"

#include <winternl.h>

#include <map>
#include <mutex>
#include <vector>

#include "engine/module_function.h"

namespace {

// NtCreateFile's dispositions and options, as the kernel defines them.
constexpr ULONG kFileOpen = 1;
constexpr ULONG kSequentialOnly = 0x00000004;
constexpr ULONG kSynchronousIoNonAlert = 0x00000020;
constexpr ULONG kOpenReparsePoint = 0x00200000;
constexpr ULONG kCaseInsensitive = 0x00000040;  // OBJ_CASE_INSENSITIVE, as CreateFileW asks

using NtCreateFileFn = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, LARGE_INTEGER*, ULONG,
                                    ULONG, ULONG, ULONG, void*, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(LONG);

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::mutex heldLock;
// By the name first asked for; never closed: no folder is renamed away while files below are read.
std::map<std::wstring, HeldFolder> held;

}  // namespace

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

bool HoldFolder(const std::wstring& folder, HeldFolder& out, std::wstring& why) {
  // Given with its backslash a drive's root stays "C:\" rather than the drive's current folder.
  const std::wstring name = WithoutTrailingSeparators(folder);
  std::lock_guard<std::mutex> guard(heldLock);
  const auto found = held.find(name);
  if (found != held.end()) {
    out = found->second;
    return true;
  }
  // Links on the way are followed this once: where the name leads now is the folder from here on.
  HANDLE handle =
      CreateFileW(name.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    why = L"the folder cannot be opened (error " + std::to_wstring(GetLastError()) + L")";
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  HeldFolder folderHeld;
  folderHeld.handle = handle;
  if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    why = L"not a folder";
  } else if (!FinalPathOf(handle, folderHeld.finalPath)) {
    why = L"the folder's final path is unknown";
  } else {
    folderHeld.finalPath = WithoutTrailingSeparators(folderHeld.finalPath);
    out = held[name] = folderHeld;
    return true;
  }
  CloseHandle(handle);
  return false;
}

namespace {

HANDLE OpenBelow(const HeldFolder& folder, const std::wstring& relative, ACCESS_MASK access, ULONG sharing,
                 DWORD& error) {
  static const auto create = ModuleFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
  static const auto toError = ModuleFunction<StatusToErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
  if (create == nullptr || toError == nullptr || relative.empty() || relative.size() > 32000) {
    error = ERROR_INVALID_FUNCTION;
    return nullptr;
  }
  std::wstring name = relative;
  UNICODE_STRING objectName;
  objectName.Buffer = &name[0];
  objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  objectName.MaximumLength = objectName.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &objectName, kCaseInsensitive, folder.handle, nullptr);
  IO_STATUS_BLOCK io = {};
  HANDLE handle = nullptr;
  const LONG status = create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, sharing,
                             kFileOpen, kSynchronousIoNonAlert | kSequentialOnly | kOpenReparsePoint, nullptr, 0);
  if (status < 0) {
    error = toError(status);
    return nullptr;
  }
  return handle;
}

}  // namespace

HANDLE OpenBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative, DWORD& error) {
  return OpenBelow(folder, relative, GENERIC_READ, FILE_SHARE_READ, error);
}

bool ExistsBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative) {
  DWORD error = 0;
  const HANDLE handle =
      OpenBelow(folder, relative, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error);
  if (handle == nullptr) return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  CloseHandle(handle);
  return true;
}
