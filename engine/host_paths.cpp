#include "engine/host_paths.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "engine/diagnostics.h"
#include "engine/system_environment.h"
#include "engine/testing_seams.h"

namespace {

constexpr DWORD kValueChars = 260;  // 520 bytes: a longer value counts as missing

// Texts last read successfully; "filled" means non-empty. Nothing ever empties them.
std::wstring cachedLocation;
std::wstring cachedExeName;
std::wstring moduleDirOverride;

bool ObtainCached(std::wstring& cache, const wchar_t* valueName, std::wstring& out) {
  // ReadRegistryString leaves the cache untouched when it fails.
  if (cache.empty() && !ReadRegistryString(HKEY_LOCAL_MACHINE, kHostRegistryKey, valueName, cache)) return false;
  out = cache;
  return true;
}

bool BuildFromLocation(const std::wstring& rest, std::wstring& out) {
  std::wstring location;
  if (!ObtainCached(cachedLocation, kHostLocationValue, location)) return false;
  out = location + rest;
  return true;
}

}  // namespace

bool ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* valueName, std::wstring& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  wchar_t buffer[kValueChars] = {};
  DWORD bytes = sizeof(buffer);
  DWORD type = REG_NONE;
  LONG rc = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return false;

  std::wstring text(buffer, std::find(buffer, buffer + bytes / sizeof(wchar_t), L'\0'));

  // An expandable path ("%ProgramFiles%\...") still names a real folder (system_environment.h).
  if (type == REG_EXPAND_SZ && text.find(L'%') != std::wstring::npos) {
    std::wstring expanded;
    if (!ExpandWithSystemEnvironment(text, expanded) || expanded.size() >= kValueChars) return false;
    text = expanded;
  }
  out = text;
  return true;
}

bool IsHostInstalled() {
  // A missing key, a missing value, one too long or one naming an unknown variable alike.
  const std::wstring key = std::wstring(L"HKLM\\") + kHostRegistryKey;
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kHostRegistryKey, kHostLocationValue, cachedLocation)) {
    TraceDiagnostic(L"IsHostInstalled-1: read Location fail: " + key);
    return false;
  }
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, kHostRegistryKey, kHostExeNameValue, cachedExeName)) {
    TraceDiagnostic(L"IsHostInstalled-2: read ExcutableName fail: " + key);
    return false;
  }

  // The executable must be a file: with an empty name the hand-off would "start" the host folder.
  const std::wstring exePath = cachedLocation + L"\\" + cachedExeName;
  if (PathFileExistsW(exePath.c_str()) != TRUE) {
    TraceDiagnostic(L"IsHostInstalled-3: host exe missing: " + exePath);
    return false;
  }
  const DWORD attributes = GetFileAttributesW(exePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    TraceDiagnostic(L"IsHostInstalled-4: host exe not a file: " + exePath);
    return false;
  }
  return true;
}

bool ProgramPath(std::wstring& path) {
  // Read once, as it never changes and every pinned file asks for it. Empty when the system could not tell.
  static const std::wstring program = [] {
    // The longest path the system has; a path cut at the buffer's end is no path.
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    buffer.resize(length == 0 || length >= buffer.size() ? 0 : length);
    return buffer;
  }();
  if (program.empty()) return false;
  path = program;
  return true;
}

bool GetModuleDir(std::wstring& out) {
  if (!moduleDirOverride.empty()) {
    out = moduleDirOverride;
    return true;
  }
  std::wstring path;
  if (!ProgramPath(path) || path.size() >= MAX_PATH) return false;

  wchar_t drive[_MAX_DRIVE] = {};
  wchar_t dir[_MAX_DIR] = {};
  if (_wsplitpath_s(path.c_str(), drive, _MAX_DRIVE, dir, _MAX_DIR, nullptr, 0, nullptr, 0) != 0) return false;
  out = std::wstring(drive) + dir;
  return true;
}

bool GetDictDataDir(std::wstring& out, bool create) {
  if (!BuildFromLocation(L"\\plugin\\localquery\\dictdata", out)) return false;
  if (create && !PathFileExistsW(out.c_str())) SHCreateDirectoryExW(nullptr, out.c_str(), nullptr);
  return true;
}

bool GetLocalQueryCfgPath(std::wstring& out) {
  return BuildFromLocation(L"\\plugin\\localquery\\localquerydictcfg.ini", out);
}

bool GetHostImagePath(const std::wstring& fileName, std::wstring& out) {
  return BuildFromLocation(L"\\plugin\\image\\" + fileName, out);
}

bool GetHostDir(std::wstring& out) { return BuildFromLocation(L"", out); }

bool GetRepairToolPath(std::wstring& out) { return BuildFromLocation(L"\\ZRDRepair.exe", out); }

bool GetDBCorePath(std::wstring& out) { return BuildFromLocation(L"\\LXDBCoreplus.dll", out); }

bool GetHostExePath(std::wstring& out) {
  std::wstring location, exeName;
  if (!ObtainCached(cachedLocation, kHostLocationValue, location) ||
      !ObtainCached(cachedExeName, kHostExeNameValue, exeName)) {
    return false;
  }
  out = location + L"\\" + exeName;
  return true;
}

void ResetHostPathCachesForTesting() {
  cachedLocation.clear();
  cachedExeName.clear();
}

void SetModuleDirForTesting(const std::wstring& dir) { moduleDirOverride = dir; }
