#include "engine/dict_registration.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shlwapi.h>

#include "engine/host_paths.h"
#include "engine/package_layout.h"
#include "engine/replace_file.h"

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
  const std::wstring packageConfig = moduleDir + L"\\" + kPackageConfigFileName;
  if (!PathFileExistsW(packageConfig.c_str())) return false;

  for (const wchar_t* key : kCopiedConfigKeys) {
    wchar_t value[kConfigValueChars] = {};
    GetPrivateProfileStringW(section, key, L"", value, static_cast<DWORD>(kConfigValueChars), packageConfig.c_str());
    // An empty value leaves what the host's file already holds.
    if (value[0] == L'\0') continue;
    if (!WritePrivateProfileStringW(section, key, value, hostConfig.c_str())) written = false;
  }
  return written;
}

bool CopyDictImage(const std::wstring& id) {
  // No id, no image: ".bmp" alone is not a dictionary's image.
  if (id.empty()) return false;
  const std::wstring name = id + kDictImageExtension;
  std::wstring source, destination;
  if (!GetPackageImagePath(name, source)) return false;
  if (!GetHostImagePath(name, destination)) return false;
  return CopyFileW(source.c_str(), destination.c_str(), FALSE) != 0;
}
