// The package's seal held against every file the wizard reads from its folder: the containers,
// dictconfig.ini, the images of planned entries and vintora.dll. A signed wizard installs only a
// package its publisher sealed: package.sha256 beside it, with a signature of it by the wizard's
// own certificate (engine/inventory/seal_signature.h). An unsigned wizard checks a seal when there is one and
// is as before without. The seal is read at the first question, through a handle held until the
// process ends (pinned_file.h), and every file is read for its digest through the handle that is
// held for all later reading, so what was checked is what the run installs.
#pragma once

#include <cstddef>
#include <string>

#include "engine/format/byte_file.h"

// Whether the file `relative` (a name, or a folder name, a backslash and a file name, as pinned in
// the wizard's folder), read whole through `source` from its start, is what the seal lists: true
// for a package that is not sealed. False when the seal itself is refused (missing for a signed
// wizard, unsigned, signed by another, a malformed line), the file is not listed, or its digest is
// another. Every refusal is traced; the first is kept. The source is read once, sequentially, in
// requests of 1 MiB, and left at its start.
bool SealAdmitsFile(const std::wstring& relative, ByteSource& source);

// At the end of the start-up check: true when nothing was refused and every listed file that was
// not read is there (a listed file missing is the first refusal then).
bool SealHolds();

// The full path of the first file refused; false when none was.
bool SealRefusedFile(std::wstring& path);

struct SealSummary {
  bool sealed = false;  // a seal was there and taken
  size_t listed = 0;    // files it lists
  size_t matched = 0;   // of those, read and found as listed
};
SealSummary GetSealSummary();
