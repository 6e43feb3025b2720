// SHA-256 (FIPS 180-4) of bytes given in pieces of any size: the digest by which the wizard knows
// its publisher's certificate, and of files it is to trust.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t length);
  // The digest of everything given so far; the object is then spent (start a new one to hash more).
  Sha256Digest Finish();

 private:
  void Block(const uint8_t* block);

  uint32_t m_state[8];
  uint8_t m_buffer[64];
  size_t m_buffered = 0;
  uint64_t m_totalBytes = 0;
};

Sha256Digest Sha256Of(const void* data, size_t length);

// The digest as 64 lower-case hexadecimal digits.
std::string HexDigits(const Sha256Digest& digest);
