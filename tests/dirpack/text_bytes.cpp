#include "tests/dirpack/text_bytes.h"

#include "engine/format/utf8_text.h"

namespace dirpacktest {

std::string Utf16LeWithMark(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string Utf8Bytes(const std::u16string& text) { return UnitsToUtf8(std::wstring(text.begin(), text.end())); }

}  // namespace dirpacktest
