// One dictionary file to be packed, with the texts its table entry will hold.
#pragma once

#include <string>
#include <vector>

struct PackItem {
  std::wstring sourcePath;            // the platform's wide path
  std::wstring id, ext, date, title;  // UTF-16 code units
  std::string origin;                 // where it was given, for messages ("manifest.txt:12", "-e #2")
};

// Every reason the item cannot go into a container: texts too long for their fields, an id or
// extension that is not a plain file name, control characters. Empty when it can.
std::vector<std::string> PackItemProblems(const PackItem& item);

// Items whose id and extension name the same file once installed (letters A-Z compared without
// case, as the installer compares them).
std::vector<std::string> DuplicateNameProblems(const std::vector<PackItem>& items);

// The extension of a path's file name, with its dot; empty when it has none.
std::wstring ExtensionOf(const std::wstring& path);
