// The files a package's seal lists: every regular file below the package folder but the seal
// (package.sha256) and its signature (package.sha256.p7s) at the top, found by the walk of
// folder_tree.h. What the seal cannot list is refused, never skipped: a link, a device or pipe,
// a folder that cannot be read, a name the seal's line rules refuse (engine/format/seal_list.h)
// and two names that differ only in letter case, which Windows takes for one file. dirpack seal
// refuses to write a seal then; dirpack check reports each one.
#pragma once

#include <string>
#include <vector>

#include "engine/format/sha256.h"

struct SealedFile {
  std::string path;       // as the seal lists it
  std::wstring fullPath;  // for opening it
};

// A file the seal cannot list, and why: "FILE: what is wrong — what to do" in two parts.
struct UnlistableFile {
  std::string file;  // relative to the folder, printable
  std::string path;  // as a seal would list it; empty when the name is no UTF-8 text
  std::string message;
};

struct SealedFolder {
  std::vector<SealedFile> files;  // sorted by the bytes of their paths
  std::vector<UnlistableFile> unlistable;
};

// False when the folder itself cannot be listed.
bool CollectSealedFiles(const std::wstring& folder, SealedFolder& sealed);

// Whether a name at the top of the folder is the seal's or its signature's, letter case aside.
bool IsSealFileName(const std::string& path);

// The SHA-256 of the file's bytes, read in pieces; false when it cannot be read or hashed.
bool DigestOfFile(const std::wstring& path, Sha256Digest& digest);

// A path for a message: control characters escaped (as DisplayUnits does).
std::string DisplayPath(const std::string& utf8);
