// The container reader on real files through the Win32 seam, under paths that the ANSI code page
// cannot spell.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/format/package_reader.h"
#include "engine/plan/install_plan.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

ContainerItem Item(const std::u16string& id, const std::string& data) {
  return ContainerItem{id, u"2010.01.01", u".dic", u"\u6C49\u82F1\u8BCD\u5178", data};
}

// Reads an entry in chunks of a block as the installation run does; -1 on a failed chunk.
int ReadEntry(CPackageReader& reader, uint32_t index, std::string& data) {
  data.clear();
  if (!reader.SeekToEntry(index)) return -2;
  std::vector<char> buffer(kBlockBytes);
  for (;;) {
    uint32_t length = kBlockBytes;
    const int rc = reader.ReadChunk(index, buffer.data(), length);
    if (rc < 0) return rc;
    if (length > kBlockBytes) return -3;
    data.append(buffer.data(), length);
    if (rc == 0) return 0;
  }
}

class PackageReaderWineTest : public ::testing::Test {
 protected:
  ScratchDir scratch{L"\u8BCD\u5178\u5305 reader"};
};

TEST_F(PackageReaderWineTest, ReadsEveryEntryFromAChinesePath) {
  const std::string big = Pattern(3 * kBlockBytes + 1, 1);
  const std::wstring path = scratch / L"\u725B\u6D25\u9AD8\u9636\u7B2C\u516B\u7248.dir";
  ASSERT_TRUE(testsupport::WriteFileBytes(path, ContainerBytes({Item(u"a", big), Item(u"b", ""), Item(u"c", "z")})));
  CPackageReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  ASSERT_EQ(reader.EntryCount(), 3u);
  EXPECT_EQ(FieldText(reader.Entry(0).title, 32), L"\u6C49\u82F1\u8BCD\u5178");
  std::string data;
  EXPECT_EQ(ReadEntry(reader, 2, data), 0);
  EXPECT_EQ(data, "z");
  EXPECT_EQ(ReadEntry(reader, 0, data), 0);
  EXPECT_TRUE(data == big);
  EXPECT_EQ(ReadEntry(reader, 1, data), 0);
  EXPECT_EQ(data, "");
  reader.Close();
  // Closed means the file is no longer held: it can be deleted at once.
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST_F(PackageReaderWineTest, MissingFoldersAndDamagedFilesFail) {
  std::string hostile = ContainerBytes({Item(u"a", "abc")});
  PutU32At(hostile, testsupport::kHeaderEntryCountField, 0xFFFFFFFF);
  const std::wstring hostilePath = scratch / L"\u574F.dir";
  ASSERT_TRUE(testsupport::WriteFileBytes(hostilePath, hostile));
  const std::wstring shortPath = scratch / L"\u77ED.dir";
  ASSERT_TRUE(testsupport::WriteFileBytes(shortPath, hostile.substr(0, 20)));
  CPackageReader reader;
  EXPECT_FALSE(reader.Open(hostilePath.c_str()));
  EXPECT_FALSE(reader.Open(shortPath.c_str()));
  EXPECT_FALSE(reader.Open((scratch / L"\u4E0D\u5B58\u5728.dir").c_str()));
  EXPECT_FALSE(reader.Open(scratch.path().c_str())) << "a folder is not a container";
  EXPECT_FALSE(reader.Open(L"CON")) << "nor is a device";
  // A failed open does not keep the file: it can be replaced at once.
  EXPECT_TRUE(DeleteFileW(hostilePath.c_str()));
}

TEST_F(PackageReaderWineTest, RangesBeyondTheFileFailAtTheChunkThatLeavesIt) {
  std::string bytes = ContainerBytes({Item(u"a", Pattern(3000, 2)), Item(u"b", "tail")});
  PutU32At(bytes, TableEntryAt(0) + kEntrySizeField, 0xFFFFFFFF);  // entry 0 claims 4 GiB
  PutU32At(bytes, TableEntryAt(1), 0xFFFFFFF0);                    // entry 1 starts near 4 GiB past data_offset
  const std::wstring path = scratch / L"\u8D8A\u754C.dir";
  ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
  CPackageReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  std::string data;
  EXPECT_EQ(ReadEntry(reader, 0, data), -1);
  EXPECT_EQ(data.size(), kBlockBytes) << "the whole chunk inside the file, then a failure";
  EXPECT_EQ(ReadEntry(reader, 1, data), -1);
  EXPECT_EQ(data, "");
}

// A file held open for long gives back what it read ahead, and reads on from where it was.
TEST_F(PackageReaderWineTest, ReadAheadGivenBackIsReadAgainFromTheSystem) {
  const std::string bytes = Pattern(3 * kBlockBytes, 3);
  const std::wstring path = scratch / L"\u9884\u8BFB.bin";
  ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  ASSERT_TRUE(file);
  char first[10], next[10];
  uint32_t got = 0;
  ASSERT_TRUE(file->Read(first, sizeof(first), got));
  const uint64_t callsAfterFirst = FileReadCalls();
  ASSERT_TRUE(file->Read(next, sizeof(next), got));
  EXPECT_EQ(FileReadCalls(), callsAfterFirst) << "the second piece came from the read-ahead";
  file->ReleaseReadAhead();
  ASSERT_TRUE(file->Read(next, sizeof(next), got));
  EXPECT_GT(FileReadCalls(), callsAfterFirst) << "nothing was kept";
  ASSERT_EQ(got, sizeof(next));
  EXPECT_EQ(std::string(next, got), bytes.substr(20, 10));
}

TEST_F(PackageReaderWineTest, TwoReadersShareTheFile) {
  const std::wstring path = scratch / L"\u5171\u4EAB.dir";
  ASSERT_TRUE(testsupport::WriteFileBytes(path, ContainerBytes({Item(u"a", "one"), Item(u"b", "two")})));
  CPackageReader first, second;
  ASSERT_TRUE(first.Open(path.c_str()));
  ASSERT_TRUE(second.Open(path.c_str()));
  std::string a, b;
  EXPECT_EQ(ReadEntry(first, 0, a), 0);
  EXPECT_EQ(ReadEntry(second, 1, b), 0);
  EXPECT_EQ(a, "one");
  EXPECT_EQ(b, "two");
}

}  // namespace
}  // namespace testsupport
