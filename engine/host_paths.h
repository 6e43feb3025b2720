// Locates the host through its registry key and builds the paths into it and the wizard's folder,
// each untouched on failure and unchecked for existence (GetDictDataDir may create its folder).
#pragma once

#include <windows.h>

#include <string>

// The key the host's own setup writes, read with KEY_READ (a 32-bit wizard lands in the 32-bit view).
constexpr const wchar_t* kHostRegistryKey = L"SOFTWARE\\Tolvaro\\Dictionary 2.0";
constexpr const wchar_t* kHostLocationValue = L"Location";
constexpr const wchar_t* kHostExeNameValue = L"ExcutableName";

bool ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* valueName, std::wstring& out);

// True when the registry names a host folder and executable and that executable is a file.
bool IsHostInstalled();

// The program's own file as the loader has it; false when the system cannot tell. Every reader
// of the program's path starts here and applies its own limit.
bool ProgramPath(std::wstring& path);

bool GetModuleDir(std::wstring& out);  // ends with a backslash
bool GetHostDir(std::wstring& out);    // the host's folder, as its key names it
bool GetDictDataDir(std::wstring& out, bool create);
bool GetLocalQueryCfgPath(std::wstring& out);
bool GetHostImagePath(const std::wstring& fileName, std::wstring& out);
bool GetRepairToolPath(std::wstring& out);
bool GetDBCorePath(std::wstring& out);
bool GetHostExePath(std::wstring& out);
