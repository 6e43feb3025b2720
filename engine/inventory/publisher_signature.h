// Whether a library the wizard loads from its own folder comes from the wizard's own publisher.
// A release is built for its publisher's certificate (its SHA-256 is built into the program,
// cmake/publisher_certificate.cmake) and takes a library only when it carries a valid Authenticode
// signature by that very certificate; the wizard's own file is never read to learn it, since it
// could be replaced while the wizard runs. A development build, with no certificate built in and
// no signature of its own, takes any. The
// system's WinVerifyTrust does the checking; wintrust.dll is loaded from the system folder at run
// time, never imported, so that no library of its name beside the wizard can stand in for it.
#pragma once

#include <windows.h>

#include <string>

struct PublisherRefusal {
  std::wstring reason;  // what is wrong, in words ("signed by another certificate")
};

// True when this wizard takes only a library its publisher signed: a release built for a publisher's
// certificate, or a signed wizard of any kind. A missing library is then a refusal too, since
// without dates the package always wins. False for a development build, which takes any library
// and none.
bool WizardExpectsPublisher();

// True when `library` (a handle open for reading on the file at `libraryPath`, held by the caller
// until the library is loaded) may be loaded into this process. False with `refusal` filled when
// the wizard expects its publisher's library and the library is not signed, its signature does not
// hold, or another certificate made it; and for every library when the wizard is signed but was
// built without its publisher's certificate.
// True when `certificate` (DER) is the one the wizard was built for; false with `refusal` filled
// otherwise, and always for a wizard built without one.
bool IsWizardsPublisherCertificate(const std::string& certificate, PublisherRefusal& refusal);

bool LibraryFromWizardsPublisher(HANDLE library, const std::wstring& libraryPath, PublisherRefusal& refusal);
