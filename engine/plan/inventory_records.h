// In-memory records of the inventory: the package containers beside the wizard with their
// entries, and the dictionary files already installed in the host. Portable (no Win32).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probe/dict_date.h"

// What the installation run does with a package entry. The numbers travel as a message parameter.
enum class EntryAction : int32_t { Skip = 0, Install = 1, Upgrade = 2 };

struct PackageEntry {
  uint32_t index = 0;       // position in the container's table
  uint32_t size = 0;        // bytes of the entry's data
  std::wstring id;          // lower-cased (A-Z only)
  std::wstring ext;         // lower-cased, with its leading dot
  std::wstring title;       // as stored
  std::wstring date;        // as stored; the plan's date parse rewrites "." to "-" in place
  std::wstring targetPath;  // set by the plan
  EntryAction action = EntryAction::Skip;
};

struct PackageFile {
  uint32_t size = 0;  // low 32 bits of the listed size
  std::wstring fileName;
  std::wstring path;
  std::optional<std::vector<PackageEntry>> entries;  // none: no entries, or the reading failed
};

struct InstalledDict {
  uint32_t size = 0;
  std::wstring stem;
  std::wstring ext;       // ".dic" or ".dip"
  std::wstring fileName;  // lower-cased (A-Z only): the key a package entry's id + ext is matched against
  std::wstring path;      // case kept
  DictDate date = {0, 0, 0, 0};
  bool readOnly = false;
};

// Releases every record with its entry list.
void ClearPackageFiles(std::vector<PackageFile>& packageFiles);

// Maps A-Z to a-z and keeps every other character (not the C library's locale-dependent towlower).
std::wstring LowerAsciiLetters(const std::wstring& text);
