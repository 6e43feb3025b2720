// Folders and paths as dirpack names them, on the platform's wide paths.
#pragma once

#include <string>

bool IsFolder(const std::wstring& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The folder part of a path, empty for a bare name.
std::wstring FolderOf(const std::wstring& path);
// Whether the path names its place without a current folder (a drive or root on Windows).
bool IsRootedPath(const std::wstring& path);
