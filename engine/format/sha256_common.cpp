#include "engine/format/sha256.h"

bool Sha256Of(const void* data, size_t length, Sha256Digest& digest) {
  Sha256 hash;
  hash.Update(data, length);
  return hash.Finish(digest);
}

std::string HexDigits(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (const uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}
