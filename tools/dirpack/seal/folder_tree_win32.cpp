// The folder walk on Windows: the system's own listing, names as UTF-16; a reparse point (a
// symbolic link, a junction, a mount point) is reported, never entered.
#include <windows.h>

#include "engine/format/utf8_text.h"
#include "tools/dirpack/file_system.h"
#include "tools/dirpack/seal/folder_tree.h"

namespace {

bool Walk(const std::wstring& folder, const std::string& prefix, std::vector<TreeItem>& items) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(JoinPath(folder, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    TreeItem item;
    std::string utf8;
    if (!PathToUtf8(name, utf8)) {
      items.push_back({TreeItemKind::NotText, prefix + DisplayUnits(name), {}});
      continue;
    }
    item.path = prefix + utf8;
    item.fullPath = JoinPath(folder, name);
    const DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      item.kind = TreeItemKind::Link;
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (Walk(item.fullPath, item.path + "/", items)) continue;
      item.kind = TreeItemKind::Unreadable;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
      item.kind = TreeItemKind::Special;
    }
    items.push_back(std::move(item));
  } while (FindNextFileW(search, &found));
  // A listing that stops for another reason than its end is incomplete: the folder counts as unread.
  const bool listed = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return listed;
}

}  // namespace

bool ListFolderTree(const std::wstring& folder, std::vector<TreeItem>& items) {
  std::vector<TreeItem> found;
  if (!Walk(folder, "", found)) return false;
  items.swap(found);
  return true;
}
