// On Windows the real profile functions read the file, as the wizard's registration does; only
// the buffers are larger, so that whole values and every section name arrive.
#include <windows.h>

#include "engine/format/byte_file.h"
#include "tools/dirpack/profile_file.h"

namespace {

// The profile functions cap what they answer at the buffer, so the buffer grows until the
// answer is shorter than it; nothing longer than this is read.
constexpr DWORD kMostChars = 1 << 20;

}  // namespace

bool ProfileFile::Open(const std::wstring& path) {
  // The profile functions make an absent or unreadable file look empty: tell them apart first.
  if (!OpenByteFile(path.c_str())) return false;
  m_path = path;
  return true;
}

std::vector<std::wstring> ProfileFile::SectionNames() const {
  std::vector<std::wstring> names;
  if (m_path.empty()) return names;
  std::wstring buffer;
  DWORD length = 0;
  for (DWORD size = 4096; size <= kMostChars; size *= 2) {
    buffer.assign(size, L'\0');
    length = GetPrivateProfileSectionNamesW(&buffer[0], size, m_path.c_str());
    if (length + 2 < size) break;  // size - 2: the list did not fit
  }
  // NUL-separated names, the last followed by a second NUL.
  for (size_t at = 0; at < length && buffer[at] != L'\0';) {
    const size_t end = buffer.find(L'\0', at);
    names.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

std::wstring ProfileFile::Value(const std::wstring& section, const std::wstring& key) const {
  if (m_path.empty()) return L"";
  std::wstring buffer;
  DWORD length = 0;
  for (DWORD size = 4096; size <= kMostChars; size *= 2) {
    buffer.assign(size, L'\0');
    length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", &buffer[0], size, m_path.c_str());
    if (length + 1 < size) break;  // size - 1: the value was cut
  }
  return buffer.substr(0, length);
}
