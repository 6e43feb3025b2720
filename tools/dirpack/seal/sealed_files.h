// The files a package's seal lists: every regular file below the folder (folder_tree.h) but the
// seal and its signature at the top. What the seal cannot list (folder_tree.h's kinds, a name
// seal_list.h refuses, two names alike but for letter case) is refused, never skipped.
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
