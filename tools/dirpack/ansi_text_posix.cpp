// Code page 936 through the C library's iconv, as UTF-16LE units.
#include <iconv.h>

#include <cerrno>

#include "tools/dirpack/ansi_text.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Converts the whole text; each undefined or cut-off sequence costs one byte and one replacement
// character. False when there was any, or when the C library lacks the code page.
bool Decode(const std::string& bytes, std::wstring& units) {
  iconv_t converter = iconv_open("UTF-16LE", "CP936");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  bool defined = true;
  std::string in = bytes;
  char* from = in.empty() ? nullptr : &in[0];
  size_t left = in.size();
  char out[4096];
  while (left > 0) {
    char* to = out;
    size_t room = sizeof(out);
    const size_t result = iconv(converter, &from, &left, &to, &room);
    const size_t produced = sizeof(out) - room;
    for (size_t i = 0; i + 1 < produced; i += 2) {
      units.push_back(
          static_cast<wchar_t>(static_cast<unsigned char>(out[i]) | static_cast<unsigned char>(out[i + 1]) << 8));
    }
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      defined = false;
      units.push_back(kReplacement);
      ++from;
      --left;
    }
  }
  iconv_close(converter);
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
