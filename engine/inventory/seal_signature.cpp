#include "engine/inventory/seal_signature.h"

// After windows.h:
#include <wincrypt.h>

#include <cstring>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/format/sha256.h"
#include "engine/module_function.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

using VerifyDetachedFn = BOOL(WINAPI*)(PCRYPT_VERIFY_MESSAGE_PARA, DWORD, const BYTE*, DWORD, DWORD, const BYTE**,
                                       DWORD*, PCCERT_CONTEXT*);
using FreeCertificateFn = BOOL(WINAPI*)(PCCERT_CONTEXT);
using OpenToDecodeFn = HCRYPTMSG(WINAPI*)(DWORD, DWORD, DWORD, HCRYPTPROV_LEGACY, PCERT_INFO, PCMSG_STREAM_INFO);
using UpdateFn = BOOL(WINAPI*)(HCRYPTMSG, const BYTE*, DWORD, BOOL);
using GetParamFn = BOOL(WINAPI*)(HCRYPTMSG, DWORD, DWORD, void*, DWORD*);
using CloseFn = BOOL(WINAPI*)(HCRYPTMSG);
using DecodeFn = BOOL(WINAPI*)(DWORD, LPCSTR, const BYTE*, DWORD, DWORD, void*, DWORD*);

struct CryptFunctions {
  VerifyDetachedFn verify = nullptr;
  FreeCertificateFn freeCertificate = nullptr;
  OpenToDecodeFn openToDecode = nullptr;
  UpdateFn update = nullptr;
  GetParamFn getParam = nullptr;
  CloseFn close = nullptr;
  DecodeFn decode = nullptr;
};

// crypt32.dll from the system folder, loaded once and kept for the process.
bool LoadCryptFunctions(CryptFunctions& out) {
  static const HMODULE module = LoadLibraryExW(L"crypt32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  CryptFunctions found;
  found.verify = ModuleFunction<VerifyDetachedFn>(module, "CryptVerifyDetachedMessageSignature");
  found.freeCertificate = ModuleFunction<FreeCertificateFn>(module, "CertFreeCertificateContext");
  found.openToDecode = ModuleFunction<OpenToDecodeFn>(module, "CryptMsgOpenToDecode");
  found.update = ModuleFunction<UpdateFn>(module, "CryptMsgUpdate");
  found.getParam = ModuleFunction<GetParamFn>(module, "CryptMsgGetParam");
  found.close = ModuleFunction<CloseFn>(module, "CryptMsgClose");
  found.decode = ModuleFunction<DecodeFn>(module, "CryptDecodeObject");
  if (found.verify == nullptr || found.freeCertificate == nullptr || found.openToDecode == nullptr ||
      found.update == nullptr || found.getParam == nullptr || found.close == nullptr || found.decode == nullptr) {
    return false;
  }
  out = found;
  return true;
}

// A parameter of the decoded message as bytes; false when the message has none.
bool MessageParam(const CryptFunctions& crypt, HCRYPTMSG message, DWORD param, std::vector<BYTE>& out) {
  DWORD size = 0;
  if (!crypt.getParam(message, param, 0, nullptr, &size) || size == 0) return false;
  std::vector<BYTE> bytes(size);
  if (!crypt.getParam(message, param, 0, bytes.data(), &size)) return false;
  bytes.resize(size);
  out = std::move(bytes);
  return true;
}

// What the one signer says of itself, unchecked: that there is one, that it hashed with SHA-256,
// and the messageDigest among its signed attributes (empty without attributes). Read from the
// signer's whole record: Wine answers no parameter for the hash algorithm alone.
bool ReadSigner(const CryptFunctions& crypt, const std::string& signature, bool& signedAttributes,
                std::string& messageDigest, PublisherRefusal& refusal) {
  const HCRYPTMSG message = crypt.openToDecode(kEncoding, CMSG_DETACHED_FLAG, 0, 0, nullptr, nullptr);
  if (message == nullptr) return FillRefusal(refusal, L"signatures cannot be checked (crypt32.dll)");
  bool ok = false;
  std::vector<BYTE> bytes;
  DWORD signers = 0;
  DWORD size = sizeof(signers);
  if (!crypt.update(message, reinterpret_cast<const BYTE*>(signature.data()), static_cast<DWORD>(signature.size()),
                    TRUE)) {
    FillRefusal(refusal, L"not a CMS signature (error " + HexCode(static_cast<long>(GetLastError())) + L")");
  } else if (!crypt.getParam(message, CMSG_SIGNER_COUNT_PARAM, 0, &signers, &size) || signers != 1) {
    FillRefusal(refusal, L"not signed by exactly one signer");
  } else if (!MessageParam(crypt, message, CMSG_SIGNER_INFO_PARAM, bytes)) {
    FillRefusal(refusal, L"no signer (error " + HexCode(static_cast<long>(GetLastError())) + L")");
  } else {
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(bytes.data());
    const CRYPT_ATTRIBUTE* digest = nullptr;
    for (DWORD i = 0; i < signer->AuthAttrs.cAttr; ++i) {
      if (std::strcmp(signer->AuthAttrs.rgAttr[i].pszObjId, szOID_PKCS_9_MESSAGE_DIGEST) == 0) {
        digest = &signer->AuthAttrs.rgAttr[i];
      }
    }
    BYTE decoded[sizeof(CRYPT_DATA_BLOB) + 64] = {};
    DWORD decodedSize = sizeof(decoded);
    if (signer->HashAlgorithm.pszObjId == nullptr ||
        std::strcmp(signer->HashAlgorithm.pszObjId, szOID_NIST_sha256) != 0) {
      FillRefusal(refusal, L"not signed with SHA-256");
    } else if (signer->AuthAttrs.cAttr == 0) {
      signedAttributes = false;  // the signature is of the content itself
      ok = true;
    } else if (digest == nullptr || digest->cValue != 1 ||
               !crypt.decode(kEncoding, X509_OCTET_STRING, digest->rgValue[0].pbData, digest->rgValue[0].cbData, 0,
                             decoded, &decodedSize)) {
      FillRefusal(refusal, L"signed attributes without one message digest");
    } else {
      const auto* blob = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded);
      messageDigest.assign(reinterpret_cast<const char*>(blob->pbData), blob->cbData);
      signedAttributes = true;
      ok = true;
    }
  }
  crypt.close(message);
  return ok;
}

}  // namespace

bool SealSignedByWizardsPublisher(const std::string& content, const std::string& signature, PublisherRefusal& refusal) {
  CryptFunctions crypt;
  if (!LoadCryptFunctions(crypt)) return FillRefusal(refusal, L"signatures cannot be checked (crypt32.dll)");
  bool signedAttributes = false;
  std::string messageDigest;
  if (!ReadSigner(crypt, signature, signedAttributes, messageDigest, refusal)) return false;

  CRYPT_VERIFY_MESSAGE_PARA para = {};
  para.cbSize = sizeof(para);
  para.dwMsgAndCertEncodingType = kEncoding;
  const BYTE* pieces[] = {reinterpret_cast<const BYTE*>(content.data())};
  DWORD pieceSizes[] = {static_cast<DWORD>(content.size())};
  PCCERT_CONTEXT signer = nullptr;
  if (!crypt.verify(&para, 0, reinterpret_cast<const BYTE*>(signature.data()), static_cast<DWORD>(signature.size()), 1,
                    pieces, pieceSizes, &signer) ||
      signer == nullptr) {
    const DWORD error = GetLastError();
    if (signer != nullptr) crypt.freeCertificate(signer);
    return FillRefusal(refusal, L"signature does not hold (error " + HexCode(static_cast<long>(error)) + L")");
  }
  const std::string certificate(reinterpret_cast<const char*>(signer->pbCertEncoded), signer->cbCertEncoded);
  crypt.freeCertificate(signer);

  // The signed attributes are what the signature covers; their digest must be this content's.
  if (signedAttributes) {
    Sha256Digest digest;
    if (!Sha256Of(content.data(), content.size(), digest)) {
      return FillRefusal(refusal, L"signatures cannot be checked (bcrypt.dll)");
    }
    if (messageDigest.size() != digest.size() || std::memcmp(messageDigest.data(), digest.data(), digest.size()) != 0) {
      return FillRefusal(refusal, L"signature does not hold: its message digest is not the seal's");
    }
  }
  return IsWizardsPublisherCertificate(certificate, refusal);
}
