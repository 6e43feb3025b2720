#include "engine/inventory/publisher_signature.h"

// After windows.h:
#include <softpub.h>
#include <wintrust.h>

#include "engine/diagnostics.h"
#include "engine/format/sha256.h"
#include "engine/module_function.h"
#include "engine/publisher_certificate.h"

namespace {

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProviderDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProviderSignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);

struct TrustFunctions {
  WinVerifyTrustFn verify = nullptr;
  ProviderDataFn providerData = nullptr;
  ProviderSignerFn signer = nullptr;
};

// wintrust.dll from the system folder, with its own dependencies from there too; loaded once and
// kept for the process. False when it or one of the three functions is missing.
bool LoadTrustFunctions(TrustFunctions& out) {
  static const HMODULE module = LoadLibraryExW(L"wintrust.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return false;
  TrustFunctions found;
  found.verify = ModuleFunction<WinVerifyTrustFn>(module, "WinVerifyTrust");
  found.providerData = ModuleFunction<ProviderDataFn>(module, "WTHelperProvDataFromStateData");
  found.signer = ModuleFunction<ProviderSignerFn>(module, "WTHelperGetProvSignerFromChain");
  if (found.verify == nullptr || found.providerData == nullptr || found.signer == nullptr) return false;
  out = found;
  return true;
}

struct Signature {
  LONG result = TRUST_E_NOSIGNATURE;  // WinVerifyTrust's answer
  std::string signer;                 // the signer certificate as encoded; empty when unreadable
};

// Verifies the Authenticode signature of the file held as `file`, through that handle, without
// window, revocation check or network fetch, and reads its first signer's certificate.
Signature CheckSignature(const TrustFunctions& trust, HANDLE file, const std::wstring& path) {
  LARGE_INTEGER start = {};
  SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);

  Signature out;
  out.result = trust.verify(noUser, &action, &data);
  if (data.hWVTStateData != nullptr) {
    CRYPT_PROVIDER_DATA* provider = trust.providerData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? trust.signer(provider, 0, FALSE, 0) : nullptr;
    if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr &&
        signer->pasCertChain[0].pCert != nullptr) {
      const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
      out.signer.assign(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  trust.verify(noUser, &action, &data);
  return out;
}

// Answers that the signature holds and only the signer's certificate is not trusted here: expired,
// an unknown or test root, or a chain the system could not build.
bool OnlyTheChainFails(LONG result) {
  return result == CERT_E_EXPIRED || result == CERT_E_UNTRUSTEDROOT || result == CERT_E_UNTRUSTEDTESTROOT ||
         result == CERT_E_CHAINING;
}

const IMAGE_NT_HEADERS& RunningProgramHeaders() {
  const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

// Whether the running program carries a certificate table, read from its headers as loaded: they
// cannot be swapped on disk.
bool RunningProgramIsSigned() {
  return RunningProgramHeaders().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

// The digits of the certificate the wizard was built for; empty for a development build. Kept in
// the program as one string so that scripts/sign finds it after its marker.
std::string PublisherCertificateDigits() {
  // Through a volatile pointer: the whole record, marker included, stays in the program file.
  static const char record[] __attribute__((used)) = PAKORRA_PUBLISHER_CERT_RECORD;
  const char* volatile whole = record;
  return std::string(whole + sizeof(PAKORRA_PUBLISHER_CERT_MARKER) - 1);
}

}  // namespace

bool WizardExpectsPublisher() { return !PublisherCertificateDigits().empty() || RunningProgramIsSigned(); }

bool IsWizardsPublisherCertificate(const std::string& certificate, PublisherRefusal& refusal) {
  const std::string expected = PublisherCertificateDigits();
  if (expected.empty()) return FillRefusal(refusal, L"the wizard was built without its publisher's certificate");
  Sha256Digest digest;
  if (!Sha256Of(certificate.data(), certificate.size(), digest)) {
    return FillRefusal(refusal, L"signatures cannot be checked (bcrypt.dll)");
  }
  if (HexDigits(digest) != expected) return FillRefusal(refusal, L"signed by another certificate");
  return true;
}

bool LibraryFromWizardsPublisher(HANDLE library, const std::wstring& libraryPath, PublisherRefusal& refusal) {
  // A development build carries no certificate and takes any library.
  if (!WizardExpectsPublisher()) return true;
  // Signed, but built without its certificate: which to take could only be read from a replaceable file.
  if (PublisherCertificateDigits().empty()) {
    return FillRefusal(refusal, L"the wizard was built without its publisher's certificate");
  }
  TrustFunctions trust;
  if (!LoadTrustFunctions(trust)) return FillRefusal(refusal, L"signatures cannot be checked (wintrust.dll)");
  const Signature found = CheckSignature(trust, library, libraryPath);
  if (found.result == TRUST_E_NOSIGNATURE) return FillRefusal(refusal, L"not signed");
  // The signature must hold for these very bytes. That the system does not trust the certificate's
  // chain here (expired, a root it lacks) is no refusal: the certificate is compared itself.
  if ((found.result != ERROR_SUCCESS && !OnlyTheChainFails(found.result)) || found.signer.empty()) {
    return FillRefusal(refusal, L"signature does not hold (error " + HexCode(found.result) + L")");
  }
  return IsWizardsPublisherCertificate(found.signer, refusal);
}
