// A package's seal: package.sha256 beside the wizard lists the SHA-256 of every file of the package
// folder as sha256sum writes them, and package.sha256.p7s, a detached CMS signature of its bytes,
// is the publisher's word for it. Portable: the wizard checks it, dirpack writes and checks it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/format/sha256.h"

constexpr wchar_t kSealFileName[] = L"package.sha256";
constexpr wchar_t kSealSignatureFileName[] = L"package.sha256.p7s";

// One line: the file's path in the package folder, UTF-8 with '/' between folders, and its digest.
struct SealLine {
  std::string path;
  Sha256Digest digest = {};
};

// Why the seal's lines are refused.
enum class SealProblem {
  None,
  Malformed,     // not 64 hexadecimal digits, two spaces (or a space and '*') and a path; a BOM
  AbsolutePath,  // starts with '/', or names a drive or a stream (':')
  ParentFolder,  // a "..", "." or empty folder name
  Backslash,     // '\' anywhere (sha256sum's escaped names start with one too)
  ListedTwice,   // the same path as an earlier line, letter case aside
  NotText,       // not UTF-8, or a control character in the path
};

// The problem in words, for diagnostics and dirpack's messages ("line 3 malformed").
std::string DescribeSealProblem(SealProblem problem, size_t line);

// Reads the seal's bytes: UTF-8 without byte-order mark, one line per file, LF or CRLF ends (the
// last optional), hex digits of either case. True with every line in `lines`; false with the
// first refused line (from 1) and its problem, `lines` untouched.
bool ParseSealList(const std::string& bytes, std::vector<SealLine>& lines, size_t& badLine, SealProblem& problem);

// The key a listed path is found by: ASCII letters lowered, as the file system ignores case.
std::string SealPathKey(const std::string& path);

// The seal's text for these lines: sorted by path (the bytes of the UTF-8 names), lower-case
// digits, two spaces, LF after every line. The same files give the same bytes.
// Only dirpack uses this; the wizard never calls it.
std::string ComposeSealList(std::vector<SealLine> lines);
