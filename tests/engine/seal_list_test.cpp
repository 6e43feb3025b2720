// The seal's lines as sha256sum writes them and as the wizard and dirpack read them: one table of
// lines taken and refused, and the composed text read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/seal_list.h"

namespace {

const std::string kHex = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

struct Case {
  const char* name;
  std::string bytes;
  size_t badLine;  // 0: taken
  SealProblem problem;
  size_t lines;
};

const Case kCases[] = {
    {"two spaces, LF", kHex + "  a.dir\n" + kHex + "  dict_image/x.bmp\n", 0, SealProblem::None, 2},
    {"space and star, CRLF", kHex + " *a.dir\r\n" + kHex + " *b.dir\r\n", 0, SealProblem::None, 2},
    {"upper-case digits, no last line end", Upper(kHex) + "  a.dir", 0, SealProblem::None, 1},
    {"a space inside the name", kHex + "  my dict.dir\n", 0, SealProblem::None, 1},
    {"UTF-8 name", kHex + "  \xe8\xaf\x8d\xe5\x85\xb8.dir\n", 0, SealProblem::None, 1},
    {"nothing at all", "", 0, SealProblem::None, 0},
    {"63 digits", kHex.substr(1) + "  a.dir\n", 1, SealProblem::Malformed, 0},
    {"65 digits", kHex + "0  a.dir\n", 1, SealProblem::Malformed, 0},
    {"not a digit", "g" + kHex.substr(1) + "  a.dir\n", 1, SealProblem::Malformed, 0},
    {"one space", kHex + " a.dir\n", 1, SealProblem::Malformed, 0},
    {"a tab", kHex + "\ta.dir\n", 1, SealProblem::Malformed, 0},
    {"no name", kHex + "  \n", 1, SealProblem::Malformed, 0},
    {"an empty line between", kHex + "  a.dir\n\n" + kHex + "  b.dir\n", 2, SealProblem::Malformed, 0},
    {"byte-order mark", "\xef\xbb\xbf" + kHex + "  a.dir\n", 1, SealProblem::Malformed, 0},
    {"BSD style", "SHA256 (a.dir) = " + kHex + "\n", 1, SealProblem::Malformed, 0},
    {"absolute", kHex + "  /etc/a.dir\n", 1, SealProblem::AbsolutePath, 0},
    {"a drive", kHex + "  C:a.dir\n", 1, SealProblem::AbsolutePath, 0},
    {"a stream", kHex + "  a.dir:hidden\n", 1, SealProblem::AbsolutePath, 0},
    {"parent folder", kHex + "  a.dir\n" + kHex + "  dict_image/../a.dir\n", 2, SealProblem::ParentFolder, 0},
    {"this folder", kHex + "  ./a.dir\n", 1, SealProblem::ParentFolder, 0},
    {"empty folder name", kHex + "  dict_image//x.bmp\n", 1, SealProblem::ParentFolder, 0},
    {"backslash", kHex + "  dict_image\\x.bmp\n", 1, SealProblem::Backslash, 0},
    {"sha256sum's escaped name", "\\" + kHex + "  a\\nb.dir\n", 1, SealProblem::Malformed, 0},
    {"listed twice", kHex + "  a.dir\n" + kHex + "  b.dir\n" + kHex + "  a.dir\n", 3, SealProblem::ListedTwice, 0},
    {"twice in another case", kHex + "  A.DIR\n" + kHex + "  a.dir\n", 2, SealProblem::ListedTwice, 0},
    {"a control character", kHex + "  a\x01.dir\n", 1, SealProblem::NotText, 0},
    {"not UTF-8", kHex + "  \xc3(.dir\n", 1, SealProblem::NotText, 0},
};

TEST(SealList, LinesTakenAndRefused) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<SealLine> lines(1);  // untouched on failure
    size_t badLine = 0;
    SealProblem problem = SealProblem::None;
    const bool taken = ParseSealList(c.bytes, lines, badLine, problem);
    EXPECT_EQ(taken, c.badLine == 0);
    if (taken) {
      EXPECT_EQ(lines.size(), c.lines);
      for (const SealLine& line : lines) EXPECT_EQ(HexDigits(line.digest), kHex);
    } else {
      EXPECT_EQ(badLine, c.badLine);
      EXPECT_EQ(problem, c.problem);
      EXPECT_EQ(lines.size(), 1u);
      EXPECT_EQ(DescribeSealProblem(problem, badLine).rfind("line " + std::to_string(c.badLine) + " malformed", 0), 0u);
    }
  }
}

TEST(SealList, ComposedTextIsSortedByBytesAndReadsBack) {
  Sha256Digest one = {};
  one[0] = 0xab;
  const std::vector<SealLine> lines = {{"\xe8\xaf\x8d.dir", one}, {"b.dir", {}}, {"B.dir", one}, {"dict_image/a.bmp", {}}};
  const std::string text = ComposeSealList(lines);
  std::vector<SealLine> read;
  size_t badLine = 0;
  SealProblem problem = SealProblem::None;
  // B.dir and b.dir are one file where names ignore case: composed, but never read back.
  EXPECT_FALSE(ParseSealList(text, read, badLine, problem));
  EXPECT_EQ(problem, SealProblem::ListedTwice);
  const std::vector<SealLine> distinct = {lines[0], lines[1], lines[3]};
  ASSERT_TRUE(ParseSealList(ComposeSealList(distinct), read, badLine, problem));
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].path, "b.dir");
  EXPECT_EQ(read[1].path, "dict_image/a.bmp");
  EXPECT_EQ(read[2].path, "\xe8\xaf\x8d.dir");  // bytes above 0x7f sort last
  EXPECT_EQ(read[2].digest, one);
  EXPECT_EQ(ComposeSealList(read), ComposeSealList(distinct));
}

}  // namespace
