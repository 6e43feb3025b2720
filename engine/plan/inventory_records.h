// In-memory records of the inventory: the package containers beside the wizard with their
// entries, and the dictionary files already installed in the host. Portable (no Win32).
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
  // Taken at the start-up check for a planned entry, from files of the wizard's folder held open
  // since, so that what is installed is what was checked:
  // dictconfig.ini's values for the id, one per key registration copies (kCopiedConfigKeys), each
  // cut as the profile functions would cut it; none when the package has no usable dictconfig.ini.
  std::optional<std::vector<std::wstring>> description;
  std::shared_ptr<ByteSource> image;  // the dictionary's image, a checked BMP; none without one
};

struct PackageFile {
  uint32_t size = 0;  // low 32 bits of the listed size
  std::wstring fileName;
  std::wstring path;
  std::optional<std::vector<PackageEntry>> entries;  // none: no entries, or the reading failed
  // The container, held open with read sharing only from the start-up check on: the run reads
  // its entries from here, never again by name.
  std::shared_ptr<ByteSource> data;
};

struct InstalledDict {
  uint32_t size = 0;
  std::wstring stem;
  std::wstring ext;       // ".dic" or ".dip"
  std::wstring fileName;  // lower-cased (A-Z only): matched against a package entry's EntryFileKey
  std::wstring path;      // case kept
  // A backup an interrupted run left beside the file or in its place (path + kBackupSuffix);
  // empty when there is none. A backup alone stands for the dictionary until the next repair
  // puts it back, and `date` is then the backup's.
  std::wstring backupPath;
  DictDate date = {0, 0, 0, 0};  // all zero when unreadable
  bool readOnly = false;
  bool dateRead = false;  // `date` was read through the version probe
  // The backup lies beside a file of its own name: two copies, either of which may be the good
  // one (the file may be an earlier release's cut in-place upgrade). backupDate is the backup's
  // stamp, all zero when unreadable.
  bool backupBeside = false;
  DictDate backupDate = {0, 0, 0, 0};
};

// Releases every record with its entry list.
inline void ClearPackageFiles(std::vector<PackageFile>& packageFiles) { packageFiles.clear(); }
