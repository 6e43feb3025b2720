// A copy of a held file, in a folder of its own only administrators and SYSTEM can write, for a
// library the elevated wizard loads: a name in the user's folder can be made to lead elsewhere
// between a check and the load, the copy's cannot, so the file loaded is the file checked.
#pragma once

#include <windows.h>

#include <string>

#include "engine/format/byte_file.h"

struct PrivateCopy {
  std::wstring folder;                         // the new folder, in full
  std::wstring path;                           // the copy in it
  HANDLE folderHandle = INVALID_HANDLE_VALUE;  // held without delete sharing: it cannot be renamed
  HANDLE fileHandle = INVALID_HANDLE_VALUE;    // the copy, read-only with read sharing only
};

// The security of the folder: only administrators and SYSTEM, nothing inherited from above.
constexpr wchar_t kPrivateFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// How the folders are named: this, the process id, a dash, a number ("pakorra-1234-1").
constexpr wchar_t kPrivateFolderPrefix[] = L"pakorra-";

// Where the folders are made: the Windows folder's Temp ("C:\Windows\Temp"). False when unknown.
bool PrivateCopyParent(std::wstring& out);

// Makes a new folder (never one that exists) under PrivateCopyParent with kPrivateFolderSddl,
// holds it, writes `source` into it as the new file `fileName`, flushed, and opens that again,
// checked as a pinned file is. False with `why` on failure, all made removed, out untouched.
bool MakePrivateCopy(ByteSource& source, const std::wstring& fileName, PrivateCopy& out, std::wstring& why);

// Closes the copy's handles and deletes it and its folder, or at restart what is in use. A dead
// run's copy stays, harmless: only administrators can change it, and every run makes its own.
void RemovePrivateCopy(PrivateCopy& copy);
