// The inventory: the package containers beside the wizard with their entry tables, the host's installed
// dictionary files with their date stamps, and the plan made on both against the real host.
#pragma once

#include <memory>
#include <vector>

#include "engine/plan/inventory_records.h"

// Both lists built from scratch (the core handed to the version probe first), the plan, then each
// planned entry's description and image (HoldPackageFiles).
bool InitFileLists(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts,
                   std::shared_ptr<ByteSource>& heldDescription);

// The plan (install_plan.h) against the real host's data folder and bound version probe: every
// entry's action and target path. Always true.
bool AnalyseInHost(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed);

// The "*.dir" files beside the wizard, each held open (pinned_file.h) and read with ReadDFFileInfo.
// Ends at the first container refused or unreadable; the records so far stay, that one included.
bool ReadDirFilesInfo(std::vector<PackageFile>& list);

// One container's entry table, read from file.data, into file.entries (none for an empty table).
// A container that is not held, cannot be read, whose ids or extensions are not plain file names,
// or with an entry whose data end beyond it, fails.
bool ReadDFFileInfo(PackageFile& file);

// Gives every planned entry what registration and the image copy need, from files of the wizard's
// folder held until the program ends: dictconfig.ini's values (read now; the file stays held in
// heldDescription) and the image. A file missing, refused or, for an image, not a BMP counts as
// absent; a diagnostic tells why.
void HoldPackageFiles(std::vector<PackageFile>& packageFiles, std::shared_ptr<ByteSource>& heldDescription);

// The installed ".dic" and ".dip" files, dated through the version probe (zero when unreadable),
// and the backups an interrupted run left (InstalledDict::backupPath): one beside its file is
// dated too, one alone stands for its dictionary. A missing data folder lists nothing. Read only.
bool ReadLocalDictFilesInfo(std::vector<InstalledDict>& list);
