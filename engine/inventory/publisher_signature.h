// Whether a library the wizard loads from its own folder comes from the wizard's own publisher. A
// release is built for its publisher's certificate (its SHA-256 in the program,
// cmake/publisher_certificate.cmake), never read from the wizard's replaceable file, and takes a
// library only with a valid Authenticode signature by it; a development build takes any.
// WinVerifyTrust checks, from wintrust.dll loaded from the system folder, never imported, so that
// no library of its name beside the wizard can stand in for it.
#pragma once

#include <windows.h>

#include <string>

struct PublisherRefusal {
  std::wstring reason;  // what is wrong, in words ("signed by another certificate")
};

// Fills `refusal` with `reason`; false, for the check to answer.
inline bool FillRefusal(PublisherRefusal& refusal, const std::wstring& reason) {
  refusal = PublisherRefusal{reason};
  return false;
}

// True when this wizard takes only a library its publisher signed: a release built for a
// certificate, or any signed wizard. A missing library is then a refusal too, since without dates
// the package always wins. False for a development build, which takes any library or none.
bool WizardExpectsPublisher();

// True when `certificate` (DER) is the one the wizard was built for; false with `refusal` filled
// otherwise, and always for a wizard built without one.
bool IsWizardsPublisherCertificate(const std::string& certificate, PublisherRefusal& refusal);

// True when `library` (a handle open on the file at `libraryPath`, held by the caller until it is
// loaded) may be loaded. False with `refusal` filled when the wizard expects its publisher's
// library and it is unsigned, its signature does not hold or another certificate made it; and for
// every library when the wizard is signed but built without its publisher's certificate.
bool LibraryFromWizardsPublisher(HANDLE library, const std::wstring& libraryPath, PublisherRefusal& refusal);
