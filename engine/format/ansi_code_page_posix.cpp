#include <iconv.h>

#include <cerrno>

#include <string>

#include "engine/format/ansi_code_page.h"

namespace {

// Converts bytes between two encodings; false when any character does not convert.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input = in;
  out.assign(input.size() * 4 + 16, '\0');
  char* source = input.data();
  size_t sourceLeft = input.size();
  char* target = out.data();
  size_t targetLeft = out.size();
  const size_t done = iconv(converter, &source, &sourceLeft, &target, &targetLeft);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1) || sourceLeft != 0) return false;
  out.resize(out.size() - targetLeft);
  return true;
}

constexpr wchar_t kReplacement = 0xFFFD;

// Converts the whole text from code page 936; each undefined or cut-off sequence costs one byte
// and one replacement character. False when there was any, or when the C library lacks the code
// page.
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

bool SurvivesAnsiCodePage(const std::wstring& text) {
  // Each wchar_t holds one UTF-16 code unit, as the container's fields give them.
  std::string utf16;
  for (wchar_t unit : text) {
    if (unit > 0xFFFF) return false;
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  std::string narrow, back;
  return Convert("CP936", "UTF-16LE", utf16, narrow) && Convert("UTF-16LE", "CP936", narrow, back) && back == utf16;
}
