// Every step of the installation run and of its repair that touches a host's file, one function
// each, reported to a test's observer just before it is made (testing_seams.h). An upgrade writes
// the new file (target path + kNewFileSuffix) first, and it takes the installed file's name only
// once complete and flushed; the installed file waits under its backup name (path +
// kBackupSuffix) until then. Both suffixes are reserved (entry_name.h): no entry installs under them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/format/entry_name.h"

enum class FileStep;

void NoteFileStep(FileStep step, const std::wstring& path, const std::wstring& other = std::wstring());

// How many write requests target files of this process have made to the system so far.
uint64_t FileWriteCalls();

// The new file an entry's data or an image are written to, beside its target. Every write, the
// flush and the close are checked: a full disk fails the entry rather than leave a short file.
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

// Creates an empty file, opened exclusively and closed at once; fails, keeping it, when a file is there.
bool CreateEmptyFile(const std::wstring& path);

// Renames the installed file at path, made writable, to its backup name, never replacing a file
// there: one an earlier run left may be the only intact copy. Stops the host's service and retries
// once if the rename fails; a file left in place gets its attributes back.
bool MoveAside(const std::wstring& path);

// Renames path's backup, made writable, to path in one replacing step: the dictionary is never under neither name.
bool PutBack(const std::wstring& path);

// Gives the complete file `from` the name `path`, which must be free.
bool Place(const std::wstring& from, const std::wstring& path);

// Gives the complete file `from` the name `path` in one replacing rename, a file there made writable first.
bool PlaceOver(const std::wstring& from, const std::wstring& path);

// Gives the complete new file `from` the installed file's name `path` in one replacing rename, when
// its backup holds the intact copy; stops the service and retries once, as MoveAside does.
bool PlaceOverInstalled(const std::wstring& from, const std::wstring& path);

// Deletes the file, its read-only attribute dropped first.
bool DeleteFileAtPath(const std::wstring& path);

bool SetFileAttributesAt(const std::wstring& path, DWORD attributes);

// Drops the read-only attribute so that the file can be renamed, rewritten or deleted (the normal
// attribute when its attributes cannot be read).
bool MakeWritable(const std::wstring& path);
