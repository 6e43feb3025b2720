// The package's description beside its containers: dictconfig.ini, as registration reads it, and
// one image per dictionary in dict_image.
#pragma once

#include <string>
#include <vector>

#include "tools/dirpack/check/folder_report.h"

// A dictionary the containers install, by the id registration uses.
struct PackagedDict {
  std::wstring id;    // lower-cased as the inventory does it; UTF-16 code units
  std::string where;  // the entry that installs it, for messages: "entry 0 (xinci8.dic) of a.dir"
};

void CheckPackageDescription(const std::wstring& folder, const std::vector<PackagedDict>& dicts, FolderReport& report);
