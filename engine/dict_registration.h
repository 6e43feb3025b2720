// Registering an installed dictionary with the host: its section in the host's configuration file,
// filled from what the package's "dictconfig.ini" says of it, and its image copied into the host's
// image folder. The host's file is written only through the system's private-profile functions;
// the package's was read once at the start-up check (PackageEntry::description).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/plan/inventory_records.h"

// Gives the entry's id its section in the host's configuration file: "id" always, then each other
// key whose value in the entry's description is not empty. True when the entry has a description
// and every write went through.
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

// Writes the entry's held image beside the host's copy of id + ".bmp" (its name followed by
// kNewFileSuffix) and flushes it. True when it is there, complete, with `prepared` its path; a
// failure leaves nothing.
bool PrepareDictImage(const PackageEntry& entry, std::wstring& prepared);

// Gives a prepared image its name in one rename, replacing the host's copy; deletes it when that
// fails. True when the image is in place.
bool PlaceDictImage(const std::wstring& prepared);

// Readies the host's configuration file for writing: creates it empty (zero bytes, no byte-order
// mark) when missing, never replacing an existing one, and drops its read-only attribute.
// Outcomes are not reported: the writes that follow tell.
void PrepareHostConfigFile(const std::wstring& path);

// Switches every dictionary of the package on ("enable" = "1" in its section), also those this run
// left as they were. False only when the configuration file's path cannot be built; the writes'
// own outcomes are not reported.
bool EnableDictsInConfig(const std::vector<PackageFile>& files);
