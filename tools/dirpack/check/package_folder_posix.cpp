// On POSIX systems names are case-sensitive: the folder is searched for the name Windows would
// open, letters A-Z compared ignoring case, an exact match first.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "engine/format/entry_name.h"
#include "engine/format/package_layout.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/file_system.h"

namespace {

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return LowerAsciiLetters(a) == LowerAsciiLetters(b);
}

// Names in the folder, sorted; those that are not valid UTF-8 cannot be a name Windows spells.
std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  DIR* listing = opendir(PathToUtf8(folder).c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    std::wstring name;
    const std::string narrow = entry->d_name;
    if (narrow != "." && narrow != ".." && Utf8ToPath(narrow, name)) names.push_back(name);
  }
  closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

FolderItem Kind(const std::wstring& path) {
  struct stat info;
  if (stat(PathToUtf8(path).c_str(), &info) != 0) return FolderItem::Missing;
  return S_ISREG(info.st_mode) ? FolderItem::File : FolderItem::NotFile;
}

}  // namespace

std::vector<std::wstring> ListContainerNames(const std::wstring& folder) {
  const std::wstring extension = kContainerExtension;
  std::vector<std::wstring> names;
  for (const std::wstring& name : FolderNames(folder)) {
    if (name.size() < extension.size() || !SameIgnoringCase(name.substr(name.size() - extension.size()), extension)) {
      continue;
    }
    if (Kind(JoinPath(folder, name)) == FolderItem::File) names.push_back(name);
  }
  return names;
}

FolderItem FindFolderItem(const std::wstring& folder, const std::wstring& name, std::wstring& path) {
  std::wstring candidate = JoinPath(folder, name);
  FolderItem kind = Kind(candidate);
  if (kind == FolderItem::Missing) {
    for (const std::wstring& stored : FolderNames(folder)) {
      if (!SameIgnoringCase(stored, name)) continue;
      candidate = JoinPath(folder, stored);
      kind = Kind(candidate);
      break;
    }
  }
  if (kind != FolderItem::Missing) path = candidate;
  return kind;
}
