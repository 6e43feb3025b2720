#include "tests/support/win_test_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "engine/host_paths.h"
#include "engine/testing_seams.h"

namespace testsupport {

std::wstring ExeDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

ScratchDir::ScratchDir(const std::wstring& tag) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::wstring(temp) + L"pk_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
  }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string result;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) result.append(buffer, got);
  CloseHandle(file);
  bytes.swap(result);
  return true;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MakeDirs(const std::wstring& path) {
  const int rc = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

HostRegistry::HostRegistry(const wchar_t* location, const wchar_t* exeName, DWORD type) {
  Remove();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHostRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (key) RegCloseKey(key);
  if (location)
    SetRaw(kHostLocationValue, location, static_cast<DWORD>((wcslen(location) + 1) * sizeof(wchar_t)), type);
  if (exeName) SetRaw(kHostExeNameValue, exeName, static_cast<DWORD>((wcslen(exeName) + 1) * sizeof(wchar_t)), type);
  ResetHostPathCachesForTesting();
}

HostRegistry::~HostRegistry() {
  Remove();
  ResetHostPathCachesForTesting();
}

void HostRegistry::SetRaw(const wchar_t* valueName, const void* data, DWORD bytes, DWORD type) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHostRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, valueName, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
}

void HostRegistry::Remove() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kHostRegistryKey); }

std::string Narrow(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool GdiDrawsHere() {
  static const bool draws = [] {
    HDC memory = CreateCompatibleDC(nullptr);
    if (memory == nullptr) return false;
    DeleteDC(memory);
    return true;
  }();
  return draws;
}

}  // namespace testsupport
