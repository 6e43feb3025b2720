#include "engine/format/profile_text.h"

#include "engine/format/ansi_code_page.h"
#include "engine/format/entry_name.h"

namespace {

// White space as the profile functions see it: ASCII's, and ^Z (DOS's end of file).
bool IsProfileBlank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

std::wstring Trimmed(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsProfileBlank(text[begin])) ++begin;
  while (end > begin && IsProfileBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
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

std::wstring ProfileNameKey(const std::wstring& name) { return LowerAsciiLetters(Trimmed(name)); }

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
  for (size_t i = 0; i < m_sections.size(); ++i) m_firstSection.emplace(ProfileNameKey(m_sections[i].name), i);
}

std::vector<std::wstring> ProfileText::SectionNames() const {
  std::vector<std::wstring> names;
  for (const Section& section : m_sections) {
    if (!section.name.empty()) names.push_back(section.name);
  }
  return names;
}

std::wstring ProfileText::Value(const std::wstring& section, const std::wstring& key) const {
  const auto found = m_firstSection.find(ProfileNameKey(section));
  if (found == m_firstSection.end()) return L"";
  const std::wstring wanted = ProfileNameKey(key);
  for (const Key& entry : m_sections[found->second].keys) {
    if (ProfileNameKey(entry.name) != wanted) continue;
    if (!entry.hasValue) return L"";
    const std::wstring& value = entry.value;
    const bool quoted = value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
    return quoted ? value.substr(1, value.size() - 2) : value;
  }
  return L"";
}
