// Whether a container entry's id and extension make a plain file name. The installer joins them
// into a path inside the host's folders and runs elevated, so anything that could leave that
// folder, name a device or be changed by Windows' name rules is refused.
#pragma once

#include <string>

#include "engine/format/package_format.h"

class CPackageReader;

// Maps A-Z to a-z and keeps every other character (not the locale-dependent towlower): the one
// case fold of the wizard and dirpack for installed names and ids, command-line switches and
// manifest keys. (Profile file names compare as the profile functions do: profile_text.h.)
std::wstring LowerAsciiLetters(const std::wstring& text);
// The same for UTF-8 text, whose bytes of other characters never fall in A-Z.
std::string LowerAsciiLetters(const std::string& text);

// The key of the file an entry installs: id and extension joined, letters A-Z lowered. Two
// entries install one file, or an entry replaces an installed one, exactly when the keys are equal.
std::wstring EntryFileKey(const std::wstring& id, const std::wstring& ext);
std::wstring EntryFileKey(const PackageTableEntry& record);

// Suffixes the installation run reserves beside an installed file: its backup during an upgrade
// and the new copy before it takes the file's name. No entry may produce a file name ending in one.
constexpr const wchar_t* kBackupSuffix = L"._zev_av_";
constexpr const wchar_t* kNewFileSuffix = L"._zev_nw_";

// Where the backup and the new copy of the file at path go (for a bare file name, their names).
std::wstring BackupPathOf(const std::wstring& path);
std::wstring NewFilePathOf(const std::wstring& path);
// Whether a file name or path is a backup's or a new copy's: something followed by the suffix,
// letters A-Z compared without case, as a folder listing may give any case.
bool IsBackupName(const std::wstring& name);
bool IsNewFileName(const std::wstring& name);
// The name or path a backup or a new copy stands beside: name without its reserved suffix, the
// case of the rest kept; name itself when it ends in neither.
std::wstring OwnNameOf(const std::wstring& name);

// A non-empty file name without path separators, "..", ":", control or other characters Windows
// forbids, a trailing dot or space, and not a device name (even with an extension, as "con.txt").
// As the id also names a section in the host's configuration: no square brackets, no white space
// at either end (Unicode's, U+3000 and U+00A0 included), nothing the ANSI code page cannot hold.
// Only dirpack uses this and the next; the wizard never calls them.
bool IsPlainDictFileId(const std::wstring& id);

// A "." and a name part that passes the same rules, as ".dic", not ending in a reserved suffix.
bool IsPlainDictFileExt(const std::wstring& ext);

// The extensions the installer writes: dictionaries only. Any other (".exe", ".dll") would put a
// program into the host's folder, where the host or Windows may load or run it.
constexpr const wchar_t* kDictFileExtensions[] = {L".dic", L".dip"};

// Whether ext is one of kDictFileExtensions, letters A-Z compared without case.
bool IsDictFileExt(const std::wstring& ext);

// Whether the installer takes a table record's names: both pass, and the extension is a dictionary's.
bool HasPlainFileNames(const PackageTableEntry& record);

// An entry whose names fail could name a file outside the host's dictionary data folder, and the
// wizard runs elevated: a container with one such entry is refused whole.
bool HasPlainFileNames(const CPackageReader& reader);
