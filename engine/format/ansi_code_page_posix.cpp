#include <iconv.h>

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

}  // namespace

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
