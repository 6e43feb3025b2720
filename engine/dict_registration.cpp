#include "engine/dict_registration.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shlwapi.h>

#include "engine/host_paths.h"
#include "engine/replace_file.h"

namespace {

constexpr const wchar_t* kPackageConfigName = L"\\dictconfig.ini";
constexpr const wchar_t* kImageExtension = L".bmp";

// The keys after "id", in the order in which they are copied.
constexpr const wchar_t* kCopiedKeys[] = {L"id_net",     L"desc_name",      L"catalog", L"from",    L"to",
                                          L"desc_intro", L"desc_copyright", L"enable",  L"func_all"};

// Values longer than this, the terminator included, arrive cut.
constexpr DWORD kValueChars = 260;

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
  bool written = WritePrivateProfileStringW(section, L"id", section, hostConfig.c_str()) != 0;

  std::wstring moduleDir;
  if (!GetModuleDir(moduleDir)) return false;
  const std::wstring packageConfig = moduleDir + kPackageConfigName;
  if (!PathFileExistsW(packageConfig.c_str())) return false;

  for (const wchar_t* key : kCopiedKeys) {
    wchar_t value[kValueChars] = {};
    GetPrivateProfileStringW(section, key, L"", value, kValueChars, packageConfig.c_str());
    // An empty value leaves what the host's file already holds.
    if (value[0] == L'\0') continue;
    if (!WritePrivateProfileStringW(section, key, value, hostConfig.c_str())) written = false;
  }
  return written;
}

bool CopyDictImage(const std::wstring& id) {
  // No id, no image: ".bmp" alone is not a dictionary's image.
  if (id.empty()) return false;
  const std::wstring name = id + kImageExtension;
  std::wstring source, destination;
  if (!GetPackageImagePath(name, source)) return false;
  if (!GetHostImagePath(name, destination)) return false;
  return CopyFileW(source.c_str(), destination.c_str(), FALSE) != 0;
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
      WritePrivateProfileStringW(entry.id.c_str(), L"enable", L"1", config.c_str());
    }
  }
  return true;
}
