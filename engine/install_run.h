// The installation run: every planned entry of every package container is copied to its target
// file in the host, with a backup of the file it replaces, and rolled back when it fails. Each
// step is reported through an InstallReporter.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/plan/install_reporter.h"
#include "engine/plan/inventory_records.h"

class CPackageReader;

// What an entry's own steps did to the host's files, so that its rollback undoes exactly that and
// never deletes or replaces a file it neither created nor backed up.
struct EntryFootprint {
  bool backupMade = false;       // the file at the target path was renamed to its backup name
  bool earlierBackup = false;    // a backup left by an earlier run stands in as the fallback copy
  bool targetWritten = false;    // the target file was created or truncated by this entry
  uint32_t movedAttributes = 0;  // attributes of the file moved aside, given back with it
};

// Installs every planned entry of every package file, in order. True when every package file has
// been dealt with (failed entries included); false when an answer asked to stop.
bool InstallAll(std::vector<PackageFile>& files, InstallReporter& reporter);

// Copies one planned entry from the open reader to its targetPath and reports its start, steps
// and success. Fills footprint as it goes, also on failure, for RollBackEntry.
bool InstallEntry(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                  EntryFootprint& footprint);

// Undoes what a failed InstallEntry did (per footprint) and reports the failure. True when the
// answer lets the run go on.
bool RollBackEntry(InstallReporter& reporter, const PackageEntry& entry, const EntryFootprint& footprint);
