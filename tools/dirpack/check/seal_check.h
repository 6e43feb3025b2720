// The package's seal, as the wizard holds the folder against it: package.sha256 read by the
// wizard's own rules (engine/format/seal_list.h), every file listed with the digest it has,
// nothing listed missing. A signed wizard takes no package without the seal and its signature
// (package.sha256.p7s); an unsigned one checks a seal only where there is one. The signature
// itself is not verified here (openssl cms -verify does that; the README shows how).
#pragma once

#include <string>

#include "tools/dirpack/check/folder_report.h"

// wizardSigned: pakorra.exe carries a certificate table or was built for its publisher's
// certificate (program_machine.h).
void CheckPackageSeal(const std::wstring& folder, bool wizardSigned, FolderReport& report);
