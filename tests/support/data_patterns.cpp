#include "tests/support/data_patterns.h"

#include <cstdint>

namespace testsupport {

std::string Pattern(size_t size, unsigned seed) {
  std::string out(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : out) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

std::string DictionaryFile(const std::string& date, const std::string& data) {
  return "name=dictionary\n<date_time>" + date + "</date_time>\n" + std::string(1, '\0') + data;
}

std::string Utf16LeWithMark(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string Bitmap(const std::string& data) {
  const uint32_t size = static_cast<uint32_t>(6 + data.size());
  std::string bytes = "BM";
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(size >> shift & 0xFF));
  return bytes + data;
}

}  // namespace testsupport
