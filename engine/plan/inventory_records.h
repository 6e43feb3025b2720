// The inventory's records: the package containers with their entries, and the host's installed
// dictionary files. Portable (no Win32).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/byte_file.h"
#include "engine/format/entry_name.h"  // LowerAsciiLetters and EntryFileKey, the fold every name key uses
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
  // Taken at the start-up check (HoldPackageFiles): dictconfig.ini's values for the id, one per
  // kCopiedConfigKeys key, cut as the profile functions cut them; none without a usable dictconfig.ini.
  std::optional<std::vector<std::wstring>> description;
  std::shared_ptr<ByteSource> image;  // the dictionary's image, a checked BMP; none without one
};

struct PackageFile {
  uint32_t size = 0;  // low 32 bits of the listed size
  std::wstring fileName;
  std::wstring path;
  std::optional<std::vector<PackageEntry>> entries;  // none: no entries, or the reading failed
  // The container, held with read sharing only from the start-up check on: the run reads it here.
  std::shared_ptr<ByteSource> data;
};

struct InstalledDict {
  uint32_t size = 0;
  std::wstring stem;
  std::wstring ext;       // ".dic" or ".dip"
  std::wstring fileName;  // lower-cased (A-Z only): matched against a package entry's EntryFileKey
  std::wstring path;      // case kept
  // A backup an interrupted run left beside the file or in its place (path + kBackupSuffix), or
  // empty. A backup alone stands for the dictionary until the next repair, `date` then its own.
  std::wstring backupPath;
  DictDate date = {0, 0, 0, 0};  // all zero when unreadable
  bool readOnly = false;
  bool dateRead = false;  // `date` was read through the version probe
  // The backup lies beside a file of its name: either copy may be the good one (the file may be
  // an earlier release's cut in-place upgrade). backupDate is the backup's, all zero when unreadable.
  bool backupBeside = false;
  DictDate backupDate = {0, 0, 0, 0};
};

inline void ClearPackageFiles(std::vector<PackageFile>& packageFiles) { packageFiles.clear(); }
