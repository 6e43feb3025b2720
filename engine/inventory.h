// The inventory: the package containers beside the wizard with their entry tables, and the
// dictionary files installed in the host with their date stamps; then the plan made on both.
// Failing steps compose their diagnostics ("InitFileLists-3: read dir fail").
#pragma once

#include <vector>

#include "engine/plan/inventory_records.h"

// Both lists built from scratch (the core handed to the version probe first), then the plan.
bool BuildInventory(std::vector<PackageFile>& packageFiles, std::vector<InstalledDict>& installedDicts);

// The "*.dir" files beside the wizard, each read with ReadPackageFile. Ends at the first container
// that cannot be read; the records appended so far stay, the failing one included.
bool ReadPackageFiles(std::vector<PackageFile>& list);

// One container's entry table into file.entries (none for an empty table). A container that
// cannot be opened, or whose ids or extensions are not plain file names, fails.
bool ReadPackageFile(PackageFile& file);

// The installed ".dic" and ".dip" files with their date stamps read through the version probe
// (zero when unreadable). A missing data folder lists nothing.
bool ReadInstalledDicts(std::vector<InstalledDict>& list);
