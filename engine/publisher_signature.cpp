#include "engine/publisher_signature.h"

// After windows.h:
#include <softpub.h>
#include <wintrust.h>

#include <cstring>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/module_function.h"

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

// Verifies the Authenticode signature of the file open as `file` (read through that handle, so the
// file checked is the file held) without any window, revocation check or network fetch, and reads
// the certificate of its first signer.
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

// Answers that say the signature and the file agree and only the signer's certificate is not
// trusted here: expired, its root not among the system's, a test root, or a chain the system
// could not build from what it holds. A wizard signed so still has a known signer; a library is
// then taken with the very same answer and the same signer.
bool OnlyTheChainFails(LONG result) {
  return result == CERT_E_EXPIRED || result == CERT_E_UNTRUSTEDROOT || result == CERT_E_UNTRUSTEDTESTROOT ||
         result == CERT_E_CHAINING;
}

const IMAGE_NT_HEADERS& RunningProgramHeaders() {
  const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

bool ReadAt(HANDLE file, LONGLONG offset, void* buffer, DWORD length) {
  LARGE_INTEGER at = {};
  at.QuadPart = offset;
  DWORD got = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, length, &got, nullptr) &&
         got == length;
}

// Whether `file` holds the running program: the folder is the user's, so another file may have
// taken the program's name since it started. Its headers must agree with those mapped into this
// process: sections, entry point, size, checksum and certificate table. The image base is left
// out, as the loader may rewrite it.
bool HoldsTheRunningProgram(HANDLE file) {
  const IMAGE_NT_HEADERS& mapped = RunningProgramHeaders();
  IMAGE_DOS_HEADER dos = {};
  IMAGE_NT_HEADERS headers = {};
  if (!ReadAt(file, 0, &dos, sizeof(dos)) || !ReadAt(file, dos.e_lfanew, &headers, sizeof(headers))) return false;
  const IMAGE_OPTIONAL_HEADER& a = mapped.OptionalHeader;
  const IMAGE_OPTIONAL_HEADER& b = headers.OptionalHeader;
  const IMAGE_DATA_DIRECTORY& aTable = a.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
  const IMAGE_DATA_DIRECTORY& bTable = b.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
  return headers.Signature == mapped.Signature &&
         std::memcmp(&headers.FileHeader, &mapped.FileHeader, sizeof(IMAGE_FILE_HEADER)) == 0 && a.Magic == b.Magic &&
         a.AddressOfEntryPoint == b.AddressOfEntryPoint && a.SizeOfImage == b.SizeOfImage && a.CheckSum == b.CheckSum &&
         aTable.VirtualAddress == bTable.VirtualAddress && aTable.Size == bTable.Size;
}

bool Refuse(PublisherRefusal& refusal, const std::wstring& reason, const std::wstring& file) {
  refusal = PublisherRefusal{reason, file};
  return false;
}

}  // namespace

bool WizardExpectsPublisher() {
  // The running program's own headers tell whether it was signed; they cannot be swapped on disk.
  return RunningProgramHeaders().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

bool LibraryFromWizardsPublisher(HANDLE library, const std::wstring& libraryPath, PublisherRefusal& refusal) {
  // A development build carries no certificate table and takes any library.
  if (!WizardExpectsPublisher()) return true;

  std::vector<wchar_t> buffer(32768);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return Refuse(refusal, L"the wizard's own path is unknown", libraryPath);
  const std::wstring program(buffer.data(), length);

  TrustFunctions trust;
  if (!LoadTrustFunctions(trust)) return Refuse(refusal, L"signatures cannot be checked (wintrust.dll)", libraryPath);

  // Read sharing only: the wizard's file stays as it is while its signature is read.
  HANDLE self = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (self == INVALID_HANDLE_VALUE) {
    return Refuse(refusal, L"the wizard's own file cannot be opened (error " + std::to_wstring(GetLastError()) + L")",
                  program);
  }
  const bool running = HoldsTheRunningProgram(self);
  const Signature own = running ? CheckSignature(trust, self, program) : Signature{};
  CloseHandle(self);
  if (!running) return Refuse(refusal, L"the wizard's file is not the running program", program);
  if ((own.result != ERROR_SUCCESS && !OnlyTheChainFails(own.result)) || own.signer.empty()) {
    return Refuse(refusal, L"the wizard's own signature does not hold (error " + HexCode(own.result) + L")", program);
  }

  const Signature found = CheckSignature(trust, library, libraryPath);
  if (found.result == TRUST_E_NOSIGNATURE) return Refuse(refusal, L"not signed", libraryPath);
  if (found.result != ERROR_SUCCESS && found.result != own.result) {
    return Refuse(refusal, L"signature does not hold (error " + HexCode(found.result) + L")", libraryPath);
  }
  if (found.signer != own.signer) return Refuse(refusal, L"signed by another certificate", libraryPath);
  return true;
}
