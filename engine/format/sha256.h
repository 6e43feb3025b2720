// SHA-256 (FIPS 180-4) of bytes given in pieces of any size, computed by the system's own
// cryptography: bcrypt.dll on Windows (loaded from the system folder at run time), OpenSSL's
// libcrypto elsewhere. The digest by which the wizard knows its publisher's certificate, and the
// one a package's seal lists for each of its files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  ~Sha256();

  void Update(const void* data, size_t length);
  // The digest of everything given so far; false, `digest` untouched, when the system could not
  // hash (its library missing, or a call failed). The object is spent either way.
  bool Finish(Sha256Digest& digest);

  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

 private:
  void* m_context = nullptr;  // the system's hash object; null once it failed or finished
};

bool Sha256Of(const void* data, size_t length, Sha256Digest& digest);

// The digest as 64 lower-case hexadecimal digits.
std::string HexDigits(const Sha256Digest& digest);
