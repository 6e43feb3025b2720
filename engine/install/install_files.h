// The file steps of the installation run and of its repair of an interrupted run, one function
// each, so that every step that touches a host's file is made in one place: the new file written
// beside its target, the installed file moved aside and put back, the new file placed, deletions
// and attribute changes. Each step is reported to a test's observer just before it is made
// (testing_seams.h).
//
// An upgrade writes the new data to the new file first (the target's path followed by
// kNewFileSuffix), and they take the installed file's name only once complete and flushed; the
// installed file waits under its backup name (its path followed by kBackupSuffix) until then. Both
// suffixes are reserved, and their names built and told, in entry_name.h: no package entry can
// install a file under them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/format/entry_name.h"

enum class FileStep;

// Tells a test's observer, if any, that a step is about to be made.
void NoteFileStep(FileStep step, const std::wstring& path, const std::wstring& other = std::wstring());

// How many write requests target files of this process have made to the system so far.
uint64_t FileWriteCalls();

// The new file an entry's data or an image are written to, beside its target. Every write, the
// flush and the close are checked, so that a full disk or a failing device fails the entry
// instead of leaving a short file to be counted as installed.
class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Creates the file for writing raw bytes; fails when a file is there already.
  bool Create(const std::wstring& path);
  // True only when every byte was written; `written` is how many were, also on failure.
  bool Write(const void* data, uint32_t length, uint32_t& written);
  // Has the system write the file's data to the disk; true once they are there.
  bool Flush();
  // True when an open file was closed cleanly. The handle is released either way.
  bool Close();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

// Creates an empty file (zero bytes), opened exclusively for reading and writing and closed at
// once; fails when a file is there already, which is kept as it is.
bool CreateEmptyFile(const std::wstring& path);

// Renames the installed file at path to its backup name, made writable first. The rename never
// replaces a file at the backup name: one left by an earlier run may be the only intact copy of a
// dictionary. Stops the host's service and retries once if the rename fails; a file left in place
// gets its attributes back.
bool MoveAside(const std::wstring& path);

// Renames path's backup, made writable first, to path in one step, replacing whatever is there:
// at no moment is the dictionary under neither name.
bool PutBack(const std::wstring& path);

// Gives the complete file `from` the name `path`, which must be free.
bool Place(const std::wstring& from, const std::wstring& path);

// Gives the complete file `from` the name of the file at `path` in one replacing rename, a file
// there made writable first.
bool PlaceOver(const std::wstring& from, const std::wstring& path);

// Gives the complete new file `from` the name of the installed file `path` in one replacing
// rename, for an installed file that must not be moved aside because its backup already holds
// the intact copy. Stops the host's service and retries once if the rename fails; a file left in
// place gets its attributes back.
bool PlaceOverInstalled(const std::wstring& from, const std::wstring& path);

// Deletes the file, its read-only attribute dropped first.
bool DeleteFileAtPath(const std::wstring& path);

// Sets the file's attributes.
bool SetFileAttributesAt(const std::wstring& path, DWORD attributes);

// Drops the read-only attribute so that the file can be renamed, rewritten or deleted; a file
// whose attributes cannot be read gets the normal attribute.
bool MakeWritable(const std::wstring& path);
