#include <openssl/evp.h>

#include "engine/format/sha256.h"

namespace {

EVP_MD_CTX* Context(void* context) { return static_cast<EVP_MD_CTX*>(context); }

}  // namespace

Sha256::Sha256() {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context);
    context = nullptr;
  }
  m_context = context;
}

Sha256::~Sha256() { EVP_MD_CTX_free(Context(m_context)); }

void Sha256::Update(const void* data, size_t length) {
  if (m_context == nullptr || length == 0) return;
  if (EVP_DigestUpdate(Context(m_context), data, length) != 1) {
    EVP_MD_CTX_free(Context(m_context));
    m_context = nullptr;
  }
}

bool Sha256::Finish(Sha256Digest& digest) {
  if (m_context == nullptr) return false;
  Sha256Digest made;
  unsigned length = 0;
  const bool ok = EVP_DigestFinal_ex(Context(m_context), made.data(), &length) == 1 && length == made.size();
  EVP_MD_CTX_free(Context(m_context));
  m_context = nullptr;
  if (ok) digest = made;
  return ok;
}
