// dirpack check: a package folder read as the wizard will read it, with the wizard's own code
// wherever it has some: the container reader and its name rules, the date parse, the profile
// functions (on Windows), the folder listing (on Windows).
#pragma once

#include <string>

#include "tools/dirpack/check/folder_report.h"

void CheckPackageFolder(const std::wstring& folder, FolderReport& report);
