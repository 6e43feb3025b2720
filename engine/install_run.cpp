#include "engine/install_run.h"

#include <set>
#include <string>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/dict_registration.h"
#include "engine/file_steps.h"
#include "engine/folder_listing.h"
#include "engine/format/package_reader.h"
#include "engine/host_paths.h"
#include "engine/plan/install_plan.h"
#include "engine/replace_file.h"
#include "engine/target_file.h"

namespace {

enum class PathState {
  Missing,  // nothing answers to the name
  File,     // a regular file whose own (long) name is the one asked for
  Other,    // a folder, a file reached through another name, or a name that cannot be told
};

bool IsRegularFile(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix) {
  return text.size() > suffix.size() && LowerAsciiLetters(text.substr(text.size() - suffix.size())) == suffix;
}

// What answers to path. Only a regular file whose name as the folder lists it is `ownName`
// (letters A-Z compared without case, as the plan matched them) counts as File: the file system
// also resolves a short 8.3 alias or a name differing in other letters' case to some other file,
// which an entry must never move or replace. A lookup that fails for any reason but absence is
// Other: something may be there.
PathState InspectPath(const std::wstring& path, const std::wstring& ownName) {
  WIN32_FIND_DATAW data;
  HANDLE found = FindFirstFileW(path.c_str(), &data);
  if (found == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::Missing : PathState::Other;
  }
  FindClose(found);
  if (!IsRegularFile(data.dwFileAttributes)) return PathState::Other;
  return LowerAsciiLetters(data.cFileName) == LowerAsciiLetters(ownName) ? PathState::File : PathState::Other;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// Streams the entry's data into the new file and flushes it, one progress step per chunk (also
// after a failed read, and once for an empty entry). True when every byte is on the disk.
bool WriteNewFile(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader, TargetFile& file) {
  char buffer[kBlockBytes];
  int read = 0;
  bool written = true;
  do {
    uint32_t length = kBlockBytes;
    read = reader.ReadChunk(entry.index, buffer, length);
    if (read != -1) written = length <= kBlockBytes && file.Write(buffer, length);
    reporter.Step();
  } while (read == 1 && written);
  const bool flushed = read != -1 && written && file.Flush();
  const bool closed = file.Close();
  return flushed && closed;
}

// Clears the backup name for this entry's upgrade. A stale backup beside the complete installed
// file is deleted (the installed file is the intact copy); anything that is not positively a
// regular file there is left alone and fails the entry.
bool BackupNameFree(const std::wstring& target) {
  const std::wstring backup = BackupPathOf(target);
  switch (InspectPath(backup, FileNameOf(backup))) {
    case PathState::Missing:
      return true;
    case PathState::File:
      return ReplaceFile(backup, ReplaceMode::Delete);
    case PathState::Other:
      return false;
  }
  return false;
}

}  // namespace

void RepairInterruptedRun() {
  std::wstring dir;
  if (!GetDictDataDir(dir, false)) return;
  // Names with letters A-Z lowered, as the plan and InspectPath compare them: a name that differs
  // from a backup's own name in other letters is another dictionary's, not this backup's.
  std::set<std::wstring> names;
  std::vector<std::wstring> newFiles, backups;
  const std::wstring newSuffix = LowerAsciiLetters(kNewFileSuffix), backupSuffix = LowerAsciiLetters(kBackupSuffix);
  ListFolderFiles(dir + L"\\*", [&](const ListedFile& file) {
    names.insert(LowerAsciiLetters(file.name));
    if (!IsRegularFile(file.attributes)) return true;
    if (EndsWith(file.name, newSuffix)) newFiles.push_back(file.name);
    if (EndsWith(file.name, backupSuffix)) backups.push_back(file.name);
    return true;
  });
  // A new file that did not take its target's name is an unfinished copy.
  for (const std::wstring& name : newFiles) ReplaceFile(dir + L"\\" + name, ReplaceMode::Delete);
  for (const std::wstring& name : backups) {
    const std::wstring own = name.substr(0, name.size() - backupSuffix.size());
    if (names.count(LowerAsciiLetters(own)) != 0) {
      ReplaceFile(dir + L"\\" + name, ReplaceMode::Delete);
    } else {
      // The run ended between the two renames. The rename refuses a name taken meanwhile, or one
      // the file system resolves to another file; the backup then stays.
      MoveFileDurably(dir + L"\\" + name, dir + L"\\" + own);
    }
  }
}

bool InstallEntry(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                  EntryFootprint& footprint) {
  footprint = EntryFootprint{};
  reporter.ItemStarted(entry.title, entry.action);
  const std::wstring& target = entry.targetPath;
  if (target.empty()) {
    TraceDiagnostic(L"InstallEntry-1: no target: " + entry.id + entry.ext);
    return false;
  }

  // The entry only ever touches the file its own key names.
  const PathState state = InspectPath(target, entry.id + entry.ext);
  if (state == PathState::Other) {
    TraceDiagnostic(L"InstallEntry-2: target not its own file: " + target);
    return false;
  }
  const std::wstring newFile = NewFilePathOf(target);
  if (InspectPath(newFile, FileNameOf(newFile)) != PathState::Missing) {
    TraceDiagnostic(L"InstallEntry-3: new file name taken: " + newFile);
    return false;
  }
  if (!reader.SeekToEntry(entry.index)) {
    TraceDiagnostic(L"InstallEntry-4: seek entry fail: " + entry.id + entry.ext);
    return false;
  }

  TargetFile file;
  if (!file.Create(newFile)) {
    TraceDiagnostic(L"InstallEntry-5: create fail: " + newFile);
    return false;
  }
  footprint.newFileMade = true;
  if (!WriteNewFile(entry, reporter, reader, file)) {
    TraceDiagnostic(L"InstallEntry-6: write fail: " + newFile);
    return false;
  }

  // Registered before the data take their place: a run that ends after this point leaves the
  // dictionary registered, and one that ends before it plans the entry again.
  footprint.registered = SnapshotDictSection(entry.id, footprint.section);
  RegisterDictConfig(entry);
  CopyDictImage(entry.id);

  if (state == PathState::File) {
    // The new data are on the disk: only now is the installed file moved aside.
    if (!BackupNameFree(target)) {
      TraceDiagnostic(L"InstallEntry-7: backup name taken: " + BackupPathOf(target));
      return false;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!ReplaceFile(target, ReplaceMode::Backup)) {
      TraceDiagnostic(L"InstallEntry-8: move aside fail: " + target);
      return false;
    }
    footprint.movedAside = true;
    footprint.movedAttributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
  }
  if (!MoveFileDurably(newFile, target)) {
    TraceDiagnostic(L"InstallEntry-9: place fail: " + target);
    return false;
  }
  footprint.placed = true;
  // The new file is complete under its name: the old copy is no longer needed. A backup that
  // cannot be deleted now is deleted by the next run's repair.
  if (footprint.movedAside) ReplaceFile(BackupPathOf(target), ReplaceMode::Delete);
  reporter.ItemSucceeded(entry.title, entry.action);
  return true;
}

bool RollBackEntry(InstallReporter& reporter, const PackageEntry& entry, const EntryFootprint& footprint) {
  if (footprint.movedAside && !footprint.placed) {
    // One rename puts the old file back, whatever stands at the target's name.
    if (ReplaceFile(entry.targetPath, ReplaceMode::Restore) && footprint.movedAttributes != 0) {
      // The file lost its read-only attribute on the way out; it gets it back.
      SetFileAttributesAt(entry.targetPath, footprint.movedAttributes);
    }
  }
  if (footprint.newFileMade && !footprint.placed) ReplaceFile(NewFilePathOf(entry.targetPath), ReplaceMode::Delete);
  // The dictionary keeps the section it had; its image, secondary, stays the package's.
  if (footprint.registered && !footprint.placed) RestoreDictSection(footprint.section);
  return reporter.ItemFailed(entry.title, entry.action);
}

bool InstallAll(std::vector<PackageFile>& files, InstallReporter& reporter) {
  reporter.RunStarted();
  RepairInterruptedRun();
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    CPackageReader reader;
    if (!reader.Open(file.path.c_str())) {
      TraceDiagnostic(L"InstallAll-1: open package fail: " + file.path);
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
