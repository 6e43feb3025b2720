// Registering an installed dictionary with the host: its section in the host's configuration file,
// written only through the private-profile functions from what the package's "dictconfig.ini" said
// at the start-up check (PackageEntry::description), and its image in the host's image folder.
#pragma once

#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

// What a section held before RegisterDictConfig wrote it, put back when the entry fails after all.
struct DictSectionSnapshot {
  std::wstring id;              // empty: the section was not read
  bool sectionExisted = false;  // the section held a line
  std::wstring lines;           // its lines as GetPrivateProfileSectionW gives them, each NUL-terminated
};

// Gives the entry's id its section in the host's configuration file with one read and one write
// of the whole section (Get/WritePrivateProfileSectionW, each reading or rewriting the whole file):
// "id" = the id, then each other key of kCopiedConfigKeys, in order, whose value in the entry's
// description is not empty. A key the section holds (its first of that name) takes the new value
// in place, a missing one is added at the end, every other line stays: an empty value leaves the
// host's. `before`, when given, receives the section as read; untouched when it could not be read
// (nothing is written then). True when the entry has a description and the write went through.
bool RegisterDictConfig(const PackageEntry& entry, DictSectionSnapshot* before = nullptr);

// Puts a section back as the snapshot holds it in one write, or removes it when it held nothing.
void RestoreDictSection(const DictSectionSnapshot& snapshot);

// Writes the entry's held image beside the host's id + ".bmp" (name + kNewFileSuffix), flushed.
// True when it is there, complete, with `prepared` its path; a failure leaves nothing.
bool PrepareDictImage(const PackageEntry& entry, std::wstring& prepared);

// Gives a prepared image its name in one rename over the host's copy, else deletes it. True when in place.
bool PlaceDictImage(const std::wstring& prepared);

// Readies the host's configuration file for writing: creates it empty (no byte-order mark) when
// missing, never replacing one, and drops its read-only attribute. The writes that follow tell.
void PrepareHostConfigFile(const std::wstring& path);

// Switches every dictionary of the package on ("enable" = "1"), also those this run left as they
// were. False only when the configuration file's path cannot be built; writes are not checked.
bool EnableDictsInConfig(const std::vector<PackageFile>& files);
