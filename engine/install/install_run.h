// The installation run: every planned entry of every package container, read from the container
// the start-up check held open, is written into the host so that a kill or a power cut at any
// point leaves each dictionary it touches complete, old or new; InstallEntry's steps
// (install_run.cpp) say what each leaves on disk. Steps are reported through an InstallReporter;
// why an entry or container failed, by a diagnostic (possibly composed on the worker thread).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/install/dict_registration.h"
#include "engine/install/install_reporter.h"
#include "engine/plan/inventory_records.h"

class CPackageReader;

// What an entry's steps did to the host's files: its rollback undoes that, never a file it neither made nor moved.
struct EntryFootprint {
  bool newFileMade = false;         // the new file beside the target was created by this entry
  bool registered = false;          // the section was read, then written; `section` holds what it held before
  bool registrationFailed = false;  // a write of the section did not go through
  DictSectionSnapshot section;
  bool movedAside = false;       // the installed file was renamed to its backup name
  bool placed = false;           // the new file has taken the target's name
  uint32_t movedAttributes = 0;  // attributes of the file moved aside, given back with it
  bool imagePrepared = false;    // the image waits beside its place, at preparedImage
  std::wstring preparedImage;
  bool imageFailed = false;  // the package has an image that could not be copied or placed
};

// Repairs what an interrupted run left in the host's data and image folders, by renames and
// deletes of single regular files (a repair cut off anywhere leaves what the next one finishes):
// leftover new data files go, a backup with nothing under its own name is renamed back, and a new
// image (<id>.bmp + kNewFileSuffix) that is a complete BMP with nothing under its own name takes
// that name, any other going. A backup is never deleted (install_run.cpp says why), nor renamed
// onto a name the file system resolves to another file. Run when a run starts and at every end
// the user confirmed, so that the host then sees its dictionaries under their own names.
void RepairInterruptedRun();

// Installs every planned entry of every package file, in order, after RepairInterruptedRun. True
// when every file was dealt with (failed entries included); false when an answer asked to stop.
bool InstallAll(std::vector<PackageFile>& files, InstallReporter& reporter);

// Writes one planned entry from the open reader into its targetPath and reports its start, steps
// and success. Fills footprint as it goes, also on failure, for RollBackEntry.
bool InstallEntry(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                  EntryFootprint& footprint);

// Undoes what a failed InstallEntry did (per footprint) and reports it; true when the run goes on.
bool RollBackEntry(InstallReporter& reporter, const PackageEntry& entry, const EntryFootprint& footprint);
