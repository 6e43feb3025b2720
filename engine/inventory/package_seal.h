// The package's seal held against every file the wizard reads from its folder (containers,
// dictconfig.ini, images, vintora.dll). A signed wizard installs only a package sealed with a
// signature by its own certificate (seal_signature.h); an unsigned one checks a seal if any. Seal
// and files are read through handles held until the process ends: what was checked is installed.
#pragma once

#include <cstddef>
#include <string>

#include "engine/format/byte_file.h"

// Whether the file `relative` (as pinned in the wizard's folder), read whole through `source`, is
// what the seal lists; true for an unsealed package. False when the seal is refused (missing for a
// signed wizard, unsigned, signed by another, a malformed line), the file is not listed, or its
// digest is another; each refusal is traced, the first kept. Read once in 1 MiB requests, the
// source is left at its start.
bool SealAdmitsFile(const std::wstring& relative, ByteSource& source);

// At the end of the start-up check: true when nothing was refused and every listed file not read
// is there (else the missing one is the first refusal).
bool SealHolds();

// The full path of the first file refused; false when none was.
bool SealRefusedFile(std::wstring& path);

struct SealSummary {
  bool sealed = false;  // a seal was there and taken
  size_t listed = 0;    // files it lists
  size_t matched = 0;   // of those, read and found as listed
};
SealSummary GetSealSummary();
