// Unpacks a container: each entry's data into FOLDER/id+ext.
#pragma once

#include <string>
#include <vector>

// Refuses, before writing anything, a container with any problem verify reports, or with two
// entries naming one file. Each file is written under a temporary name and renamed when
// complete; names of the files written are appended to written.
bool ExtractPackage(const std::wstring& package, const std::wstring& folder, std::vector<std::wstring>& written,
                    std::vector<std::string>& problems);
