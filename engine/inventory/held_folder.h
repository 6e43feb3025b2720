// Folders the wizard reads files from, each opened once and held until the process ends. The
// package folder is the user's, maybe reached through a link its owner can repoint at any moment,
// while the wizard runs as administrator: its name is resolved once, into a handle no one can
// rename or delete away, and every file below is opened relative to that handle, never by name.
#pragma once

#include <windows.h>

#include <string>

struct HeldFolder {
  HANDLE handle = INVALID_HANDLE_VALUE;  // open for listing and traversing, no delete sharing
  std::wstring finalPath;                // as GetFinalPathNameByHandleW gave it once, "\\?\C:\..."
};

// The folder of that name, opened at the first call and held: later calls answer the same
// folder, wherever the name leads by then. False with `why` (missing, not a folder, no final path).
bool HoldFolder(const std::wstring& folder, HeldFolder& out, std::wstring& why);

// Opens `relative` (names joined by backslashes) below the held folder through its handle
// (NtCreateFile with it as root), for reading with read sharing only, not following a reparse
// point at the last name; a folder opens too, for its facts to refuse. Null with `error` on failure.
HANDLE OpenBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative, DWORD& error);

// Whether anything answers to `relative` below the held folder (opened for attributes, sharing
// all, closed at once); any answer but "not found" counts as there.
bool ExistsBelowHeldFolder(const HeldFolder& folder, const std::wstring& relative);

// The final path of an open handle, links followed, as "\\?\C:\..."; false when the system cannot tell.
bool FinalPathOf(HANDLE handle, std::wstring& out);
