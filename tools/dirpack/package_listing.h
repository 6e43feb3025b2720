// The container's header and entry table as lines of text.
#pragma once

#include <string>
#include <vector>

// False, with why, when the container cannot be opened.
bool ListPackage(const std::wstring& path, std::vector<std::string>& lines, std::string& why);
