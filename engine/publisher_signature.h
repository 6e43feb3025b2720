// Whether a library the wizard loads from its own folder comes from the wizard's own publisher.
// A signed wizard takes a library only when it carries a valid Authenticode signature by the very
// certificate that signed the wizard; an unsigned wizard (a development build) takes any. The
// system's WinVerifyTrust does the checking; wintrust.dll is loaded from the system folder at run
// time, never imported, so that no library of its name beside the wizard can stand in for it.
#pragma once

#include <windows.h>

#include <string>

struct PublisherRefusal {
  std::wstring reason;  // what is wrong, in words ("signed by another certificate")
  std::wstring file;    // the file it concerns: the library, or the wizard itself
};

// True when this wizard takes only a library its publisher signed: a release built for a publisher.
// A missing library is then a refusal too, since without dates the package always wins. False for
// a development build, which takes any library and none.
bool WizardExpectsPublisher();

// True when `library` (a handle open for reading on the file at `libraryPath`, held by the caller
// until the library is loaded) may be loaded into this process. False with `refusal` filled when
// the wizard is signed and the library is not signed, or its signature does not hold, or another
// certificate made it, or when the wizard's own signature is present but does not hold.
bool LibraryFromWizardsPublisher(HANDLE library, const std::wstring& libraryPath, PublisherRefusal& refusal);
