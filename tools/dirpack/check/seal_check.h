// The package's seal, as the wizard holds the folder against it: package.sha256 read by the
// wizard's own rules (engine/format/seal_list.h), every file of the folder listed with the digest
// it has, nothing listed that is missing. A signed wizard takes no package without a seal and
// its signature, package.sha256.p7s; an unsigned one checks a seal when there is one, and a
// folder without is no finding. The signature itself is not verified here (openssl cms -verify
// does that; the README shows how).
#pragma once

#include <string>

#include "tools/dirpack/check/folder_report.h"

// wizardSigned: pakorra.exe carries a certificate table or was built for its publisher's
// certificate (program_machine.h).
void CheckPackageSeal(const std::wstring& folder, bool wizardSigned, FolderReport& report);
