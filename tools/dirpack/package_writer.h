// Writes a container from dictionary files: header, table, then every file's data in order.
#pragma once

#include <string>
#include <vector>

#include "tools/dirpack/pack_item.h"

// Refuses, with every problem found and nothing written, items whose texts do not fit or are
// not plain file names, duplicate names, unreadable files and containers of 2 GiB or more. The
// data are streamed; the container is written under a temporary name, checked, and only then
// renamed to outPath, so outPath never holds a partial or invalid container.
bool WritePackage(const std::wstring& outPath, const std::vector<PackItem>& items, std::vector<std::string>& problems);
