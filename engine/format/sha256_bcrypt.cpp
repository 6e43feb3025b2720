#include <windows.h>
// After windows.h:
#include <bcrypt.h>

#include "engine/format/sha256.h"

namespace {

using OpenAlgorithmFn = LONG(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateHashFn = LONG(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashDataFn = LONG(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHashFn = LONG(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHashFn = LONG(WINAPI*)(BCRYPT_HASH_HANDLE);

template <typename Fn>
Fn Function(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// bcrypt.dll from the system folder, never a library of that name beside the program, and its
// SHA-256 provider; opened at the first hash and kept for the process. Null members when missing.
struct Bcrypt {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  CreateHashFn createHash = nullptr;
  HashDataFn hashData = nullptr;
  FinishHashFn finishHash = nullptr;
  DestroyHashFn destroyHash = nullptr;

  Bcrypt() {
    const HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto open = Function<OpenAlgorithmFn>(module, "BCryptOpenAlgorithmProvider");
    createHash = Function<CreateHashFn>(module, "BCryptCreateHash");
    hashData = Function<HashDataFn>(module, "BCryptHashData");
    finishHash = Function<FinishHashFn>(module, "BCryptFinishHash");
    destroyHash = Function<DestroyHashFn>(module, "BCryptDestroyHash");
    if (open == nullptr || createHash == nullptr || hashData == nullptr || finishHash == nullptr ||
        destroyHash == nullptr || open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
      algorithm = nullptr;
    }
  }
};

const Bcrypt& System() {
  static const Bcrypt bcrypt;
  return bcrypt;
}

}  // namespace

Sha256::Sha256() {
  const Bcrypt& system = System();
  BCRYPT_HASH_HANDLE hash = nullptr;
  // The system keeps the hash object's memory itself (no buffer given), as it does from Windows 7.
  if (system.algorithm != nullptr && system.createHash(system.algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
    m_context = hash;
  }
}

Sha256::~Sha256() {
  if (m_context != nullptr) System().destroyHash(m_context);
}

void Sha256::Update(const void* data, size_t length) {
  const auto* bytes = static_cast<const UCHAR*>(data);
  while (m_context != nullptr && length > 0) {
    const ULONG piece = length > 0x40000000u ? 0x40000000u : static_cast<ULONG>(length);
    if (System().hashData(m_context, const_cast<UCHAR*>(bytes), piece, 0) != 0) {
      System().destroyHash(m_context);
      m_context = nullptr;
    }
    bytes += piece;
    length -= piece;
  }
}

bool Sha256::Finish(Sha256Digest& digest) {
  if (m_context == nullptr) return false;
  Sha256Digest made;
  const bool ok = System().finishHash(m_context, made.data(), static_cast<ULONG>(made.size()), 0) == 0;
  System().destroyHash(m_context);
  m_context = nullptr;
  if (ok) digest = made;
  return ok;
}
