#include "engine/install/install_run.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/folder_listing.h"
#include "engine/format/bitmap_header.h"
#include "engine/format/byte_file.h"
#include "engine/format/package_layout.h"
#include "engine/format/package_reader.h"
#include "engine/host_paths.h"
#include "engine/install/dict_registration.h"
#include "engine/install/install_files.h"
#include "engine/plan/install_plan.h"

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

// What answers to path. Only a regular file listed as `ownName` (letters A-Z compared without
// case, as the plan matched them) is File: a short 8.3 alias or a name differing in other letters'
// case may resolve to another file, which an entry must never move or replace. A lookup failing
// for any reason but absence is Other: something may be there.
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

// The entry's chunks are gathered and written this many bytes at a time: few write requests.
constexpr uint32_t kWriteBatchBytes = 64 * 1024;
constexpr uint32_t kChunksPerBatch = kWriteBatchBytes / kBlockBytes;

// Streams the entry's data into the new file and flushes it, reporting steps as InstallReporter::Step
// says (a failed write counts the block it cut short). True when every byte is on the disk.
bool WriteNewFile(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader, TargetFile& file) {
  std::vector<char> batch(kWriteBatchBytes);
  int read = 1;
  bool written = true;
  while (read == 1 && written) {
    uint32_t filled = 0, chunks = 0;
    while (read == 1 && chunks < kChunksPerBatch) {
      uint32_t length = kBlockBytes;
      read = reader.ReadChunk(entry.index, batch.data() + filled, length);
      if (read == -1) break;
      filled += std::min(length, kBlockBytes);
      ++chunks;
    }
    uint32_t wrote = filled;
    written = filled == 0 || file.Write(batch.data(), filled, wrote);
    // The blocks on the disk, and the one a failed write cut short.
    const uint32_t steps = written ? chunks : std::min(chunks, wrote / kBlockBytes + 1);
    for (uint32_t i = 0; i < steps; ++i) reporter.Step();
    if (read == -1 && written) reporter.Step();
  }
  const bool flushed = read != -1 && written && file.Flush();
  const bool closed = file.Close();
  return flushed && closed;
}

// Whether the file at path is an image as the run copies one: a complete BMP.
bool IsCompleteBitmap(const std::wstring& path) {
  const std::unique_ptr<ByteSource> source = OpenByteFile(path.c_str());
  return source && IsCopiedBitmap(*source);
}

void RepairImageFolder() {
  std::wstring imageDir;
  if (!GetHostImagePath(L"", imageDir)) return;
  std::vector<std::wstring> waiting;
  ListFolderFiles(imageDir + L"*" + kNewFileSuffix, [&](const ListedFile& file) {
    if (IsRegularFile(file.attributes) && IsNewFileName(file.name)) waiting.push_back(file.name);
    return true;
  });
  const std::wstring imageExtension = LowerAsciiLetters(kDictImageExtension);
  for (const std::wstring& name : waiting) {
    const std::wstring path = imageDir + name, own = OwnNameOf(name);
    // The rename never replaces an image that appeared since the look.
    if (EndsWith(own, imageExtension) && InspectPath(imageDir + own, own) == PathState::Missing &&
        IsCompleteBitmap(path) && Place(path, imageDir + own)) {
      TraceDiagnostic(L"RepairInterruptedRun-4: image placed: " + own);
      continue;
    }
    if (DeleteFileAtPath(path)) TraceDiagnostic(L"RepairInterruptedRun-5: image copy deleted: " + name);
  }
}

}  // namespace

void RepairInterruptedRun() {
  RepairImageFolder();

  std::wstring dir;
  if (!GetDictDataDir(dir, false)) return;
  // Names with A-Z lowered, as the plan and InspectPath compare them: one differing from a
  // backup's own name in other letters is another dictionary's.
  std::set<std::wstring> names;
  std::vector<std::wstring> newFiles, backups;
  ListFolderFiles(dir + L"\\*", [&](const ListedFile& file) {
    names.insert(LowerAsciiLetters(file.name));
    if (!IsRegularFile(file.attributes)) return true;
    if (IsNewFileName(file.name)) newFiles.push_back(file.name);
    if (IsBackupName(file.name)) backups.push_back(file.name);
    return true;
  });
  // A new file that did not take its target's name is an unfinished copy.
  for (const std::wstring& name : newFiles) {
    if (DeleteFileAtPath(dir + L"\\" + name)) {
      TraceDiagnostic(L"RepairInterruptedRun-1: unfinished copy deleted: " + name);
    }
  }
  for (const std::wstring& name : backups) {
    const std::wstring own = OwnNameOf(name);
    // A backup is never deleted here: beside a file of its own name it may be the only intact
    // copy (an earlier release wrote upgrades in place after moving the old file aside), and only
    // an upgrade that puts a complete new file under that name lets it go.
    if (names.count(LowerAsciiLetters(own)) != 0) continue;
    // The run ended between the two renames. The rename refuses a name taken meanwhile, or one
    // the file system resolves to another file; the backup then stays.
    if (Place(dir + L"\\" + name, dir + L"\\" + own)) {
      TraceDiagnostic(L"RepairInterruptedRun-2: put back under its own name: " + own);
    } else {
      TraceDiagnostic(L"RepairInterruptedRun-3: backup left as it is: " + name);
    }
  }
}

namespace {

// An entry is installed in the four steps below, so that each dictionary it touches exists
// complete at every instant, old or new, under its own name, or (only between the two renames of
// an upgrade) under its backup name with nothing under its own name: a kill or a power cut at any
// point leaves one of them, and the next run's RepairInterruptedRun finishes what it finds. Each
// step says what is on disk if the process dies inside it.

// Traces why the entry failed; false, the entry's answer.
bool EntryFails(const std::wstring& why) {
  TraceDiagnostic(why);
  return false;
}

// Step 1, write the new file: once the names the entry will use are its own or free, its data go
// to the new file beside the target (NewFilePathOf), flushed to the disk. Nothing else is touched:
// a process that dies here leaves the installed dictionary, if any, as it was, with at most a
// partial new file beside it, which the next repair deletes; the next start-up check plans the
// entry again. `state` receives what answers to the target's name.
bool WriteBeside(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                 EntryFootprint& footprint, PathState& state) {
  const std::wstring& target = entry.targetPath;
  if (target.empty()) return EntryFails(L"InstallEntry-1: no target: " + entry.id + entry.ext);
  // The entry only ever touches the file its own key names.
  state = InspectPath(target, EntryFileKey(entry.id, entry.ext));
  if (state == PathState::Other) return EntryFails(L"InstallEntry-2: target not its own file: " + target);
  const std::wstring newFile = NewFilePathOf(target);
  if (InspectPath(newFile, FileNameOf(newFile)) != PathState::Missing) {
    return EntryFails(L"InstallEntry-3: new file name taken: " + newFile);
  }
  if (!reader.SeekToEntry(entry.index)) return EntryFails(L"InstallEntry-4: seek entry fail: " + entry.id + entry.ext);
  TargetFile file;
  if (!file.Create(newFile)) return EntryFails(L"InstallEntry-5: create fail: " + newFile);
  footprint.newFileMade = true;
  if (!WriteNewFile(entry, reporter, reader, file)) return EntryFails(L"InstallEntry-6: write fail: " + newFile);
  return true;
}

// Step 2, register beside it: the dictionary is registered before its data take their place, so
// that a run that ends after this point leaves it registered, and one that ends before it plans
// the entry again; one read of the section, which is also what a rollback puts back, and one
// write of it. Its image is copied beside its place (its name followed by kNewFileSuffix) and
// waits there until the data have taken theirs, so a failed entry leaves no image behind. A
// process that dies here leaves the installed dictionary as it was with the complete new file
// beside it (the next repair deletes that), the section as it was or as written, and at most the
// image's copy, whole or cut off, which the next repair places when whole with nothing under its
// own name and deletes otherwise.
void RegisterBeside(const PackageEntry& entry, EntryFootprint& footprint) {
  const bool registered = RegisterDictConfig(entry, &footprint.section);
  footprint.registered = !footprint.section.id.empty();
  // An entry without a description has nothing but its id to register; only a write that did not
  // go through (the host's file held by another program, say) leaves the host not knowing it.
  if (!registered && !entry.id.empty() && entry.description) {
    TraceDiagnostic(L"InstallEntry-7: registration fail: " + entry.id);
    footprint.registrationFailed = true;
  }
  footprint.imagePrepared = PrepareDictImage(entry, footprint.preparedImage);
  if (entry.image && !footprint.imagePrepared) {
    TraceDiagnostic(L"InstallEntry-8: image copy fail: " + entry.id);
    footprint.imageFailed = true;
  }
}

// Step 3, swap it in: only now that the new data are on the disk is the installed file moved
// aside to its backup name; the new file takes the target's name, and the image its own. A backup
// an interrupted run left beside the target holds the intact copy, and the file under the
// target's name may be cut off: the new file then replaces that file in one rename, and the backup
// stays until the complete new file has the name. A process that dies here leaves, before the
// first rename, what step 2 left; between the two renames, the old copy under its backup name
// with nothing under its own, which the next repair puts back; after the place, the new
// dictionary under its name with the old copy beside it, and its image in place or waiting beside
// it. `backupState` receives what answered to the backup's name.
bool SwapIn(const PackageEntry& entry, EntryFootprint& footprint, PathState state, PathState& backupState) {
  const std::wstring& target = entry.targetPath;
  const std::wstring backup = BackupPathOf(target), newFile = NewFilePathOf(target);
  backupState = InspectPath(backup, FileNameOf(backup));
  const bool installed = state == PathState::File;
  if (installed && backupState == PathState::Other) return EntryFails(L"InstallEntry-9: backup name taken: " + backup);
  if (installed && backupState == PathState::Missing) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!MoveAside(target)) return EntryFails(L"InstallEntry-10: move aside fail: " + target);
    footprint.movedAside = true;
    footprint.movedAttributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
  }
  const bool placed = installed && !footprint.movedAside ? PlaceOverInstalled(newFile, target) : Place(newFile, target);
  if (!placed) return EntryFails(L"InstallEntry-11: place fail: " + target);
  footprint.placed = true;
  if (footprint.imagePrepared && !PlaceDictImage(footprint.preparedImage)) {
    TraceDiagnostic(L"InstallEntry-12: image place fail: " + entry.id);
    footprint.imageFailed = true;
  }
  return true;
}

// Step 4, drop the old copy: the new file is complete under its name, so the backup, moved aside
// in step 3 or left by an interrupted run, is no longer needed; then the entry reports its
// success. A process that dies here, like a backup that cannot be deleted, leaves the backup
// beside the new file, which the next start-up check then upgrades again rather than trust.
void DropOldCopy(const PackageEntry& entry, InstallReporter& reporter, const EntryFootprint& footprint,
                 PathState backupState) {
  if (backupState == PathState::File || footprint.movedAside) DeleteFileAtPath(BackupPathOf(entry.targetPath));
  reporter.ItemSucceeded(entry.title, entry.action);
}

}  // namespace

bool InstallEntry(const PackageEntry& entry, InstallReporter& reporter, CPackageReader& reader,
                  EntryFootprint& footprint) {
  footprint = EntryFootprint{};
  reporter.ItemStarted(entry.title, entry.action);
  PathState state = PathState::Missing, backupState = PathState::Missing;
  if (!WriteBeside(entry, reporter, reader, footprint, state)) return false;
  RegisterBeside(entry, footprint);
  if (!SwapIn(entry, footprint, state, backupState)) return false;
  DropOldCopy(entry, reporter, footprint, backupState);
  return true;
}

bool RollBackEntry(InstallReporter& reporter, const PackageEntry& entry, const EntryFootprint& footprint) {
  if (footprint.movedAside && !footprint.placed) {
    // One rename puts the old file back, whatever stands at the target's name.
    if (PutBack(entry.targetPath) && footprint.movedAttributes != 0) {
      // The file lost its read-only attribute on the way out; it gets it back.
      SetFileAttributesAt(entry.targetPath, footprint.movedAttributes);
    }
  }
  if (footprint.newFileMade && !footprint.placed) DeleteFileAtPath(NewFilePathOf(entry.targetPath));
  if (footprint.imagePrepared && !footprint.placed) DeleteFileAtPath(footprint.preparedImage);
  // The dictionary keeps the section it had.
  if (footprint.registered && !footprint.placed) RestoreDictSection(footprint.section);
  return reporter.ItemFailed(entry.title, entry.action);
}

bool InstallAll(std::vector<PackageFile>& files, InstallReporter& reporter) {
  unsigned unregistered = 0;
  reporter.RunStarted();
  RepairInterruptedRun();
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    CPackageReader reader;
    // The container as the start-up check held and read it; it is never opened again by name.
    if (!reader.OpenSource(file.data)) {
      TraceDiagnostic(L"InstallAll-1: open package fail: " + file.path);
      if (!reporter.ContainerFailed(file.path)) return false;
      continue;
    }
    for (const PackageEntry& entry : *file.entries) {
      if (!IsPlanned(entry)) continue;
      EntryFootprint footprint;
      if (InstallEntry(entry, reporter, reader, footprint)) {
        // The host does not fully know a dictionary whose section or image was not written.
        if (footprint.registrationFailed || footprint.imageFailed) ++unregistered;
      } else if (!RollBackEntry(reporter, entry, footprint)) {
        reader.Close();
        return false;
      }
    }
    reader.Close();
  }
  reporter.RunFinished(unregistered);
  return true;
}
