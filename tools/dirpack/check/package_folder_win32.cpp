// On Windows: the wizard's own folder listing, and the file system's own name rules.
#include <windows.h>

#include <algorithm>

#include "engine/folder_listing.h"
#include "engine/format/package_layout.h"
#include "tools/dirpack/check/package_folder.h"
#include "tools/dirpack/file_system.h"

std::vector<std::wstring> ListContainerNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  ListFolderFiles(JoinPath(folder, std::wstring(L"*") + kContainerExtension), [&](const ListedFile& file) {
    names.push_back(file.name);
    return true;
  });
  std::sort(names.begin(), names.end());
  return names;
}

FolderItem FindFolderItem(const std::wstring& folder, const std::wstring& name, std::wstring& path) {
  const std::wstring candidate = JoinPath(folder, name);
  const DWORD attributes = GetFileAttributesW(candidate.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FolderItem::Missing;
  path = candidate;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderItem::NotFile : FolderItem::File;
}
