#include "engine/replace_file.h"

#include "engine/process_control.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The rename never replaces an existing backup: one left by an earlier run may be the only intact
// copy of the installed file.
bool MoveAside(const std::wstring& path, const std::wstring& backup) {
  return MakeWritable(path) && MoveFileExW(path.c_str(), backup.c_str(), 0) != 0;
}

bool BackUp(const std::wstring& path) {
  const std::wstring backup = BackupPathOf(path);
  const DWORD original = GetFileAttributesW(path.c_str());
  if (MoveAside(path, backup)) return true;
  // Most often the host's service holds the file open; with it gone the rename may pass.
  if (StopDictService() && MoveAside(path, backup)) return true;
  // The file stays where it is: give it back the attributes it had.
  if (original != INVALID_FILE_ATTRIBUTES && Exists(path)) SetFileAttributesW(path.c_str(), original);
  return false;
}

bool Delete(const std::wstring& path) {
  MakeWritable(path);
  return DeleteFileW(path.c_str()) != 0;
}

bool Restore(const std::wstring& path) {
  const std::wstring backup = BackupPathOf(path);
  // Without a backup to put back, removing the file at path would leave neither copy.
  if (!Exists(backup)) return false;
  if (Exists(path)) Delete(path);
  if (Exists(path)) return false;
  MakeWritable(backup);
  return MoveFileExW(backup.c_str(), path.c_str(), 0) != 0;
}

}  // namespace

std::wstring BackupPathOf(const std::wstring& path) { return path + kBackupSuffix; }

bool MakeWritable(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  attributes = attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : attributes & ~FILE_ATTRIBUTE_READONLY;
  // Read-only alone leaves 0, which the file system takes as "no change": say normal instead.
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesW(path.c_str(), attributes) != 0;
}

bool ReplaceFile(const std::wstring& path, ReplaceMode mode) {
  if (path.empty()) return false;
  switch (mode) {
    case ReplaceMode::Backup:
      return BackUp(path);
    case ReplaceMode::Delete:
      return Delete(path);
    case ReplaceMode::Restore:
      return Restore(path);
  }
  return false;
}
