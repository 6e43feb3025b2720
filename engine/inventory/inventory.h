// The inventory: the package containers beside the wizard with their entry tables, and the
// dictionary files installed in the host with their date stamps; then the plan made on both, against
// the real host. Failing steps compose their diagnostics ("InitFileLists-3: read dir fail").
#pragma once

#include <memory>
#include <vector>

#include "engine/plan/inventory_records.h"

// Both lists built from scratch (the core handed to the version probe first), then the plan; then
// every planned entry is given its description and image from the wizard's folder (see
// PackageEntry). The package's dictconfig.ini stays held in heldDescription.
bool InitFileLists(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts,
                   std::shared_ptr<ByteSource>& heldDescription);

// The plan (engine/plan/install_plan.h) made against the real host: its dictionary data folder and
// the bound version probe. Sets every entry's action and target path. Always true.
bool AnalyseInHost(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed);

// The "*.dir" files beside the wizard, each held open (pinned_file.h) and read with
// ReadDFFileInfo. Ends at the first container that is refused or cannot be read; the records
// appended so far stay, the failing one included.
bool ReadDirFilesInfo(std::vector<PackageFile>& list);

// One container's entry table, read from file.data, into file.entries (none for an empty table).
// A container that is not held, cannot be read, whose ids or extensions are not plain file names,
// or with an entry whose data end beyond it, fails.
bool ReadDFFileInfo(PackageFile& file);

// Gives every planned entry what registration and the image copy will need, from files of the
// wizard's folder held open until the program ends: dictconfig.ini's values (read now, into
// memory; the file stays held in heldDescription) and the image. A file that is missing, refused
// (pinned_file.h) or, for an image, not a BMP counts as absent; a diagnostic tells why.
void HoldPackageFiles(std::vector<PackageFile>& packageFiles, std::shared_ptr<ByteSource>& heldDescription);

// The installed ".dic" and ".dip" files with their date stamps read through the version probe
// (zero when unreadable), and the backups an interrupted run left (see InstalledDict::backupPath):
// a backup beside its file is dated too, a backup alone stands for its dictionary. A missing data
// folder lists nothing. Nothing on disk is changed.
bool ReadLocalDictFilesInfo(std::vector<InstalledDict>& list);
