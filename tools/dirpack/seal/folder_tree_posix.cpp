// The folder walk on POSIX systems: names are bytes, UTF-8 when they are text; lstat, so that a
// link is seen as one.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "engine/format/utf8_text.h"
#include "tools/dirpack/seal/folder_tree.h"

namespace {

// A name that is no UTF-8, byte by byte: ASCII as it is, the rest as \xNN.
std::string EscapedBytes(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\x%02X", static_cast<unsigned>(byte));
      out += escape;
    }
  }
  return out;
}

bool ListNames(const std::string& folder, std::vector<std::string>& names) {
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return false;
  std::vector<std::string> found;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") found.push_back(name);
  }
  closedir(listing);
  std::sort(found.begin(), found.end());
  names.swap(found);
  return true;
}

bool Walk(const std::string& folder, const std::string& prefix, std::vector<TreeItem>& items) {
  std::vector<std::string> names;
  if (!ListNames(folder, names)) return false;
  for (const std::string& name : names) {
    const std::string full = (folder.back() == '/' ? folder : folder + "/") + name;
    TreeItem item;
    std::wstring wide;
    if (!Utf8ToPath(name, wide)) {
      items.push_back({TreeItemKind::NotText, prefix + EscapedBytes(name), {}});
      continue;
    }
    item.path = prefix + name;
    struct stat info;
    if (lstat(full.c_str(), &info) != 0) {
      item.kind = TreeItemKind::Unreadable;
    } else if (S_ISDIR(info.st_mode)) {
      if (Walk(full, item.path + "/", items)) continue;
      item.kind = TreeItemKind::Unreadable;
    } else if (S_ISLNK(info.st_mode)) {
      item.kind = TreeItemKind::Link;
    } else if (!S_ISREG(info.st_mode)) {
      item.kind = TreeItemKind::Special;
    }
    Utf8ToPath(full, item.fullPath);
    items.push_back(std::move(item));
  }
  return true;
}

}  // namespace

bool ListFolderTree(const std::wstring& folder, std::vector<TreeItem>& items) {
  std::string root;
  std::vector<TreeItem> found;
  if (!PathToUtf8(folder, root) || !Walk(root, "", found)) return false;
  items.swap(found);
  return true;
}
