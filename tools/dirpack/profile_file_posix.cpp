// Without the profile functions: the file's bytes read once and interpreted by their rules.
#include "engine/format/profile_text.h"
#include "tools/dirpack/file_bytes.h"
#include "tools/dirpack/profile_file.h"

bool ProfileFile::Open(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  m_path = path;
  m_text = std::make_shared<const ProfileText>(DecodeProfileBytes(bytes));
  return true;
}

std::vector<std::wstring> ProfileFile::SectionNames() const {
  return m_text ? m_text->SectionNames() : std::vector<std::wstring>{};
}

std::wstring ProfileFile::Value(const std::wstring& section, const std::wstring& key) const {
  return m_text ? m_text->Value(section, key) : L"";
}
