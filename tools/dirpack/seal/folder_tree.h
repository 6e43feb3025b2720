// Everything below a package folder, as the seal sees it: the regular files it lists, and what it
// cannot list (links, devices, names no UTF-8 carries, folders that cannot be read), each named by
// its path relative to the folder as the seal writes it: UTF-8, '/' between folders.
#pragma once

#include <string>
#include <vector>

enum class TreeItemKind {
  File,        // a regular file
  Link,        // a symbolic link (Windows: any reparse point, a junction too): neither followed nor listed
  Special,     // neither file nor folder: a device, a pipe, a socket
  NotText,     // its name is no UTF-8 text (Windows: it holds a lone surrogate); not entered when a folder
  Unreadable,  // a folder whose listing failed
};

struct TreeItem {
  TreeItemKind kind = TreeItemKind::File;
  std::string path;       // relative to the folder; for NotText a printable form with escapes
  std::wstring fullPath;  // the folder's path joined with the item's, for opening it
};

// Walks the folder and its subfolders without following links; subfolders themselves are no
// items. False when the folder itself cannot be listed.
bool ListFolderTree(const std::wstring& folder, std::vector<TreeItem>& items);
