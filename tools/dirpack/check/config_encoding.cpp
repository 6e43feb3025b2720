#include "tools/dirpack/check/config_encoding.h"

#include <algorithm>

#include "engine/format/ansi_code_page.h"
#include "engine/format/utf8_text.h"

namespace {

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
  return bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

ConfigEncoding ClassifyConfigBytes(const std::string& bytes) {
  if (StartsWith(bytes, "\xFF\xFE", 2)) return ConfigEncoding::Utf16LittleEndian;
  if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) return ConfigEncoding::Utf8WithMark;
  if (StartsWith(bytes, "\xFE\xFF", 2)) return ConfigEncoding::Utf16BigEndian;
  if (bytes.find('\0') != std::string::npos) return ConfigEncoding::Utf16WithoutMark;
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return ConfigEncoding::Ascii;
  // Text in the ANSI code page is seldom also valid UTF-8, while UTF-8 text always is.
  std::wstring units;
  if (Utf8ToUnits(bytes, units)) return ConfigEncoding::Utf8;
  return IsAnsiText(bytes) ? ConfigEncoding::Ansi : ConfigEncoding::Undefined;
}
