// Helpers for tests that run under Wine against real files, folders and the real registry.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// The folder of the running test executable, with a trailing backslash.
std::wstring ExeDir();

// A new empty folder under the system's temporary folder, removed with its content when the
// object goes away.
class ScratchDir {
 public:
  explicit ScratchDir(const std::wstring& tag);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
bool FileExists(const std::wstring& path);  // a file, not a folder
bool MakeDirs(const std::wstring& path);
bool RemoveTree(const std::wstring& path);

// Writes the host's registry key for the duration of a test and removes it afterwards.
// A null value is left out; type selects REG_SZ or REG_EXPAND_SZ.
class HostRegistry {
 public:
  HostRegistry(const wchar_t* location, const wchar_t* exeName, DWORD type = REG_SZ);
  ~HostRegistry();
  HostRegistry(const HostRegistry&) = delete;
  HostRegistry& operator=(const HostRegistry&) = delete;
  static void SetRaw(const wchar_t* valueName, const void* data, DWORD bytes, DWORD type);
  static void Remove();
};

std::string Narrow(const std::wstring& text);  // UTF-8, for test messages

// Whether this process can make GDI objects (memory device contexts, icons). Wine 8's WoW64
// mode cannot for a 32-bit program: its windows exist and work but are never drawn, so the
// i686 tests have no pictures to take and no icon images to load.
bool GdiDrawsHere();

}  // namespace testsupport
