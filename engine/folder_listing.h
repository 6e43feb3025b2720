// Lists the files of one folder that match a wildcard pattern, in the order the platform returns
// them; directories are skipped and no subfolder is entered.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

struct ListedFile {
  std::wstring name;      // as listed
  std::wstring fullPath;  // the pattern's folder in full-path form, a backslash, the name
  uint64_t size = 0;
  DWORD attributes = 0;
};

// Calls visit for each file until it returns false. A pattern of 260 characters or more, one
// without a full-path form, or a search whose first call fails finds nothing.
void ListFolderFiles(const std::wstring& pattern, const std::function<bool(const ListedFile&)>& visit);
