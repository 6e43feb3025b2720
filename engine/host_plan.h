// The install plan made against the real host: its dictionary data folder and the bound version
// probe (engine/plan/install_plan.h holds the decisions themselves).
#pragma once

#include <vector>

#include "engine/plan/inventory_records.h"

// Sets every entry's action and target path. Always true.
bool AnalyseInHost(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed);
