// dirpack seal: writes a finished package folder's seal, package.sha256 (engine/format/
// seal_list.h), listing every file of the folder with its SHA-256: the same bytes for the same
// files. The seal appears only once it is complete (OutputFile); nothing is written when any file
// cannot be listed or read, or when the folder holds no container.
#pragma once

#include <string>
#include <vector>

struct SealOutcome {
  size_t files = 0;
  bool unchanged = false;         // the seal there already listed these files with these digests
  bool signatureRemoved = false;  // package.sha256.p7s signed the former seal and was removed
};

// A reason the seal was not written: FILE (relative to the folder) and "what is wrong — what to do".
struct SealRefusal {
  std::string file;
  std::string message;
};

bool SealPackageFolder(const std::wstring& folder, SealOutcome& outcome, std::vector<SealRefusal>& refusals);
