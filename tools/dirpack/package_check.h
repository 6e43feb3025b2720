// Judges a container file: every check the reader makes when it opens it, then each entry's
// texts, names and data range, and optionally reads every entry's data through the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPackageReader;

struct PackageReport {
  uint32_t entryCount = 0;
  uint64_t fileSize = 0;
  std::vector<std::string> problems;  // each makes the container invalid
  std::vector<std::string> warnings;  // worth knowing, but the installer copes
};

// True when the container is valid (no problems).
bool CheckPackage(const std::wstring& path, bool readData, PackageReport& report);

// Opens the container for listing or extracting; on failure why says what is wrong with it.
bool OpenPackage(CPackageReader& reader, const std::wstring& path, std::string& why);

// How an entry is named in messages: its index, id and extension.
std::string EntryLabel(const CPackageReader& reader, uint32_t index);
