#include "engine/format/profile_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <wctype.h>
#endif

#include <algorithm>
#include <climits>

#include "engine/format/ansi_code_page.h"

namespace {

// White space as the profile functions see it: ASCII's, and ^Z (DOS's end of file).
bool IsProfileBlank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

// Where the text begins and ends without its blanks.
void TrimmedRange(const std::wstring& text, size_t& begin, size_t& end) {
  begin = 0;
  end = text.size();
  while (begin < end && IsProfileBlank(text[begin])) ++begin;
  while (end > begin && IsProfileBlank(text[end - 1])) --end;
}

std::wstring Trimmed(const std::wstring& text) {
  size_t begin = 0, end = 0;
  TrimmedRange(text, begin, end);
  return text.substr(begin, end - begin);
}

#ifndef _WIN32
// One code unit in upper case: A-Z by hand, others by the C.UTF-8 locale (the process's may be
// "C", which knows A-Z only). One outside ASCII whose upper case is ASCII ("ı", "ſ") keeps itself, as on Windows.
wint_t UpperUnit(wchar_t unit) {
  if (unit < 0x80) return unit >= L'a' && unit <= L'z' ? unit - (L'a' - L'A') : unit;
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  const wint_t upper = utf8 != static_cast<locale_t>(nullptr) ? towupper_l(unit, utf8) : towupper(unit);
  return upper < 0x80 ? static_cast<wint_t>(unit) : upper;
}
#endif

// Below, at or above 0 as the first name sorts before, with or after the second, as ProfileNamesMatch compares.
int CompareProfileNames(const std::wstring& first, const std::wstring& second) {
  size_t firstBegin = 0, firstEnd = 0, secondBegin = 0, secondEnd = 0;
  TrimmedRange(first, firstBegin, firstEnd);
  TrimmedRange(second, secondBegin, secondEnd);
  const size_t firstSize = firstEnd - firstBegin, secondSize = secondEnd - secondBegin;
#ifdef _WIN32
  // The profile functions' own compare; it fails only for a length beyond int, which still gets an order.
  if (firstSize <= INT_MAX && secondSize <= INT_MAX) {
    const int result = CompareStringOrdinal(first.data() + firstBegin, static_cast<int>(firstSize),
                                            second.data() + secondBegin, static_cast<int>(secondSize), TRUE);
    if (result != 0) return result - CSTR_EQUAL;
  }
  return first.compare(firstBegin, firstSize, second, secondBegin, secondSize);
#else
  for (size_t i = 0; i < std::min(firstSize, secondSize); ++i) {
    const wint_t a = UpperUnit(first[firstBegin + i]), b = UpperUnit(second[secondBegin + i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return firstSize < secondSize ? -1 : firstSize > secondSize ? 1 : 0;
#endif
}

}  // namespace

std::wstring DecodeProfileBytes(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::wstring units;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units.push_back(
          static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return units;
  }
  return AnsiToUnits(bytes);
}

bool ProfileNamesMatch(const std::wstring& first, const std::wstring& second) {
  return CompareProfileNames(first, second) == 0;
}

bool ProfileNameLess::operator()(const std::wstring& first, const std::wstring& second) const {
  return CompareProfileNames(first, second) < 0;
}

ProfileText::ProfileText(const std::wstring& text) {
  m_sections.push_back(Section{});  // what precedes the first header
  size_t next = 0;
  while (next < text.size()) {
    size_t end = text.find_first_of(L"\r\n", next);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Trimmed(text.substr(next, end - next));
    next = end + 1;
    if (line.empty()) continue;

    const size_t close = line.rfind(L']');
    if (line[0] == L'[' && close != std::wstring::npos) {
      m_sections.push_back(Section{Trimmed(line.substr(1, close - 1)), {}});
      continue;
    }
    Key key;
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
      key.name = line;
    } else {
      key.name = Trimmed(line.substr(0, equals));
      key.value = Trimmed(line.substr(equals + 1));
      key.hasValue = true;
    }
    m_sections.back().keys.push_back(std::move(key));
  }
  for (size_t i = 0; i < m_sections.size(); ++i) m_firstSection.emplace(m_sections[i].name, i);
}

std::vector<std::wstring> ProfileText::SectionNames() const {
  std::vector<std::wstring> names;
  for (const Section& section : m_sections) {
    if (!section.name.empty()) names.push_back(section.name);
  }
  return names;
}

std::wstring ProfileText::Value(const std::wstring& section, const std::wstring& key) const {
  const auto found = m_firstSection.find(section);
  if (found == m_firstSection.end()) return L"";
  for (const Key& entry : m_sections[found->second].keys) {
    if (!ProfileNamesMatch(entry.name, key)) continue;
    if (!entry.hasValue) return L"";
    const std::wstring& value = entry.value;
    const bool quoted = value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
    return quoted ? value.substr(1, value.size() - 2) : value;
  }
  return L"";
}
