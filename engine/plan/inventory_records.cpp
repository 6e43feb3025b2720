#include "engine/plan/inventory_records.h"

void ClearPackageFiles(std::vector<PackageFile>& packageFiles) {
  for (PackageFile& file : packageFiles) file.entries.reset();
  packageFiles.clear();
}
