// The names beside an installed dictionary file that an upgrade uses, and moving the installed
// file aside, back, or away. The new data go first to the new file (its path followed by
// kNewFileSuffix) and take the installed file's name only once complete and flushed; the installed
// file waits under its backup name (its path followed by kBackupSuffix) until then. Both suffixes
// are reserved (entry_name.h): no package entry can install a file under them.
#pragma once

#include <windows.h>

#include <string>

#include "engine/format/entry_name.h"

// <windows.h> maps ReplaceFile to ReplaceFileW; this header's ReplaceFile is the engine's own.
// Code that needs the Win32 function after including this header calls ReplaceFileW by name.
#ifdef ReplaceFile
#undef ReplaceFile
#endif

std::wstring BackupPathOf(const std::wstring& path);
std::wstring NewFilePathOf(const std::wstring& path);

enum class ReplaceMode {
  Backup,   // rename path to its backup name, which must be free; stops the host's service and
            // retries once if the rename fails
  Delete,   // delete the file at path
  Restore,  // rename the backup to path in one step, replacing whatever is at path
};

bool ReplaceFile(const std::wstring& path, ReplaceMode mode);

// Gives the complete new file `from` the installed file's name `to` in one replacing rename, for
// an installed file that must not be moved aside because its backup already holds the intact copy.
// Stops the host's service and retries once if the rename fails; a file left in place gets its
// attributes back.
bool ReplaceInstalledFile(const std::wstring& from, const std::wstring& to);
