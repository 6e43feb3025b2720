#include "engine/install/dict_registration.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shlwapi.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "engine/format/package_layout.h"
#include "engine/format/profile_text.h"
#include "engine/host_paths.h"
#include "engine/install/install_files.h"
#include "engine/testing_seams.h"

namespace {

// A section is read into a buffer this large, then larger ones while it fills them, up to the
// most: a larger section (no dictionary's is) is not rewritten, as its tail could not be written back.
constexpr DWORD kFirstSectionChars = 4096;
constexpr DWORD kMostSectionChars = 4u << 20;

constexpr uint32_t kImageCopyBytes = 64 * 1024;

// Copies the whole source into the open file and flushes it.
bool CopyInto(ByteSource& source, TargetFile& file) {
  if (!source.Seek(0)) return false;
  std::vector<char> buffer(kImageCopyBytes);
  for (;;) {
    uint32_t got = 0, wrote = 0;
    if (!source.Read(buffer.data(), kImageCopyBytes, got)) return false;
    if (got == 0) return file.Flush();
    if (!file.Write(buffer.data(), got, wrote)) return false;
  }
}

// A profile write as a step of the run (a null value removes the key, a null key the section).
bool WriteProfileValue(const wchar_t* section, const wchar_t* key, const wchar_t* value, const std::wstring& file) {
  NoteFileStep(FileStep::ProfileWrite, file, section);
  return WritePrivateProfileStringW(section, key, value, file.c_str()) != 0;
}

// The whole section in one write: `lines` as GetPrivateProfileSectionW gives them.
bool WriteProfileSection(const wchar_t* section, const std::wstring& lines, const std::wstring& file) {
  NoteFileStep(FileStep::ProfileWrite, file, section);
  // Each line ends with its NUL; one more ends the list.
  const std::wstring list = lines + L'\0';
  return WritePrivateProfileSectionW(section, list.c_str(), file.c_str()) != 0;
}

// The section's lines, each NUL-terminated. False when it is larger than the most.
bool ReadProfileSection(const wchar_t* section, const std::wstring& file, std::wstring& lines) {
  for (DWORD size = kFirstSectionChars; size <= kMostSectionChars; size *= 4) {
    std::wstring buffer(size, L'\0');
    const DWORD length = GetPrivateProfileSectionW(section, &buffer[0], size, file.c_str());
    // A buffer the section fills is answered with its size less two: the tail is cut.
    if (length + 2 >= size) continue;
    buffer.resize(length);
    lines = std::move(buffer);
    return true;
  }
  return false;
}

// The key of a "key=value" line, or the whole line.
std::wstring KeyOfLine(const std::wstring& line) { return line.substr(0, line.find(L'=')); }

// The section's lines with key = value in: in the place of the first line of that key (the name it
// has there kept, as the profile functions keep it), else added at the end.
void SetKey(std::vector<std::wstring>& lines, const wchar_t* key, const std::wstring& value) {
  for (std::wstring& line : lines) {
    const std::wstring name = KeyOfLine(line);
    if (!ProfileNamesMatch(name, key)) continue;
    line = name + L'=' + value;
    return;
  }
  lines.push_back(std::wstring(key) + L'=' + value);
}

// What the section holds once the entry is registered, from what it holds now.
std::wstring MergedSection(const std::wstring& held, const PackageEntry& entry) {
  std::vector<std::wstring> lines;
  for (size_t at = 0; at < held.size();) {
    size_t end = held.find(L'\0', at);
    if (end == std::wstring::npos) end = held.size();
    // An empty line would end the list written back.
    if (end > at) lines.push_back(held.substr(at, end - at));
    at = end + 1;
  }
  SetKey(lines, L"id", entry.id);
  if (entry.description) {
    const std::vector<std::wstring>& values = *entry.description;
    for (size_t i = 0; i < std::size(kCopiedConfigKeys) && i < values.size(); ++i) {
      if (!values[i].empty()) SetKey(lines, kCopiedConfigKeys[i], values[i]);
    }
  }
  std::wstring merged;
  for (const std::wstring& line : lines) merged += line + L'\0';
  return merged;
}

}  // namespace

void PrepareHostConfigFile(const std::wstring& path) {
  if (!PathFileExistsW(path.c_str())) CreateEmptyFile(path);
  // A read-only file would make every profile write fail unnoticed.
  MakeWritable(path);
}

bool RegisterDictConfig(const PackageEntry& entry, DictSectionSnapshot* before) {
  if (entry.id.empty()) return false;
  std::wstring hostConfig;
  if (!GetLocalQueryCfgPath(hostConfig)) return false;
  PrepareHostConfigFile(hostConfig);

  const wchar_t* section = entry.id.c_str();
  std::wstring held;
  if (!ReadProfileSection(section, hostConfig, held)) return false;
  if (before != nullptr) *before = DictSectionSnapshot{entry.id, !held.empty(), held};
  return WriteProfileSection(section, MergedSection(held, entry), hostConfig) && entry.description.has_value();
}

void RestoreDictSection(const DictSectionSnapshot& snapshot) {
  std::wstring hostConfig;
  if (snapshot.id.empty() || !GetLocalQueryCfgPath(hostConfig)) return;
  const wchar_t* section = snapshot.id.c_str();
  if (snapshot.sectionExisted) {
    WriteProfileSection(section, snapshot.lines, hostConfig);
  } else {
    WriteProfileValue(section, nullptr, nullptr, hostConfig);
  }
}

bool PrepareDictImage(const PackageEntry& entry, std::wstring& prepared) {
  // No id, no image: ".bmp" alone is not a dictionary's image.
  if (entry.id.empty() || !entry.image) return false;
  std::wstring destination;
  if (!GetHostImagePath(entry.id + kDictImageExtension, destination)) return false;
  const std::wstring fresh = NewFilePathOf(destination);
  TargetFile file;
  if (!file.Create(fresh)) return false;
  const bool copied = CopyInto(*entry.image, file);
  if (!file.Close() || !copied) {
    DeleteFileAtPath(fresh);
    return false;
  }
  prepared = fresh;
  return true;
}

bool PlaceDictImage(const std::wstring& prepared) {
  if (!IsNewFileName(prepared)) return false;
  if (PlaceOver(prepared, OwnNameOf(prepared))) return true;
  DeleteFileAtPath(prepared);
  return false;
}

bool EnableDictsInConfig(const std::vector<PackageFile>& files) {
  std::wstring config;
  if (!GetLocalQueryCfgPath(config)) return false;
  PrepareHostConfigFile(config);
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    for (const PackageEntry& entry : *file.entries) {
      // An id-less entry has no section of its own; an empty section name would make one up.
      if (entry.id.empty()) continue;
      WriteProfileValue(entry.id.c_str(), L"enable", L"1", config);
    }
  }
  return true;
}
