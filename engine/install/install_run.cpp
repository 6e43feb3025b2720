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

// The new file is written this many bytes at a time: the entry's chunks are gathered and written
// together, so that a large dictionary costs few write requests.
constexpr uint32_t kWriteBatchBytes = 64 * 1024;
constexpr uint32_t kChunksPerBatch = kWriteBatchBytes / kBlockBytes;

// Streams the entry's data into the new file and flushes it. The reader gives the data a block
// (2,048 bytes) at a time, and each block is one progress step, sent once the block is written; a
// failed read or write costs one step more and ends the entry, as does a block a failed write
// left unwritten. An empty entry is one step. True when every byte is on the disk.
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

// An image waits under its new-file name (<id>.bmp + kNewFileSuffix) from its copy until its
// dictionary's data have taken their place. A complete one with nothing under its own name takes
// that name; any other is an unfinished copy or stands beside the image there, and goes.
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
  // Each step below is one rename or one delete of one file, so a repair cut off anywhere leaves
  // what the next one finds and finishes.
  RepairImageFolder();

  std::wstring dir;
  if (!GetDictDataDir(dir, false)) return;
  // Names with letters A-Z lowered, as the plan and InspectPath compare them: a name that differs
  // from a backup's own name in other letters is another dictionary's, not this backup's.
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
  const PathState state = InspectPath(target, EntryFileKey(entry.id, entry.ext));
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
  // dictionary registered, and one that ends before it plans the entry again. The image waits
  // beside its place until the data have taken theirs, so a failed entry leaves no image behind.
  // One read of the section, which is also what a rollback puts back, and one write of it.
  const bool registered = RegisterDictConfig(entry, &footprint.section);
  footprint.registered = !footprint.section.id.empty();
  // An entry without a description has nothing but its id to register; only a write that did not
  // go through (the host's file held by another program, say) leaves the host not knowing it.
  if (!registered && !entry.id.empty() && entry.description) {
    TraceDiagnostic(L"InstallEntry-10: registration fail: " + entry.id);
    footprint.registrationFailed = true;
  }
  footprint.imagePrepared = PrepareDictImage(entry, footprint.preparedImage);
  if (entry.image && !footprint.imagePrepared) {
    TraceDiagnostic(L"InstallEntry-11: image copy fail: " + entry.id);
    footprint.imageFailed = true;
  }

  // A backup an interrupted run left beside the target holds the intact copy; the file under the
  // target's name may be cut off. It stays until the complete new file has that name.
  const std::wstring backup = BackupPathOf(target);
  const PathState backupState = InspectPath(backup, FileNameOf(backup));
  if (state == PathState::File && backupState == PathState::Other) {
    TraceDiagnostic(L"InstallEntry-7: backup name taken: " + backup);
    return false;
  }
  if (state == PathState::File && backupState == PathState::Missing) {
    // The new data are on the disk: only now is the installed file moved aside.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!MoveAside(target)) {
      TraceDiagnostic(L"InstallEntry-8: move aside fail: " + target);
      return false;
    }
    footprint.movedAside = true;
    footprint.movedAttributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
  }
  const bool placed =
      state == PathState::File && !footprint.movedAside ? PlaceOverInstalled(newFile, target) : Place(newFile, target);
  if (!placed) {
    TraceDiagnostic(L"InstallEntry-9: place fail: " + target);
    return false;
  }
  footprint.placed = true;
  if (footprint.imagePrepared && !PlaceDictImage(footprint.preparedImage)) {
    TraceDiagnostic(L"InstallEntry-12: image place fail: " + entry.id);
    footprint.imageFailed = true;
  }
  // The new file is complete under its name: the old copy is no longer needed. A backup that
  // cannot be deleted now stays beside the new file, which the next start-up check then upgrades
  // again rather than trust.
  if (backupState == PathState::File || footprint.movedAside) DeleteFileAtPath(backup);
  reporter.ItemSucceeded(entry.title, entry.action);
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
