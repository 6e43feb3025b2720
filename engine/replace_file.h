// Moving an installed file aside while it is upgraded, and putting it back or removing it.
// The backup of a file lies beside it: its full path followed by kBackupSuffix.
#pragma once

#include <windows.h>

#include <string>

// <windows.h> maps ReplaceFile to ReplaceFileW; this header's ReplaceFile is the engine's own.
// Code that needs the Win32 function after including this header calls ReplaceFileW by name.
#ifdef ReplaceFile
#undef ReplaceFile
#endif

constexpr const wchar_t* kBackupSuffix = L"._zev_av_";

std::wstring BackupPathOf(const std::wstring& path);

enum class ReplaceMode {
  Backup,   // rename path to its backup name; stops the host's service and retries once if that fails
  Delete,   // delete the file at path
  Restore,  // delete the file at path, if any, and rename its backup back to path
};

bool ReplaceFile(const std::wstring& path, ReplaceMode mode);

// Drops the read-only attribute so that the file can be renamed, rewritten or deleted; a file
// whose attributes cannot be read gets the normal attribute.
bool MakeWritable(const std::wstring& path);
