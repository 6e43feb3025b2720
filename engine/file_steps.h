// The file-system steps of the installation run, one function each, so that every step that
// touches a user's file is made in one place: moves, deletions and attribute changes of the host's
// dictionary files. Each is reported to a test's observer first (testing_seams.h).
#pragma once

#include <windows.h>

#include <string>

enum class FileStep;

// Tells a test's observer, if any, that a step is about to be made.
void NoteFileStep(FileStep step, const std::wstring& path, const std::wstring& other = std::wstring());

// Renames from to to, which must be free. The rename is on disk when this returns.
bool MoveFileDurably(const std::wstring& from, const std::wstring& to);

// Renames from to to in one step, replacing a file at to. The rename is on disk when this returns.
bool ReplaceFileDurably(const std::wstring& from, const std::wstring& to);

// Deletes the file, its read-only attribute dropped first.
bool DeleteFileAtPath(const std::wstring& path);

// Sets the file's attributes.
bool SetFileAttributesAt(const std::wstring& path, DWORD attributes);

// Drops the read-only attribute so that the file can be renamed, rewritten or deleted; a file
// whose attributes cannot be read gets the normal attribute.
bool MakeWritable(const std::wstring& path);
