// Folders the wizard reads files from, each opened once and held until the process ends. The
// package folder belongs to the user while the wizard runs as administrator, and it may be
// reached through a link its owner can point elsewhere at any moment; so its name is resolved
// once, into a handle that cannot be renamed or deleted away (no delete sharing), and every file
// below it is opened relative to that handle, never by the folder's name again.
#pragma once

#include <windows.h>

#include <string>

struct HeldFolder {
  HANDLE handle = INVALID_HANDLE_VALUE;  // open for listing and traversing, no delete sharing
  std::wstring finalPath;                // as GetFinalPathNameByHandleW gave it once, "\\?\C:\..."
};

// The folder of that name, opened at the first call for it and held from then on; later calls
// with the same name answer the same folder, wherever the name leads by then. False with `why`
// saying what was wrong (missing, not a folder, its final path unknown).
bool HoldFolder(const std::wstring& folder, HeldFolder& out, std::wstring& why);

// Opens `relative` (a name, or names joined by backslashes) below the held folder through its
// handle (NtCreateFile with the folder as root), for reading with read sharing only, without
// following a reparse point at the last name; a folder opens too (for its facts to refuse). Null
// with `error` a Win32 error code on failure.
HANDLE OpenBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative, DWORD& error);

// Whether anything answers to `relative` below the held folder (opened for its attributes only,
// sharing everything, and closed at once); an answer other than "not found" counts as there.
bool ExistsBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative);

// The final path of an open handle, links followed, in the "\\?\C:\..." form; false when the
// system cannot tell.
bool FinalPathOf(HANDLE handle, std::wstring& out);
