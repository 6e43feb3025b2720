// Whether a container entry's id and extension make a plain file name. The installer joins them
// into a path inside the host's folders and runs elevated, so anything that could leave that
// folder, name a device or be changed by Windows' name rules is refused.
#pragma once

#include <string>

#include "engine/package_format.h"

class CPackageReader;

// A non-empty file name without path separators, "..", ":", control characters or the other
// characters Windows forbids, without a trailing dot or space, and not a reserved device name
// (also not one followed by an extension, as "con.txt"); no square brackets either, since the id
// is also the name of the dictionary's section in the host's configuration.
bool IsPlainDictFileId(const std::wstring& id);

// A "." followed by a name part that passes the same rules, as ".dic".
bool IsPlainDictFileExt(const std::wstring& ext);

// Whether the installer takes one table record's names: its id and its extension both pass.
bool HasPlainFileNames(const PackageTableEntry& record);

// An entry whose names fail could name a file outside the host's dictionary data folder, and the
// wizard runs elevated: a container with one such entry is refused whole.
bool HasPlainFileNames(const CPackageReader& reader);
