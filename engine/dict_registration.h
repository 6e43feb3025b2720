// Registering an installed dictionary with the host: its section in the host's configuration file,
// filled from the package's "dictconfig.ini", and its image copied into the host's image folder.
// Both files are INI files, read and written only through the system's private-profile functions.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/plan/inventory_records.h"

// Gives the entry's id its section in the host's configuration file: "id" always, then each other
// key that the package's "dictconfig.ini" holds with a non-empty value. True when dictconfig.ini
// was found and every write went through.
bool RegisterDictConfig(const PackageEntry& entry);

// What a dictionary's section held, of the keys RegisterDictConfig writes, before it wrote them: an
// entry registered before its data take their place puts the section back if it fails after all.
struct DictSectionSnapshot {
  std::wstring id;
  bool sectionExisted = false;
  std::vector<std::pair<std::wstring, std::optional<std::wstring>>> values;  // none: the key was absent
};

// Reads the section's keys as they are now. False when the configuration's path cannot be built.
bool SnapshotDictSection(const std::wstring& id, DictSectionSnapshot& snapshot);

// Writes back what the snapshot holds: keys that were absent are removed again, and a section that
// did not exist and holds nothing else is removed whole.
void RestoreDictSection(const DictSectionSnapshot& snapshot);

// Copies the package's image id + ".bmp" over the host's copy. True when the image was copied.
bool CopyDictImage(const std::wstring& id);

// Readies the host's configuration file for writing: creates it empty (zero bytes, no byte-order
// mark) when missing, never replacing an existing one, and drops its read-only attribute.
// Outcomes are not reported: the writes that follow tell.
void PrepareHostConfigFile(const std::wstring& path);

// Switches every dictionary of the package on ("enable" = "1" in its section), also those this run
// left as they were. False only when the configuration file's path cannot be built; the writes'
// own outcomes are not reported.
bool EnableDictsInConfig(const std::vector<PackageFile>& files);
