#include <iconv.h>

#include <cerrno>
#include <string>

#include "engine/format/ansi_code_page.h"

namespace {

// Converts bytes between two encodings; a sequence that does not convert costs one input byte and
// leaves `replacement`. False when there was any, or the C library lacks either encoding.
bool Convert(const char* to, const char* from, std::string in, const char* replacement, std::string& out) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  bool whole = true;
  char* source = in.data();
  size_t left = in.size();
  char buffer[4096];
  while (left > 0) {
    char* target = buffer;
    size_t room = sizeof(buffer);
    const size_t result = iconv(converter, &source, &left, &target, &room);
    out.append(buffer, sizeof(buffer) - room);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      whole = false;
      out += replacement;
      ++source;
      --left;
    }
  }
  iconv_close(converter);
  return whole;
}

// The whole text from code page 936, each undefined or cut-off byte a U+FFFD; false when any was.
bool Decode(const std::string& bytes, std::wstring& units) {
  std::string utf16;
  const bool defined = Convert("UTF-16LE", "CP936", bytes, "\xFD\xFF", utf16);
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    units.push_back(
        static_cast<wchar_t>(static_cast<unsigned char>(utf16[i]) | static_cast<unsigned char>(utf16[i + 1]) << 8));
  }
  return defined;
}

}  // namespace

std::wstring AnsiToUnits(const std::string& bytes) {
  std::wstring units;
  Decode(bytes, units);
  return units;
}

bool IsAnsiText(const std::string& bytes) {
  std::wstring units;
  return Decode(bytes, units);
}

bool SurvivesAnsiCodePage(const std::wstring& text) {
  // Each wchar_t holds one UTF-16 code unit, as the container's fields give them.
  std::string utf16;
  for (wchar_t unit : text) {
    if (unit > 0xFFFF) return false;
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  std::string narrow, back;
  return Convert("CP936", "UTF-16LE", utf16, "", narrow) && Convert("UTF-16LE", "CP936", narrow, "", back) &&
         back == utf16;
}
