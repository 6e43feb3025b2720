// The dirpack program, run as a publisher runs it, on containers this test writes byte by byte
// (valid ones, and ones damaged in every way the reader or the installer must survive), and on
// round trips through its own writer.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "pakorra_version.h"
#include "tests/dirpack/dirpack_harness.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"

namespace dirpacktest {
namespace {

using testsupport::ContainerBytes;
using testsupport::ContainerItem;
using testsupport::ContainerLayout;
using testsupport::Pattern;
using testsupport::PutU32At;
using testsupport::TableEntryAt;

// The bytes of one UTF-16 unit of a text field inside table entry `entry`.
void PutUnitAt(std::string& bytes, size_t entry, size_t fieldOffset, size_t unit, char16_t value) {
  const size_t at = TableEntryAt(entry) + fieldOffset + 2 * unit;
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

std::string Describe(const RunResult& run) {
  return "exit " + std::to_string(run.status) + "\nstdout:\n" + run.out + "stderr:\n" + run.err;
}

const std::vector<ContainerItem>& ValidItems() {
  static const std::vector<ContainerItem> items = {
      {u"xinci8", u"2024.05.01", u".dic", u"新编英汉双解学习词典", Pattern(5000, 1)},
      {u"mingju5", u"2010-01-01", u".dip", u"明镜当代", Pattern(2048, 2)},
      {u"empty", u"2000.1.1", u".dic", u"空", ""},
  };
  return items;
}

// ---- Containers from the independent writer, valid ----

class DirpackOnValidContainers : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteBytes(package, ContainerBytes(ValidItems()))); }
  Scratch scratch;
  const std::string package = scratch / "词典包.dir";
};

TEST_F(DirpackOnValidContainers, ListShowsEveryEntryWithItsTexts) {
  const RunResult run = RunDirpack({"list", package});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_NE(run.out.find("3 entries"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("data area at " + std::to_string(testsupport::DataAreaAt(3))), std::string::npos) << run.out;
  for (const char* text :
       {"xinci8", "mingju5", ".dip", "2024.05.01", "新编英汉双解学习词典", "明镜当代", "5000", "7048"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
}

TEST_F(DirpackOnValidContainers, VerifySaysValid) {
  const RunResult run = RunDirpack({"verify", package});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_NE(run.out.find("valid, 3 entries"), std::string::npos) << run.out;
}

TEST_F(DirpackOnValidContainers, ExtractWritesEachEntryAsIdPlusExtension) {
  const std::string folder = scratch / "out/新";  // neither level exists yet
  const RunResult run = RunDirpack({"extract", package, folder});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(ListFolder(folder), (std::vector<std::string>{"empty.dic", "mingju5.dip", "xinci8.dic"}));
  for (const ContainerItem& item : ValidItems()) {
    std::string name;
    for (char16_t c : item.id + item.ext) name.push_back(static_cast<char>(c));
    std::string data;
    ASSERT_TRUE(ReadBytes(folder + "/" + name, data)) << name;
    EXPECT_TRUE(data == item.data) << name;
  }
}

TEST(DirpackOnValid, EmptyTableAndDataInAnyOrderAreValid) {
  Scratch scratch;
  ASSERT_TRUE(WriteBytes(scratch / "none.dir", ContainerBytes({})));
  RunResult run = RunDirpack({"verify", scratch / "none.dir"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  run = RunDirpack({"list", scratch / "none.dir"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_NE(run.out.find("0 entries"), std::string::npos);

  // Second entry's data first; the table says so through the offsets.
  std::string bytes = ContainerBytes({{u"a", u"d", u".dic", u"t", Pattern(300, 3)}, {u"b", u"d", u".dic", u"t", "xy"}});
  PutU32At(bytes, TableEntryAt(0), 2);
  PutU32At(bytes, TableEntryAt(1), 0);
  bytes.replace(testsupport::DataAreaAt(2), 302, "xy" + Pattern(300, 3));
  ASSERT_TRUE(WriteBytes(scratch / "order.dir", bytes));
  run = RunDirpack({"verify", scratch / "order.dir"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  run = RunDirpack({"extract", scratch / "order.dir", scratch / "x"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  std::string a;
  ASSERT_TRUE(ReadBytes(scratch / "x/a.dic", a));
  EXPECT_TRUE(a == Pattern(300, 3));
}

// ---- Containers from the independent writer, damaged ----

struct Damage {
  const char* name;
  std::string (*make)();
  bool opens;           // whether the reader still opens it (list works)
  const char* message;  // what verify must say
};

// Test names and failure messages show the damage by its name.
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

std::string Valid() { return ContainerBytes(ValidItems()); }

std::string WithHeaderWord(size_t at, uint32_t value) {
  std::string bytes = Valid();
  PutU32At(bytes, at, value);
  return bytes;
}

std::string WithId(const std::u16string& id) {
  std::vector<ContainerItem> items = ValidItems();
  items[1].id = id;
  return ContainerBytes(items);
}

std::string WithExt(const std::u16string& ext) {
  std::vector<ContainerItem> items = ValidItems();
  items[0].ext = ext;
  return ContainerBytes(items);
}

const Damage kDamages[] = {
    {"empty file", [] { return std::string(); }, false, "fewer than its 32-byte header"},
    {"short header", [] { return Valid().substr(0, 31); }, false, "fewer than its 32-byte header"},
    {"bad magic", [] { return WithHeaderWord(0, 0x6E763338); }, false, "magic"},
    {"format words 2 and 7", [] { return WithHeaderWord(12, 7).replace(8, 4, std::string("\x02\0\0\0", 4)); }, false,
     "format words 2 and 7"},
    {"entry size 185", [] { return WithHeaderWord(20, 185); }, false, "185 bytes"},
    {"entry count 0xFFFFFFFF", [] { return WithHeaderWord(24, 0xFFFFFFFF); }, false, "4294967295 entries"},
    {"truncated table", [] { return Valid().substr(0, TableEntryAt(2) + 100); }, false, "needs 584 bytes"},
    {"range past the end", [] { return Valid().substr(0, Valid().size() - 1); }, true, "beyond the file"},
    {"size past the end", [] { return WithHeaderWord(TableEntryAt(1) + testsupport::kEntrySizeField, 0x7FFFFFFF); },
     true, "beyond the file"},
    {"data area over the table", [] { return WithHeaderWord(28, kPackageHeaderBytes); }, true,
     "inside the header and table"},
    {"id climbing out", [] { return WithId(u"..\\evil"); }, true, "not a plain file name"},
    {"id naming a device", [] { return WithId(u"con"); }, true, "not a plain file name"},
    {"id with a control character", [] { return WithId(u"a\u0001b"); }, true, "\\x01"},
    {"empty id", [] { return WithId(u""); }, true, "not a plain file name"},
    {"ext climbing out", [] { return WithExt(u"./../x"); }, true, "not a plain extension"},
    {"id field without its NUL",
     [] {
       std::string bytes = Valid();
       for (size_t unit = 0; unit < kEntryIdUnits; ++unit) PutUnitAt(bytes, 0, testsupport::kEntryIdField, unit, u'x');
       return bytes;
     },
     true, "id field has no ending NUL"},
};

class DirpackOnDamagedContainers : public ::testing::TestWithParam<Damage> {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteBytes(package, GetParam().make())); }
  Scratch scratch;
  const std::string package = scratch / "damaged.dir";
};

TEST_P(DirpackOnDamagedContainers, VerifyNamesTheFault) {
  const RunResult run = RunDirpack({"verify", package});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.out.find(GetParam().message), std::string::npos) << Describe(run);
  EXPECT_NE(run.out.find("invalid"), std::string::npos) << Describe(run);
}

TEST_P(DirpackOnDamagedContainers, ListWorksOnlyWhenTheReaderOpensIt) {
  const RunResult run = RunDirpack({"list", package});
  EXPECT_EQ(run.status, GetParam().opens ? 0 : 1) << Describe(run);
  if (!GetParam().opens) {
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << Describe(run);
  }
}

TEST_P(DirpackOnDamagedContainers, ExtractRefusesBeforeWritingAnything) {
  const std::string folder = scratch / "out";
  const RunResult run = RunDirpack({"extract", package, folder});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << Describe(run);
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(ListFolder(scratch.path()), (std::vector<std::string>{"damaged.dir"})) << "nothing written beside it";
}

INSTANTIATE_TEST_SUITE_P(EachDamage, DirpackOnDamagedContainers, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
                           }
                           return name;
                         });

// A plain name the wizard still refuses: verify says why; extract, the publisher's own tool,
// writes it out as it would any file.
TEST(DirpackOnDamaged, AnExtensionThatIsNoDictionarysFailsVerify) {
  Scratch scratch;
  const std::string package = scratch / "program.dir";
  ASSERT_TRUE(WriteBytes(package, WithExt(u".exe")));
  const RunResult run = RunDirpack({"verify", package});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.out.find("ext \".exe\" is not a dictionary's"), std::string::npos) << Describe(run);
}

TEST(DirpackOnDamaged, DuplicateNamesAreAWarningForVerifyAndRefusedByExtract) {
  Scratch scratch;
  std::vector<ContainerItem> items = ValidItems();
  items[1].id = u"XINCI8";
  items[1].ext = u".dic";
  ASSERT_TRUE(WriteBytes(scratch / "dup.dir", ContainerBytes(items)));
  RunResult run = RunDirpack({"verify", scratch / "dup.dir"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_NE(run.out.find("warning"), std::string::npos) << Describe(run);
  run = RunDirpack({"extract", scratch / "dup.dir", scratch / "out"});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_FALSE(Exists(scratch / "out"));
}

// ---- The writer: round trips and refusals ----

class DirpackCreate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteBytes(scratch / "xinci8.dic", ValidItems()[0].data));
    ASSERT_TRUE(WriteBytes(scratch / "mingju5.dip", ValidItems()[1].data));
    ASSERT_TRUE(WriteBytes(scratch / "empty.dic", ""));
  }
  RunResult Create(const std::string& manifest, std::vector<std::string> extra = {}) {
    EXPECT_TRUE(WriteBytes(scratch / "manifest.txt", manifest));
    std::vector<std::string> args = {"create", out, "-m", scratch / "manifest.txt"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunDirpack(args);
  }
  // Everything in the scratch folder but the inputs.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const std::string& name : ListFolder(scratch.path())) {
      if (name != "xinci8.dic" && name != "mingju5.dip" && name != "empty.dic" && name != "manifest.txt") {
        names.push_back(name);
      }
    }
    return names;
  }

  Scratch scratch;
  const std::string out = scratch / "包.dir";
};

const char kManifest[] =
    "\xEF\xBB\xBF# The three dictionaries of the package\r\n"
    "[entry]\r\n"
    "file  = xinci8.dic\r\n"
    "id    = xinci8\r\n"
    "date  = 2024.05.01\r\n"
    "title = 新编英汉双解学习词典\r\n"
    "\n"
    "; the second one gives its extension\n"
    "[Entry]\n"
    "  file=mingju5.dip\n"
    "  id=mingju5\n"
    "  ext=.dip\n"
    "  date=2010-01-01\n"
    "  title= 明镜当代 \n";

// The writer's layout is fixed (reserved words 0, format words 1, data in order right after the
// table), so its output must equal the independent writer's byte for byte.
TEST_F(DirpackCreate, RoundTripMatchesTheIndependentWriterAndExtractsIdentically) {
  RunResult run = Create(kManifest, {"-e", scratch / "empty.dic", "empty", ".dic", "2000.1.1", "空"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  std::string written;
  ASSERT_TRUE(ReadBytes(out, written));
  EXPECT_TRUE(written == ContainerBytes(ValidItems())) << "container differs from the expected bytes";

  run = RunDirpack({"verify", out});
  EXPECT_EQ(run.status, 0) << Describe(run);
  run = RunDirpack({"list", out});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_NE(run.out.find("明镜当代"), std::string::npos) << run.out;
  run = RunDirpack({"extract", out, scratch / "x"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  for (const char* name : {"xinci8.dic", "mingju5.dip", "empty.dic"}) {
    std::string original, extracted;
    ASSERT_TRUE(ReadBytes(scratch / name, original));
    ASSERT_TRUE(ReadBytes(scratch / "x/" + name, extracted)) << name;
    EXPECT_TRUE(original == extracted) << name;
  }
  EXPECT_EQ(Leftovers(), (std::vector<std::string>{"x", "包.dir"}));
}

TEST_F(DirpackCreate, LargeFilesAreStreamedThrough) {
  const std::string big = Pattern(3 * 1024 * 1024 + 17, 9);
  ASSERT_TRUE(WriteBytes(scratch / "big.dic", big));
  RunResult run = RunDirpack({"create", out, "-e", scratch / "big.dic", "big", ".dic", "2024", "大"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  run = RunDirpack({"verify", out});
  EXPECT_EQ(run.status, 0) << Describe(run);
  run = RunDirpack({"extract", out, scratch / "x"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  std::string back;
  ASSERT_TRUE(ReadBytes(scratch / "x/big.dic", back));
  EXPECT_TRUE(back == big);
}

TEST_F(DirpackCreate, TextsUpToTheirFieldsFitAndOneMoreIsRefused) {
  const std::string emoji = "\xF0\x9F\x93\x96";  // outside the BMP: two UTF-16 units
  std::string title15;
  for (int i = 0; i < 15; ++i) title15 += emoji;
  std::string chinese31;
  for (int i = 0; i < 31; ++i) chinese31 += "词";
  struct Case {
    std::string id, ext, date, title;
    bool fits;
    const char* field;
  };
  const Case cases[] = {
      {std::string(31, 'i'), ".dic", std::string(15, '1'), chinese31, true, ""},
      {std::string(31, 'i'), ".DIC", "d", title15 + "x", true, ""},
      {std::string(32, 'i'), ".dic", "d", "t", false, "id"},
      {"i", ".abcdefg", "d", "t", false, "ext"},
      {"i", ".dic", std::string(16, '1'), "t", false, "date"},
      {"i", ".dic", "d", chinese31 + "词", false, "title"},
      {"i", ".dic", "d", title15 + emoji, false, "title"},
      {"i", ".dic", "d", "", false, "title"},
      {"i", ".dic", "d", "tab\there", false, "title"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunDirpack({"create", out, "-e", scratch / "xinci8.dic", c.id, c.ext, c.date, c.title});
    if (c.fits) {
      EXPECT_EQ(run.status, 0) << Describe(run);
      EXPECT_EQ(RunDirpack({"verify", out}).status, 0);
    } else {
      EXPECT_EQ(run.status, 1) << c.field << "\n" << Describe(run);
      EXPECT_NE(run.err.find(std::string(c.field) + " "), std::string::npos) << Describe(run);
    }
  }
  EXPECT_EQ(Leftovers(), (std::vector<std::string>{"包.dir"})) << "no temporary files";
}

TEST_F(DirpackCreate, UnsafeNamesAndDuplicatesAreRefusedAndNothingIsWritten) {
  // One of each kind; the names test walks every rule.
  const std::vector<std::vector<std::string>> entries = {{"../evil", ".dic", "plain"},
                                                         {"CON", ".dic", "plain"},
                                                         {"ok", ".d/c", "plain"},
                                                         {"ok", ".exe", "installs only \".dic\" and \".dip\""},
                                                         {"ok", ".dll", "not a dictionary's"}};
  for (const std::vector<std::string>& entry : entries) {
    const RunResult run = RunDirpack({"create", out, "-e", scratch / "xinci8.dic", entry[0], entry[1], "d", "t"});
    EXPECT_EQ(run.status, 1) << entry[0] << entry[1] << "\n" << Describe(run);
    EXPECT_NE(run.err.find(entry[2]), std::string::npos) << Describe(run);
  }
  const RunResult run = RunDirpack({"create", out, "-e", scratch / "xinci8.dic", "Xinci8", ".DIC", "d", "t", "-e",
                                    scratch / "mingju5.dip", "xinci8", ".dic", "d", "t"});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.err.find("already given"), std::string::npos) << Describe(run);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(DirpackCreate, ManifestMistakesAreReportedWithTheirLines) {
  struct Case {
    std::string manifest;
    const char* message;
  };
  const Case cases[] = {
      {"id = x\n", ":1: \"id\" before the first [entry]"},
      {"[entry]\nfile = xinci8.dic\nid = a\ndate = d\n", "entry has no \"title\""},
      {"[entry]\nfile = xinci8.dic\nid = a\nid = b\ndate = d\ntitle = t\n", ":4: \"id\" given twice"},
      {"[entry]\nfile = xinci8.dic\nname = a\n", ":3: unknown key \"name\""},
      {"[entry]\nfile xinci8.dic\n", ":2: expected \"key = value\""},
      {"[entries]\n", ":1: unknown section"},
      {"[entry]\nfile = xinci8.dic\nid = a\ndate = d\ntitle = \xE8\xAF\n", "not valid UTF-8"},
      {"[entry]\nfile = missing.dic\nid = a\ndate = d\ntitle = t\n", "cannot open"},
      {"[entry]\nfile = noext\nid = a\ndate = d\ntitle = t\n", "no extension"},
  };
  ASSERT_TRUE(WriteBytes(scratch / "noext", "z"));
  for (const Case& c : cases) {
    const RunResult run = Create(c.manifest);
    EXPECT_EQ(run.status, 1) << c.manifest << Describe(run);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.manifest << Describe(run);
  }
  EXPECT_EQ(Leftovers(), (std::vector<std::string>{"noext"}));
}

TEST_F(DirpackCreate, AFailedCreateLeavesAnEarlierContainerAsItWas) {
  ASSERT_TRUE(WriteBytes(out, "earlier"));
  RunResult run = RunDirpack({"create", out, "-e", scratch / "xinci8.dic", "a", ".dic", "d", "t", "-e",
                              scratch / "gone.dic", "b", ".dic", "d", "t"});
  EXPECT_EQ(run.status, 1) << Describe(run);
  std::string bytes;
  ASSERT_TRUE(ReadBytes(out, bytes));
  EXPECT_EQ(bytes, "earlier");
  // A successful one replaces it.
  run = RunDirpack({"create", out, "-e", scratch / "xinci8.dic", "a", ".dic", "d", "t"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  ASSERT_TRUE(ReadBytes(out, bytes));
  EXPECT_EQ(bytes.substr(0, 4), "93vn");
  EXPECT_EQ(Leftovers(), (std::vector<std::string>{"包.dir"}));
}

// ---- The command line ----

TEST(DirpackCommandLine, WrongUsageExitsWithTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"pack"},
      {"list"},
      {"verify"},
      {"extract", "a.dir"},
      {"list", "a.dir", "b.dir"},
      {"create"},
      {"create", "out.dir"},
      {"create", "out.dir", "-e", "f", "id", ".dic", "date"},
      {"create", "out.dir", "-x"},
  };
  for (const std::vector<std::string>& args : wrong) {
    const RunResult run = RunDirpack(args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(args) << Describe(run);
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << Describe(run);
  }
}

TEST(DirpackCommandLine, VersionIsTheReleaseVersion) {
  const RunResult run = RunDirpack({"--version"});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.out, std::string("dirpack ") + PAKORRA_VERSION_TEXT + "\n") << Describe(run);
}

TEST(DirpackCommandLine, MissingContainerFails) {
  Scratch scratch;
  for (const char* command : {"list", "verify"}) {
    const RunResult run = RunDirpack({command, scratch / "none.dir"});
    EXPECT_EQ(run.status, 1) << Describe(run);
    EXPECT_NE((run.out + run.err).find("cannot open"), std::string::npos) << Describe(run);
  }
}

}  // namespace
}  // namespace dirpacktest
