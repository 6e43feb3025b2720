#include "engine/replace_file.h"

#include "engine/file_steps.h"
#include "engine/process_control.h"

namespace {

// The rename never replaces a file at the backup name: one left by an earlier run may be the
// only intact copy of a dictionary.
bool MoveAside(const std::wstring& path, const std::wstring& backup) {
  return MakeWritable(path) && MoveFileDurably(path, backup);
}

bool BackUp(const std::wstring& path) {
  const std::wstring backup = BackupPathOf(path);
  const DWORD original = GetFileAttributesW(path.c_str());
  if (MoveAside(path, backup)) return true;
  // Most often the host's service holds the file open; with it gone the rename may pass.
  if (StopDictService() && MoveAside(path, backup)) return true;
  // The file stays where it is: give it back the attributes it had.
  if (original != INVALID_FILE_ATTRIBUTES && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesAt(path, original);
  }
  return false;
}

bool ReplaceWritable(const std::wstring& from, const std::wstring& to) {
  return MakeWritable(to) && ReplaceFileDurably(from, to);
}

}  // namespace

bool ReplaceInstalledFile(const std::wstring& from, const std::wstring& to) {
  const DWORD original = GetFileAttributesW(to.c_str());
  if (ReplaceWritable(from, to)) return true;
  if (StopDictService() && ReplaceWritable(from, to)) return true;
  if (original != INVALID_FILE_ATTRIBUTES) SetFileAttributesAt(to, original);
  return false;
}

std::wstring BackupPathOf(const std::wstring& path) { return path + kBackupSuffix; }
std::wstring NewFilePathOf(const std::wstring& path) { return path + kNewFileSuffix; }

bool ReplaceFile(const std::wstring& path, ReplaceMode mode) {
  if (path.empty()) return false;
  switch (mode) {
    case ReplaceMode::Backup:
      return BackUp(path);
    case ReplaceMode::Delete:
      return DeleteFileAtPath(path);
    case ReplaceMode::Restore:
      // One rename: at no moment is the dictionary under neither name.
      return MakeWritable(BackupPathOf(path)) && ReplaceFileDurably(BackupPathOf(path), path);
  }
  return false;
}
