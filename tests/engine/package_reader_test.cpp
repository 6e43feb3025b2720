// The container reader on containers built byte by byte: validation in Open, the chunk protocol,
// and ranges and counts that lie about the file. Mostly from memory; a few through real files.
#include "engine/format/package_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/plan/install_plan.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"

namespace testsupport {
namespace {

ContainerItem Item(const std::u16string& id, size_t size, unsigned seed = 1) {
  return ContainerItem{id, u"2024-05-01", u".dic", u"词典" + id, Pattern(size, seed)};
}

// The reader reads memory in place, so the bytes are kept for the rest of the program.
bool OpenBytes(CPackageReader& reader, std::string bytes) {
  static std::deque<std::string> kept;
  kept.push_back(std::move(bytes));
  return reader.OpenMemory(reinterpret_cast<const uint8_t*>(kept.back().data()), kept.back().size());
}

// Reads one entry the way the installation run does; false when a chunk fails or breaks the
// protocol (more than asked, or a chunk count other than expected).
struct ReadResult {
  std::string data;
  int chunks = 0;
  int last = 0;  // result of the last call
};

ReadResult ReadEntry(CPackageReader& reader, uint32_t index, uint32_t chunkSize = kBlockBytes) {
  ReadResult result;
  EXPECT_TRUE(reader.SeekToEntry(index));
  std::vector<char> buffer(chunkSize + 16, '\x5A');
  for (;;) {
    uint32_t length = chunkSize;
    result.last = reader.ReadChunk(index, buffer.data(), length);
    ++result.chunks;
    if (result.last == -1) break;
    EXPECT_LE(length, chunkSize);
    EXPECT_EQ(buffer[chunkSize], '\x5A') << "wrote past the chunk";
    result.data.append(buffer.data(), length);
    if (result.last == 0 || result.chunks > 100000) break;
  }
  return result;
}

// ---- Open: what makes a container acceptable ----

TEST(PackageReaderOpen, EmptyTableOpens) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({})));
  EXPECT_EQ(reader.EntryCount(), 0u);
  EXPECT_EQ(reader.Header().data_offset, kPackageHeaderBytes);
  uint32_t length = kBlockBytes;
  char buffer[kBlockBytes];
  EXPECT_FALSE(reader.SeekToEntry(0));
  EXPECT_EQ(reader.ReadChunk(0, buffer, length), -1);
}

TEST(PackageReaderOpen, HeaderShorterThan32BytesFails) {
  const std::string full = ContainerBytes({});
  for (size_t size : {0, 1, 4, 28, 31}) {
    CPackageReader reader;
    EXPECT_FALSE(OpenBytes(reader, full.substr(0, size))) << size;
    EXPECT_EQ(reader.EntryCount(), 0u);
  }
  CPackageReader reader;
  EXPECT_FALSE(reader.OpenMemory(nullptr, 0));
  EXPECT_FALSE(reader.OpenMemory(nullptr, 64));
}

TEST(PackageReaderOpen, MagicIsTheFourBytesInOrder) {
  for (uint32_t magic : {0x3933766Eu, 0x6E763338u, 0u, 0xFFFFFFFFu, 0x4E563339u}) {
    ContainerLayout layout;
    layout.magic = magic;
    CPackageReader reader;
    EXPECT_FALSE(OpenBytes(reader, ContainerBytes({Item(u"a", 10)}, layout))) << std::hex << magic;
  }
  std::string bytes = ContainerBytes({});
  EXPECT_EQ(bytes.substr(0, 4), "93vn");
}

TEST(PackageReaderOpen, EitherFormatWordOfOneSuffices) {
  struct Case {
    uint32_t a, b;
    bool accepted;
  };
  const Case cases[] = {{1, 1, true},          {1, 0, true},  {0, 1, true},  {1, 0xFFFFFFFF, true},
                        {0xFFFFFFFF, 1, true}, {0, 0, false}, {2, 2, false}, {0x100, 0x10000, false},
                        {0xFFFFFFFF, 0, false}};
  for (const Case& c : cases) {
    ContainerLayout layout;
    layout.formatA = c.a;
    layout.formatB = c.b;
    CPackageReader reader;
    EXPECT_EQ(OpenBytes(reader, ContainerBytes({Item(u"a", 10)}, layout)), c.accepted) << c.a << "/" << c.b;
  }
}

TEST(PackageReaderOpen, EntrySizeOtherThan184Fails) {
  for (uint32_t entrySize : {0u, 1u, 120u, 183u, 185u, 368u, 0xFFFFFFFFu}) {
    ContainerLayout layout;
    layout.entrySize = entrySize;
    CPackageReader reader;
    EXPECT_FALSE(OpenBytes(reader, ContainerBytes({Item(u"a", 400), Item(u"b", 400)}, layout))) << entrySize;
    EXPECT_EQ(reader.EntryCount(), 0u);
  }
}

TEST(PackageReaderOpen, TableEndingEarlyFails) {
  const std::string full = ContainerBytes({Item(u"a", 0), Item(u"b", 0), Item(u"c", 0)});
  ASSERT_EQ(full.size(), TableEntryAt(3));
  for (size_t size :
       {TableEntryAt(0), TableEntryAt(1) - 1, TableEntryAt(1), TableEntryAt(2) + 100, TableEntryAt(3) - 1}) {
    CPackageReader reader;
    EXPECT_FALSE(OpenBytes(reader, full.substr(0, size))) << size;
    EXPECT_EQ(reader.EntryCount(), 0u) << "a failed Open keeps no records";
  }
  CPackageReader reader;
  EXPECT_TRUE(OpenBytes(reader, full));
  EXPECT_EQ(reader.EntryCount(), 3u);
}

// Under the sanitizer build an allocation for these counts would abort the test.
TEST(PackageReaderOpen, HostileCountsFailBeforeAnyAllocation) {
  // 23342215 * 184 wraps 32 bits to 264: a 32-bit size check would pass it.
  for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 23342215u, 6u}) {
    ContainerLayout layout;
    layout.entryCount = count;
    const std::string bytes = ContainerBytes({Item(u"a", 300), Item(u"b", 300)}, layout);
    CPackageReader reader;
    EXPECT_FALSE(OpenBytes(reader, bytes)) << count;
    EXPECT_EQ(reader.EntryCount(), 0u);
  }
}

// A table larger than any real package is refused even when the file holds it whole: the 32-bit
// wizard builds a record per entry.
TEST(PackageReaderOpen, MoreEntriesThanTheLimitFailEvenWhenTheFileHoldsThem) {
  std::vector<ContainerItem> items(kPackageMaxEntries + 1, Item(u"a", 0));
  CPackageReader reader;
  EXPECT_FALSE(OpenBytes(reader, ContainerBytes(items)));
  items.pop_back();
  EXPECT_TRUE(OpenBytes(reader, ContainerBytes(items)));
  EXPECT_EQ(reader.EntryCount(), kPackageMaxEntries);
}

TEST(PackageReaderOpen, FewerEntriesThanTheFileHoldsAreFine) {
  ContainerLayout layout;
  layout.entryCount = 1;
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", 3), Item(u"b", 3)}, layout)));
  EXPECT_EQ(reader.EntryCount(), 1u);
}

TEST(PackageReaderOpen, RecordsAndHeaderAreKeptAsRead) {
  std::string bytes = ContainerBytes({ContainerItem{u"yhcd", u"2023.12.01", u".dip", u"英汉词典", "abc"},
                                      ContainerItem{u"x", u"d", u".dic", u"t", "defgh"}});
  PutU32At(bytes, 4, 0xA1B2C3D4);  // reserved words are kept, not judged
  PutU32At(bytes, 16, 0x01020304);
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, bytes));
  EXPECT_EQ(reader.Header().reserved1, 0xA1B2C3D4u);
  EXPECT_EQ(reader.Header().reserved2, 0x01020304u);
  EXPECT_EQ(reader.Header().entry_count, 2u);
  ASSERT_EQ(reader.EntryCount(), 2u);
  const PackageTableEntry& first = reader.Entry(0);
  EXPECT_EQ(first.offset, 0u);
  EXPECT_EQ(first.size, 3u);
  EXPECT_EQ(FieldText(first.id, kEntryIdUnits), L"yhcd");
  EXPECT_EQ(FieldText(first.date, kEntryDateUnits), L"2023.12.01");
  EXPECT_EQ(FieldText(first.ext, kEntryExtUnits), L".dip");
  EXPECT_EQ(FieldText(first.title, kEntryTitleUnits), L"英汉词典");
  EXPECT_EQ(reader.Entry(1).offset, 3u);
  EXPECT_EQ(reader.Entry(1).size, 5u);
  // Beyond the table: an empty record rather than memory past the end.
  EXPECT_EQ(reader.Entry(2).size, 0u);
  EXPECT_EQ(FieldText(reader.Entry(0xFFFFFFFF).id, kEntryIdUnits), L"");
}

TEST(PackageReaderOpen, AFailedOpenClosesAnOpenReader) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", 10)})));
  EXPECT_FALSE(OpenBytes(reader, "93vn"));
  EXPECT_EQ(reader.EntryCount(), 0u);
  EXPECT_FALSE(reader.SeekToEntry(0));
  // And it opens again afterwards.
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"b", 10), Item(u"c", 20)})));
  EXPECT_EQ(reader.EntryCount(), 2u);
  EXPECT_EQ(ReadEntry(reader, 1).data, Pattern(20, 1));
}

TEST(PackageReaderOpen, CloseEndsReadingButKeepsTheTable) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", 10)})));
  reader.Close();
  reader.Close();
  EXPECT_EQ(reader.EntryCount(), 1u);
  EXPECT_FALSE(reader.SeekToEntry(0));
  char buffer[16];
  uint32_t length = sizeof(buffer);
  EXPECT_EQ(reader.ReadChunk(0, buffer, length), -1);
  EXPECT_EQ(length, sizeof(buffer));
}

// A source held by others too, as the inventory holds each container: counts what it is asked.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(const std::string& bytes)
      : memory_(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}
  bool Size(uint64_t& size) override { return memory_.Size(size); }
  bool Tell(uint64_t& position) override { return memory_.Tell(position); }
  bool Seek(uint64_t position) override { return memory_.Seek(position); }
  bool Read(void* buffer, uint32_t length, uint32_t& got) override { return memory_.Read(buffer, length, got); }
  void ReleaseReadAhead() override { ++released; }
  int released = 0;

 private:
  MemoryByteSource memory_;
};

// A source others hold outlives the reader: its read-ahead goes back when the reader is done with it.
TEST(PackageReaderOpen, CloseGivesBackTheSharedSourcesReadAhead) {
  const std::string bytes = ContainerBytes({Item(u"a", 10)});
  auto source = std::make_shared<CountingSource>(bytes);
  CPackageReader reader;
  ASSERT_TRUE(reader.OpenSource(source));
  EXPECT_EQ(source->released, 0);
  reader.Close();
  reader.Close();
  EXPECT_EQ(source->released, 1) << "a closed reader holds nothing";
  // Opening another container lets go of this one as Close does.
  ASSERT_TRUE(reader.OpenSource(source));
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"b", 10)})));
  EXPECT_EQ(source->released, 2);
}

// ---- Texts in fixed-width fields ----

TEST(PackageFieldText, StopsAtTheFirstNulAndNeverPassesTheWidth) {
  uint16_t field[8] = {'.', 'd', 'i', 'c', 0, 'x', 'y', 0};
  EXPECT_EQ(FieldText(field, 8), L".dic");
  uint16_t full[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  EXPECT_EQ(FieldText(full, 8), L"abcdefgh");
  EXPECT_FALSE(FieldHasEnd(full, 8));
  EXPECT_EQ(FieldText(full, 3), L"abc");
  EXPECT_EQ(FieldText(field, 0), L"");
}

TEST(PackageFieldText, SetRefusesWhatLeavesNoRoomForTheEnd) {
  uint16_t field[8];
  for (uint16_t& unit : field) unit = 0xEEEE;
  EXPECT_FALSE(SetFieldText(field, 8, L"12345678"));
  EXPECT_EQ(field[0], 0xEEEE) << "untouched on failure";
  EXPECT_FALSE(SetFieldText(field, 8, std::wstring(L"ab\0c", 4)));
  ASSERT_TRUE(SetFieldText(field, 8, L"1234567"));
  EXPECT_EQ(field[7], 0);
  EXPECT_EQ(FieldText(field, 8), L"1234567");
  ASSERT_TRUE(SetFieldText(field, 8, L"z"));
  for (int i = 1; i < 8; ++i) EXPECT_EQ(field[i], 0) << "padding " << i;
}

TEST(PackageFormatRecords, EncodeAndDecodeAgreeByteForByte) {
  const std::string bytes = ContainerBytes({ContainerItem{u"id", u"2024", u".dic", u"标题", "xyz"}});
  PackageHeader header;
  DecodePackageHeader(reinterpret_cast<const uint8_t*>(bytes.data()), header);
  PackageTableEntry entry;
  DecodePackageTableEntry(reinterpret_cast<const uint8_t*>(bytes.data()) + TableEntryAt(0), entry);
  uint8_t again[TableEntryAt(1)];
  EncodePackageHeader(header, again);
  EncodePackageTableEntry(entry, again + TableEntryAt(0));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(again), sizeof(again)), bytes.substr(0, TableEntryAt(1)));
}

// ---- Chunks ----

TEST(PackageReaderChunks, EmptyEntryIsOneCallDeliveringNothing) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"empty", 0), Item(u"next", 5)})));
  ASSERT_TRUE(reader.SeekToEntry(0));
  char buffer[kBlockBytes];
  uint32_t length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(0, buffer, length), 0);
  EXPECT_EQ(length, 0u);
}

TEST(PackageReaderChunks, ChunkCountIsSizeOverChunkRoundedUp) {
  struct Case {
    size_t size;
    int chunks;
  };
  constexpr size_t kBlock = kBlockBytes;
  for (const Case& c : {Case{1, 1}, Case{kBlock - 1, 1}, Case{kBlock, 1}, Case{kBlock + 1, 2}, Case{2 * kBlock, 2},
                        Case{2 * kBlock + 1, 3}, Case{5 * kBlock - 1, 5}}) {
    CPackageReader reader;
    ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"x", c.size, 3)})));
    const ReadResult read = ReadEntry(reader, 0);
    EXPECT_EQ(read.last, 0) << c.size;
    EXPECT_EQ(read.chunks, c.chunks) << c.size;
    EXPECT_EQ(read.data, Pattern(c.size, 3)) << c.size;
  }
}

TEST(PackageReaderChunks, ExactChunkEndsWithZeroAndOneMoreByteTakesASecondCall) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", kBlockBytes), Item(u"b", kBlockBytes + 1)})));
  std::vector<char> buffer(kBlockBytes);
  ASSERT_TRUE(reader.SeekToEntry(0));
  uint32_t length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(0, buffer.data(), length), 0);
  EXPECT_EQ(length, kBlockBytes);

  ASSERT_TRUE(reader.SeekToEntry(1));
  length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(1, buffer.data(), length), 1);
  EXPECT_EQ(length, kBlockBytes);
  length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(1, buffer.data(), length), 0);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(buffer[0], Pattern(kBlockBytes + 1, 1)[kBlockBytes]);
}

TEST(PackageReaderChunks, EntriesReadInAnyOrderAndAtAnyChunkSize) {
  const std::vector<ContainerItem> items = {Item(u"a", 5000, 1), Item(u"b", 1, 2), Item(u"c", 0, 3),
                                            Item(u"d", 2500, 4)};
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes(items)));
  for (uint32_t index : {3u, 0u, 2u, 1u, 0u}) {
    for (uint32_t chunk : {1u, 7u, kBlockBytes, 65536u}) {
      const ReadResult read = ReadEntry(reader, index, chunk);
      EXPECT_EQ(read.last, 0);
      EXPECT_EQ(read.data, items[index].data) << index << " at " << chunk;
    }
  }
}

TEST(PackageReaderChunks, DataRangesMayLieInAnyOrder) {
  // The second entry's data come first in the data area.
  std::string bytes = ContainerBytes({Item(u"a", 1000, 1), Item(u"b", 5, 2)});
  PutU32At(bytes, TableEntryAt(0), 5);  // a at offset 5
  PutU32At(bytes, TableEntryAt(1), 0);  // b at offset 0
  bytes.replace(DataAreaAt(2), 1005, Pattern(5, 2) + Pattern(1000, 1));
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, bytes));
  EXPECT_EQ(ReadEntry(reader, 0).data, Pattern(1000, 1));
  EXPECT_EQ(ReadEntry(reader, 1).data, Pattern(5, 2));
}

TEST(PackageReaderChunks, IndexEqualToTheCountFails) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", 10), Item(u"b", 10)})));
  EXPECT_FALSE(reader.SeekToEntry(2));
  EXPECT_FALSE(reader.SeekToEntry(0xFFFFFFFF));
  ASSERT_TRUE(reader.SeekToEntry(1));
  char buffer[64];
  uint32_t length = sizeof(buffer);
  EXPECT_EQ(reader.ReadChunk(2, buffer, length), -1);
  EXPECT_EQ(length, sizeof(buffer));
}

TEST(PackageReaderChunks, ReadingAnEntryOtherThanTheOneSoughtFails) {
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, ContainerBytes({Item(u"a", 100), Item(u"b", 100)})));
  char buffer[64];
  ASSERT_TRUE(reader.SeekToEntry(0));
  uint32_t length = sizeof(buffer);
  EXPECT_EQ(reader.ReadChunk(1, buffer, length), -1) << "position is before b's data";
  ASSERT_TRUE(reader.SeekToEntry(1));
  length = 10;
  ASSERT_EQ(reader.ReadChunk(1, buffer, length), 1);
  length = sizeof(buffer);
  EXPECT_EQ(reader.ReadChunk(0, buffer, length), -1) << "position is past a's data";
}

// ---- Ranges that lie about the file ----

TEST(PackageReaderRanges, RangeRunningPastTheEndFailsAtTheChunkThatLeavesTheFile) {
  std::string bytes = ContainerBytes({Item(u"a", 3000)});
  PutU32At(bytes, TableEntryAt(0) + kEntrySizeField, 5000);  // claims 5000 bytes, the file holds 3000
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, bytes));
  ASSERT_TRUE(reader.SeekToEntry(0));
  std::vector<char> buffer(kBlockBytes);
  uint32_t length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(0, buffer.data(), length), 1);
  EXPECT_EQ(length, kBlockBytes);
  length = kBlockBytes;
  EXPECT_EQ(reader.ReadChunk(0, buffer.data(), length), -1);
  EXPECT_EQ(length, kBlockBytes) << "a failed chunk reports nothing delivered";
}

TEST(PackageReaderRanges, RangeStartingPastTheEndFailsAtOnce) {
  for (uint32_t offset : {10u, 11u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    std::string bytes = ContainerBytes({Item(u"a", 10)});
    PutU32At(bytes, TableEntryAt(0), offset);
    CPackageReader reader;
    ASSERT_TRUE(OpenBytes(reader, bytes));
    const ReadResult read = ReadEntry(reader, 0);
    EXPECT_EQ(read.last, -1) << offset;
    EXPECT_EQ(read.data, "") << offset;
  }
}

// With 32-bit sums these ranges wrap to the start of the file and deliver the header.
TEST(PackageReaderRanges, RangesOverflowing32BitsNeverWrap) {
  struct Case {
    uint32_t dataOffset, offset, size;
  };
  for (const Case& c : {Case{0xFFFFFF00u, 0x100u, 16}, Case{216, 0xFFFFFF28u, 16}, Case{0xFFFFFFFFu, 1, 100},
                        Case{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}}) {
    std::string bytes = ContainerBytes({Item(u"a", 64)});
    PutU32At(bytes, testsupport::kHeaderDataOffsetField, c.dataOffset);
    PutU32At(bytes, TableEntryAt(0), c.offset);
    PutU32At(bytes, TableEntryAt(0) + kEntrySizeField, c.size);
    CPackageReader reader;
    ASSERT_TRUE(OpenBytes(reader, bytes));
    const ReadResult read = ReadEntry(reader, 0);
    EXPECT_EQ(read.last, -1) << c.dataOffset << "+" << c.offset;
    EXPECT_EQ(read.data, "");
  }
}

TEST(PackageReaderRanges, HugeSizeDeliversOnlyWhatTheFileHoldsThenFails) {
  std::string bytes = ContainerBytes({Item(u"a", 5000)});
  PutU32At(bytes, TableEntryAt(0) + kEntrySizeField, 0xFFFFFFFF);
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, bytes));
  const ReadResult read = ReadEntry(reader, 0);
  EXPECT_EQ(read.last, -1);
  EXPECT_EQ(read.data, Pattern(5000, 1).substr(0, 2 * kBlockBytes)) << "whole chunks inside the file, none beyond";
}

TEST(PackageReaderRanges, RangeEndingExactlyAtTheFileEndReadsWhole) {
  std::string bytes = ContainerBytes({Item(u"a", 4096)});
  CPackageReader reader;
  ASSERT_TRUE(OpenBytes(reader, bytes));
  EXPECT_EQ(reader.FileSize(), bytes.size());
  const ReadResult read = ReadEntry(reader, 0);
  EXPECT_EQ(read.last, 0);
  EXPECT_EQ(read.data.size(), 4096u);
}

// ---- Real files through the native file seam ----

class PackageReaderFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pkreaderXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(folder_.c_str());
  }
  // A file in the scratch folder; the name may be non-ASCII (UTF-8 on disk).
  std::wstring Write(const std::string& utf8Name, const std::wstring& wideName, const std::string& bytes) {
    const std::string path = folder_ + "/" + utf8Name;
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return L"";
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    files_.push_back(path);
    return std::wstring(folder_.begin(), folder_.end()) + L"/" + wideName;
  }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(PackageReaderFile, ReadsAContainerWithANonAsciiName) {
  const std::vector<ContainerItem> items = {Item(u"a", 9000, 5), Item(u"b", 0), Item(u"c", kBlockBytes, 6)};
  const std::wstring path = Write("词典包.dir", L"词典包.dir", ContainerBytes(items));
  CPackageReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  ASSERT_EQ(reader.EntryCount(), 3u);
  for (uint32_t i : {2u, 0u, 1u}) EXPECT_EQ(ReadEntry(reader, i).data, items[i].data) << i;
}

TEST_F(PackageReaderFile, RangePastTheFileEndFailsThroughTheFileToo) {
  std::string bytes = ContainerBytes({Item(u"a", 3000)});
  PutU32At(bytes, TableEntryAt(0) + kEntrySizeField, 0x7FFFFFFF);
  const std::wstring path = Write("damaged.dir", L"damaged.dir", bytes);
  CPackageReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  const ReadResult read = ReadEntry(reader, 0);
  EXPECT_EQ(read.last, -1);
  EXPECT_EQ(read.data.size(), kBlockBytes);
}

TEST_F(PackageReaderFile, MissingEmptyOrFolderPathsFail) {
  CPackageReader reader;
  EXPECT_FALSE(reader.Open(nullptr));
  EXPECT_FALSE(reader.Open(L""));
  const std::wstring folder(folder_.begin(), folder_.end());
  EXPECT_FALSE(reader.Open((folder + L"/none.dir").c_str()));
  EXPECT_FALSE(reader.Open(folder.c_str()));
  const std::wstring shortFile = Write("short.dir", L"short.dir", "93vn");
  EXPECT_FALSE(reader.Open(shortFile.c_str()));
}

TEST_F(PackageReaderFile, HostileCountFailsOnAFile) {
  ContainerLayout layout;
  layout.entryCount = 0xFFFFFFFF;
  const std::wstring path = Write("count.dir", L"count.dir", ContainerBytes({Item(u"a", 10)}, layout));
  CPackageReader reader;
  EXPECT_FALSE(reader.Open(path.c_str()));
  EXPECT_EQ(reader.EntryCount(), 0u);
}

}  // namespace
}  // namespace testsupport
