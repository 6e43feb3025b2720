#include "engine/dict_registration.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shlwapi.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "engine/format/package_layout.h"
#include "engine/host_paths.h"
#include "engine/install_files.h"
#include "engine/testing_seams.h"

namespace {

// Reading back what the host's file holds: its values are not limited to what the wizard copies.
constexpr DWORD kSnapshotChars = 32768;

// An image is copied this many bytes at a time.
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

}  // namespace

void PrepareHostConfigFile(const std::wstring& path) {
  if (!PathFileExistsW(path.c_str())) {
    // CREATE_NEW: a file that appeared meanwhile is kept as it is.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  // A read-only file would make every profile write fail unnoticed.
  MakeWritable(path);
}

bool RegisterDictConfig(const PackageEntry& entry) {
  if (entry.id.empty()) return false;
  std::wstring hostConfig;
  if (!GetLocalQueryCfgPath(hostConfig)) return false;
  PrepareHostConfigFile(hostConfig);

  const wchar_t* section = entry.id.c_str();
  bool written = WriteProfileValue(section, L"id", section, hostConfig);
  if (!entry.description) return false;

  const std::vector<std::wstring>& values = *entry.description;
  for (size_t i = 0; i < std::size(kCopiedConfigKeys) && i < values.size(); ++i) {
    // An empty value leaves what the host's file already holds.
    if (values[i].empty()) continue;
    if (!WriteProfileValue(section, kCopiedConfigKeys[i], values[i].c_str(), hostConfig)) written = false;
  }
  return written;
}

bool SnapshotDictSection(const std::wstring& id, DictSectionSnapshot& snapshot) {
  std::wstring hostConfig;
  if (id.empty() || !GetLocalQueryCfgPath(hostConfig)) return false;
  DictSectionSnapshot taken;
  taken.id = id;
  std::wstring buffer(kSnapshotChars, L'\0');
  taken.sectionExisted = GetPrivateProfileSectionW(id.c_str(), buffer.data(), kSnapshotChars, hostConfig.c_str()) > 0;
  // A default no value can hold tells an absent key from an empty one.
  const wchar_t* absent = L"\x01";
  std::vector<const wchar_t*> keys = {L"id"};
  keys.insert(keys.end(), std::begin(kCopiedConfigKeys), std::end(kCopiedConfigKeys));
  for (const wchar_t* key : keys) {
    GetPrivateProfileStringW(id.c_str(), key, absent, buffer.data(), kSnapshotChars, hostConfig.c_str());
    const std::wstring value = buffer.c_str();
    taken.values.emplace_back(key, value == absent ? std::nullopt : std::optional<std::wstring>(value));
  }
  snapshot = std::move(taken);
  return true;
}

void RestoreDictSection(const DictSectionSnapshot& snapshot) {
  std::wstring hostConfig;
  if (snapshot.id.empty() || !GetLocalQueryCfgPath(hostConfig)) return;
  const wchar_t* section = snapshot.id.c_str();
  for (const auto& [key, value] : snapshot.values) {
    WriteProfileValue(section, key.c_str(), value ? value->c_str() : nullptr, hostConfig);
  }
  if (!snapshot.sectionExisted) {
    wchar_t rest[4] = {};
    if (GetPrivateProfileSectionW(section, rest, 4, hostConfig.c_str()) == 0) {
      WriteProfileValue(section, nullptr, nullptr, hostConfig);
    }
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
  const size_t suffix = std::char_traits<wchar_t>::length(kNewFileSuffix);
  if (prepared.size() <= suffix) return false;
  const std::wstring destination = prepared.substr(0, prepared.size() - suffix);
  if (PlaceOver(prepared, destination)) return true;
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
