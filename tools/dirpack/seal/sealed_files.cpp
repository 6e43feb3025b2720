#include "tools/dirpack/seal/sealed_files.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/format/byte_file.h"
#include "engine/format/seal_list.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/seal/folder_tree.h"

namespace {

constexpr uint32_t kDigestPieceBytes = 1u << 20;

// What the seal's own reading makes of a line for this path: its problem, None when it is listed
// as it is. A line end inside the name would split the line, so it is refused before.
SealProblem ListingProblem(const std::string& path) {
  if (path.find_first_of("\r\n") != std::string::npos) return SealProblem::NotText;
  std::vector<SealLine> lines;
  size_t badLine = 0;
  SealProblem problem = SealProblem::None;
  const std::string line = HexDigits(Sha256Digest{}) + "  " + path;
  return ParseSealList(line, lines, badLine, problem) ? SealProblem::None : problem;
}

std::string NameMessage(SealProblem problem) {
  switch (problem) {
    case SealProblem::Backslash:
      return "its name has a backslash, which the seal cannot list (sha256sum escapes such names, and Windows "
             "reads it as a folder separator) — rename it";
    case SealProblem::AbsolutePath:
      return "its name has a colon, which the seal cannot list (Windows reads it as a drive or a stream) — rename "
             "it";
    case SealProblem::NotText:
      return "its name holds a control character, which the seal cannot list — rename it";
    default:
      return "its name cannot be listed in the seal (" + DescribeSealProblem(problem, 1) + ") — rename it";
  }
}

std::string KindMessage(TreeItemKind kind) {
  switch (kind) {
    case TreeItemKind::Link:
      return "a symbolic link (or another link), which the seal neither follows nor lists, and the wizard takes "
             "no link — put the file itself in its place, or remove the link";
    case TreeItemKind::Special:
      return "neither a file nor a folder (a device, pipe or socket), which the seal cannot list — remove it";
    case TreeItemKind::NotText:
      return "its name is not UTF-8 text, so the seal cannot list it — rename it";
    case TreeItemKind::Unreadable:
      return "cannot be read, so what it holds cannot be listed — make it readable, or remove it";
    case TreeItemKind::File:
      break;
  }
  return "";
}

}  // namespace

bool IsSealFileName(const std::string& path) {
  const std::string key = SealPathKey(path);
  return key == SealPathKey(PathToUtf8(kSealFileName)) || key == SealPathKey(PathToUtf8(kSealSignatureFileName));
}

bool CollectSealedFiles(const std::wstring& folder, SealedFolder& sealed) {
  std::vector<TreeItem> items;
  if (!ListFolderTree(folder, items)) return false;
  std::sort(items.begin(), items.end(), [](const TreeItem& a, const TreeItem& b) { return a.path < b.path; });
  SealedFolder result;
  std::map<std::string, std::string> byKey;  // the first path of each key, for names alike but for case
  for (TreeItem& item : items) {
    if (item.path.find('/') == std::string::npos && IsSealFileName(item.path)) continue;
    const bool text = item.kind != TreeItemKind::NotText;
    const std::string shown = text ? DisplayPath(item.path) : item.path;
    const std::string path = text ? item.path : std::string();
    if (item.kind != TreeItemKind::File) {
      result.unlistable.push_back({shown, path, KindMessage(item.kind)});
      continue;
    }
    const SealProblem problem = ListingProblem(item.path);
    if (problem != SealProblem::None) {
      result.unlistable.push_back({shown, path, NameMessage(problem)});
      continue;
    }
    const auto first = byKey.emplace(SealPathKey(item.path), item.path);
    if (!first.second) {
      result.unlistable.push_back({shown, path,
                                   "differs from " + DisplayPath(first.first->second) +
                                       " only in letter case, and Windows takes both for one file — "
                                       "rename one of them"});
      continue;
    }
    result.files.push_back({std::move(item.path), std::move(item.fullPath)});
  }
  sealed = std::move(result);
  return true;
}

bool DigestOfFile(const std::wstring& path, Sha256Digest& digest) {
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  if (!file) return false;
  Sha256 hash;
  std::string piece(kDigestPieceBytes, '\0');
  for (;;) {
    uint32_t got = 0;
    if (!file->Read(&piece[0], kDigestPieceBytes, got)) return false;
    if (got == 0) break;
    hash.Update(piece.data(), got);
  }
  return hash.Finish(digest);
}

std::string DisplayPath(const std::string& utf8) {
  std::wstring units;
  return Utf8ToUnits(utf8, units) ? DisplayUnits(units) : utf8;
}
