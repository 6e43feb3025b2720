#include "engine/install_run.h"

#include <string>

#include "engine/dict_registration.h"
#include "engine/format/package_reader.h"
#include "engine/plan/install_plan.h"
#include "engine/replace_file.h"
#include "engine/target_file.h"

namespace {

enum class PathState { Missing, File, Folder };

// Attributes that cannot be read for any reason but absence count as a file: something may be
// there, and it must not be overwritten without a copy.
PathState InspectPath(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::Missing : PathState::File;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathState::Folder : PathState::File;
}

// Secures a fallback copy of whatever the entry is about to replace. False when the target would
// have to be overwritten with nothing to fall back on.
bool SecureFallback(const PackageEntry& entry, PathState target, EntryFootprint& footprint) {
  const bool replacing = target != PathState::Missing;
  // A new install into a free path has nothing to protect; an upgrade whose file has gone in the
  // meantime still adopts an earlier run's backup, as its success would remove that backup.
  if (!replacing && entry.action != EntryAction::Upgrade) return true;
  const DWORD attributes = GetFileAttributesW(entry.targetPath.c_str());
  if (replacing && ReplaceFile(entry.targetPath, ReplaceMode::Backup)) {
    footprint.backupMade = true;
    footprint.movedAttributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
    return true;
  }
  if (InspectPath(BackupPathOf(entry.targetPath)) == PathState::File) {
    footprint.earlierBackup = true;
    return true;
  }
  return !replacing;
}

// Streams the entry's data into the target, one progress step per chunk (also after a failed
// read, and once for an empty entry). True when every byte was read and written.
bool CopyEntryData(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader, TargetFile& target) {
  char buffer[kBlockBytes];
  int read = 0;
  bool written = true;
  do {
    uint32_t length = kBlockBytes;
    read = reader.ReadChunk(entry.index, buffer, length);
    if (read != -1) written = length <= kBlockBytes && target.Write(buffer, length);
    reporter.Step();
  } while (read == 1 && written);
  const bool closed = target.Close();
  return read != -1 && written && closed;
}

}  // namespace

bool InstallEntry(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                  EntryFootprint& footprint) {
  footprint = EntryFootprint{};
  reporter.ItemStarted(entry.title, entry.action);
  if (entry.targetPath.empty()) return false;

  const PathState target = InspectPath(entry.targetPath);
  if (target == PathState::Folder) return false;
  if (!SecureFallback(entry, target, footprint)) return false;
  if (!reader.SeekToEntry(entry.index)) return false;

  // Only an earlier backup leaves the old file in place to be rewritten; otherwise the path is
  // free (moved aside, or never there) and the new file must not truncate anything that appeared.
  const bool rewrite = footprint.earlierBackup && target == PathState::File;
  if (rewrite) MakeWritable(entry.targetPath);
  TargetFile file;
  if (!file.Open(entry.targetPath, rewrite ? TargetFile::Creation::Overwrite : TargetFile::Creation::NewOnly)) {
    return false;
  }
  footprint.targetWritten = true;
  if (!CopyEntryData(entry, reporter, reader, file)) return false;

  if (footprint.backupMade || footprint.earlierBackup) ReplaceFile(BackupPathOf(entry.targetPath), ReplaceMode::Delete);
  // The data are in place: registration and image are secondary and do not fail the entry.
  RegisterDictConfig(entry);
  CopyDictImage(entry.id);
  reporter.ItemSucceeded(entry.title, entry.action);
  return true;
}

bool RollBackEntry(InstallReporter& reporter, const PackageEntry& entry, const EntryFootprint& footprint) {
  bool restored = false;
  if (footprint.targetWritten) {
    // The file at the target is this entry's own partial copy.
    if (footprint.backupMade || footprint.earlierBackup) {
      restored = ReplaceFile(entry.targetPath, ReplaceMode::Restore);
    } else {
      ReplaceFile(entry.targetPath, ReplaceMode::Delete);
    }
  } else if (footprint.backupMade && InspectPath(entry.targetPath) == PathState::Missing) {
    // Moved aside but never replaced: move it back, unless something else took its place.
    restored = ReplaceFile(entry.targetPath, ReplaceMode::Restore);
  }
  // The backup lost its read-only attribute on the way out; the installed file gets it back.
  if (restored && footprint.backupMade && footprint.movedAttributes != 0) {
    SetFileAttributesW(entry.targetPath.c_str(), footprint.movedAttributes);
  }
  return reporter.ItemFailed(entry.title, entry.action);
}

bool InstallAll(std::vector<PackageFile>& files, InstallReporter& reporter) {
  reporter.RunStarted();
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    CPackageReader reader;
    if (!reader.Open(file.path.c_str())) {
      if (!reporter.ContainerFailed(file.path)) return false;
      continue;
    }
    for (const PackageEntry& entry : *file.entries) {
      if (entry.action == EntryAction::Skip) continue;
      EntryFootprint footprint;
      if (!InstallEntry(entry, reporter, reader, footprint) && !RollBackEntry(reporter, entry, footprint)) {
        reader.Close();
        return false;
      }
    }
    reader.Close();
  }
  reporter.RunFinished();
  return true;
}
