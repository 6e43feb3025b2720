#include "engine/format/seal_list.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "engine/format/entry_name.h"
#include "engine/format/utf8_text.h"

namespace {

constexpr size_t kDigestDigits = 64;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadDigest(const std::string& line, Sha256Digest& digest) {
  if (line.size() < kDigestDigits) return false;
  for (size_t i = 0; i < digest.size(); ++i) {
    const int high = HexValue(line[2 * i]);
    const int low = HexValue(line[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    digest[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

SealProblem PathProblem(const std::string& path) {
  if (path.find('\\') != std::string::npos) return SealProblem::Backslash;
  if (path[0] == '/' || path.find(':') != std::string::npos) return SealProblem::AbsolutePath;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return SealProblem::NotText;
  }
  std::wstring wide;
  if (!Utf8ToPath(path, wide)) return SealProblem::NotText;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = std::min(path.find('/', start), path.size());
    const std::string name = path.substr(start, slash - start);
    if (name.empty() || name == "." || name == "..") return SealProblem::ParentFolder;
    start = slash + 1;
  }
  return SealProblem::None;
}

// One line without its end: the digest, the separator and the path.
SealProblem ReadLine(const std::string& line, SealLine& out) {
  if (line.size() < kDigestDigits + 3 || !ReadDigest(line, out.digest) || line[kDigestDigits] != ' ' ||
      (line[kDigestDigits + 1] != ' ' && line[kDigestDigits + 1] != '*')) {
    return SealProblem::Malformed;
  }
  out.path = line.substr(kDigestDigits + 2);
  return PathProblem(out.path);
}

}  // namespace

std::string DescribeSealProblem(SealProblem problem, size_t line) {
  if (problem == SealProblem::None) return "";
  // In the order of SealProblem, from Malformed on.
  static const char* const kTexts[] = {"malformed",
                                       "malformed: an absolute path",
                                       "malformed: a path with \"..\", \".\" or an empty folder name",
                                       "malformed: a path with a backslash",
                                       "malformed: a path listed twice",
                                       "malformed: a path that is not UTF-8 text"};
  const size_t index = static_cast<size_t>(problem) - 1;
  return "line " + std::to_string(line) + " " + (index < std::size(kTexts) ? kTexts[index] : "malformed");
}

bool ParseSealList(const std::string& bytes, std::vector<SealLine>& lines, size_t& badLine, SealProblem& problem) {
  std::vector<SealLine> read;
  std::set<std::string> keys;
  size_t start = 0;
  size_t number = 0;
  while (start < bytes.size()) {
    ++number;
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    SealLine parsed;
    SealProblem found = ReadLine(line, parsed);
    if (found == SealProblem::None && !keys.insert(SealPathKey(parsed.path)).second) found = SealProblem::ListedTwice;
    if (found != SealProblem::None) {
      badLine = number;
      problem = found;
      return false;
    }
    read.push_back(std::move(parsed));
  }
  lines = std::move(read);
  return true;
}

std::string SealPathKey(const std::string& path) { return LowerAsciiLetters(path); }

std::string ComposeSealList(std::vector<SealLine> lines) {
  std::sort(lines.begin(), lines.end(), [](const SealLine& a, const SealLine& b) { return a.path < b.path; });
  std::string text;
  for (const SealLine& line : lines) text += HexDigits(line.digest) + "  " + line.path + "\n";
  return text;
}
