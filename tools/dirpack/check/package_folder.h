// The package folder as the wizard finds files in it: the containers by the same wildcard search,
// the other files by name, letters compared ignoring case as Windows does.
#pragma once

#include <string>
#include <vector>

// The names of the files (not folders) that the wizard's search for "*.dir" lists, sorted so that
// reports come out the same every time.
std::vector<std::wstring> ListContainerNames(const std::wstring& folder);

enum class FolderItem { Missing, File, NotFile };

// Looks for `name` in the folder; path is then the item's path with its name as stored.
FolderItem FindFolderItem(const std::wstring& folder, const std::wstring& name, std::wstring& path);
