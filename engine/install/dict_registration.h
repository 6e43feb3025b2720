// Registering an installed dictionary with the host: its section in the host's configuration file,
// filled from what the package's "dictconfig.ini" says of it, and its image copied into the host's
// image folder. The host's file is written only through the system's private-profile functions;
// the package's was read once at the start-up check (PackageEntry::description).
#pragma once

#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

// What a dictionary's section held before RegisterDictConfig wrote it: an entry registered before
// its data take their place puts the section back if it fails after all.
struct DictSectionSnapshot {
  std::wstring id;              // empty: the section was not read
  bool sectionExisted = false;  // the section held a line
  std::wstring lines;           // its lines as GetPrivateProfileSectionW gives them, each NUL-terminated
};

// Gives the entry's id its section in the host's configuration file with one read of the whole
// section and one write of it (GetPrivateProfileSectionW, WritePrivateProfileSectionW), each of
// which reads or rewrites the whole file: "id" = the id, then each other key of kCopiedConfigKeys,
// in that order, whose value in the entry's description is not empty. A key the section holds (the first of its name)
// takes the new value in its place; a missing one is added at the end; every other line stays as
// it was, so an empty value leaves the host's. `before`, when given, receives the section as read,
// before anything is written; it is untouched when the section could not be read (nothing is
// written then). True when the entry has a description and the write went through.
bool RegisterDictConfig(const PackageEntry& entry, DictSectionSnapshot* before = nullptr);

// Puts a section back as the snapshot holds it, with one write of the whole section, or removes
// the section when it held nothing before.
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
