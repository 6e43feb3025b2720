// dirpack's folders on POSIX systems: paths in UTF-8.
#include <sys/stat.h>

#include "engine/format/utf8_text.h"
#include "tools/dirpack/file_system.h"

bool IsFolder(const std::wstring& path) {
  struct stat info;
  return stat(PathToUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::wstring& path) {
  if (path.empty() || IsFolder(path)) return !path.empty();
  const std::wstring parent = FolderOf(path);
  if (!parent.empty() && parent != path && !MakeFolders(parent)) return false;
  return mkdir(PathToUtf8(path).c_str(), 0755) == 0 || IsFolder(path);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  return folder.back() == L'/' ? folder + name : folder + L"/" + name;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'/');
  if (slash == std::wstring::npos) return L"";
  return slash == 0 ? L"/" : path.substr(0, slash);
}

bool IsRootedPath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }
