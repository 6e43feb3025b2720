// dirpack's folders on Windows: wide paths throughout.
#include <windows.h>

#include "tools/dirpack/file_system.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolders(const std::wstring& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const std::wstring parent = FolderOf(path);
  // A drive ("C:") or a share's root is never created, only used.
  if (!parent.empty() && parent != path && parent.back() != L':' && !MakeFolders(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || IsFolder(path);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + L"\\" + name;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L"";
  // Keep the separator of a root such as "C:\".
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// "C:name" is relative to the drive's current folder, but still not to ours: treat it as rooted.
bool IsRootedPath(const std::wstring& path) {
  return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}
