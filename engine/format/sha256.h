// SHA-256 of bytes given in pieces, by the system's cryptography (bcrypt.dll from the system folder
// on Windows, libcrypto elsewhere): it names the publisher's certificate and the seal's files.
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
  // hash (no library, a call failed). Spent either way.
  bool Finish(Sha256Digest& digest);

  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

 private:
  void* m_context = nullptr;  // the system's hash object; null once it failed or finished
};

bool Sha256Of(const void* data, size_t length, Sha256Digest& digest);

// The digest as 64 lower-case hexadecimal digits.
std::string HexDigits(const Sha256Digest& digest);
