// dirpack check run as a publisher runs it, on package folders built here: a clean one, then one
// folder per mistake, each made by spoiling one part of the clean folder and nothing else. The
// check must find exactly what was spoiled (and what follows from it), with its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "tests/dirpack/dirpack_harness.h"
#include "tests/dirpack/json_value.h"
#include "tests/dirpack/package_folder_kit.h"
#include "tests/dirpack/text_bytes.h"
#include "tests/support/container_bytes.h"

namespace dirpacktest {
namespace {

using testsupport::ContainerBytes;
using testsupport::ContainerItem;

// ---- Clean folders ----

TEST(DirpackCheckClean, ACleanFolderExitsZeroAndSaysSo) {
  PackageFolder folder;
  const RunResult run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  EXPECT_EQ(run.out, folder.path() + ": clean\n") << Describe(run);
  const RunResult json = RunDirpack({"check", folder.path(), "--json"});
  EXPECT_EQ(json.status, 0) << Describe(json);
  EXPECT_TRUE(JsonCodes(json).empty()) << json.out;
}

TEST(DirpackCheckClean, DescriptionsInAsciiOrGbkAreReadFaithfully) {
  PackageFolder folder;
  folder.Put("dictconfig.ini", "[xinci8]\r\ndesc_name=Xinci\r\n[mingju5]\r\nenable=0\r\n[hanying]\r\nenable=1\r\n");
  RunResult run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  // 汉英日常用语 in code page 936.
  folder.Put("dictconfig.ini",
             "[xinci8]\r\n[mingju5]\r\n[hanying]\r\ndesc_name=\xBA\xBA\xD3\xA2\xC8\xD5\xB3\xA3\xD3\xC3\xD3\xEF\r\n");
  run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
}

TEST(DirpackCheckClean, AValueOf259CharactersIsReadWholeAnd260AreNot) {
  PackageFolder folder;
  folder.Put("dictconfig.ini", Utf16LeWithMark(ConfigText(std::u16string(259, u'词'))));
  RunResult run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, 0) << Describe(run);
  folder.Put("dictconfig.ini", Utf16LeWithMark(ConfigText(std::u16string(260, u'词'))));
  run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, 1) << Describe(run);
  EXPECT_NE(run.out.find("warning: dictconfig.ini: [hanying] desc_intro has 260 characters"), std::string::npos)
      << Describe(run);
}

// ---- One mistake per folder ----

struct Mistake {
  const char* name;  // also the test's name
  std::function<void(PackageFolder&)> make;
  int status;
  std::multiset<std::string> codes;  // every finding's code, consequences included
  const char* line;                  // the start of the line that names the mistake
};

void PrintTo(const Mistake& mistake, std::ostream* out) { *out << mistake.name; }

std::vector<ContainerItem> WithCore(const std::function<void(std::vector<ContainerItem>&)>& change) {
  std::vector<ContainerItem> items = CoreItems();
  change(items);
  return items;
}

const Mistake kMistakes[] = {
    {"no_container",
     [](PackageFolder& f) {
       f.Remove("核心.dir");
       f.Remove("extra.dir");
     },
     2,
     {"no-container", "section-without-entry", "section-without-entry", "section-without-entry"},
     "error: *.dir: no container"},
    {"container_not_opened",
     [](PackageFolder& f) {
       std::string bytes = ContainerBytes(ExtraItems());
       bytes[0] = 'X';
       f.Put("extra.dir", bytes);
     },
     2,
     {"container-refused", "section-without-entry"},
     "error: extra.dir: the wizard cannot open it: not a package container: magic"},
    {"id_naming_a_device",
     [](PackageFolder& f) {
       f.Put("extra.dir", ContainerBytes({ExtraItems()[0], {u"con", u"2024.1.1", u".dic", u"设备", "c"}}));
     },
     2,
     {"name-refused"},
     "error: extra.dir: entry 1 (con.dic): the wizard refuses its id \"con\""},
    {"extension_without_its_dot",
     [](PackageFolder& f) {
       f.Put("extra.dir", ContainerBytes({ExtraItems()[0], {u"extra", u"2024.1.1", u"dic", u"无点", "e"}}));
     },
     2,
     {"name-refused"},
     "error: extra.dir: entry 1 (extradic): the wizard refuses its extension \"dic\""},
    {"extension_of_a_program",
     [](PackageFolder& f) {
       f.Put("extra.dir", ContainerBytes({ExtraItems()[0], {u"extra", u"2024.1.1", u".exe", u"程序", "e"}}));
     },
     2,
     {"extension-refused"},
     "error: extra.dir: entry 1 (extra.exe): the wizard refuses its extension \".exe\" (the wizard installs only"},
    {"data_cut_short",
     [](PackageFolder& f) {
       const std::string bytes = ContainerBytes(CoreItems());
       f.Put("核心.dir", bytes.substr(0, bytes.size() - 1));
     },
     2,
     {"container-damaged"},
     "error: 核心.dir: entry 1 (mingju5.dip): its data"},
    {"wizard_missing",
     [](PackageFolder& f) { f.Remove("pakorra.exe"); },
     2,
     {"program-missing"},
     "error: pakorra.exe: missing"},
    {"probe_library_from_the_64_bit_build",
     [](PackageFolder& f) { f.Put("vintora.dll", ProgramBytes(0x8664)); },
     2,
     {"program-not-32-bit"},
     "error: vintora.dll: the 64-bit (x86-64, machine 0x8664) build"},
    {"wizard_that_is_no_program",
     [](PackageFolder& f) { f.Put("pakorra.exe", "MZ but nothing more"); },
     2,
     {"program-not-pe"},
     "error: pakorra.exe: not a Windows program"},
    {"date_that_does_not_parse",
     [](PackageFolder& f) {
       f.Put("核心.dir",
             ContainerBytes(WithCore([](std::vector<ContainerItem>& items) { items[1].date = u"2010/01/01"; })));
     },
     1,
     {"date-unparsed"},
     "warning: 核心.dir: entry 1 (mingju5.dip): date \"2010/01/01\" does not parse"},
    {"one_dictionary_in_two_containers",
     [](PackageFolder& f) {
       f.Put("extra.dir", ContainerBytes({ExtraItems()[0], CoreItems()[0]}));
     },
     1,
     {"duplicate-key"},
     "warning: 核心.dir: entry 0 (xinci8.dic): installs the same file as entry 1 (xinci8.dic) of extra.dir"},
    {"description_in_UTF_8",
     [](PackageFolder& f) { f.Put("dictconfig.ini", Utf8Bytes(ConfigText())); },
     1,
     {"config-encoding"},
     "warning: dictconfig.ini: saved as UTF-8 with non-ASCII text"},
    {"description_in_UTF_8_with_a_byte_order_mark",
     [](PackageFolder& f) { f.Put("dictconfig.ini", "\xEF\xBB\xBF" + Utf8Bytes(ConfigText())); },
     1,
     {"config-encoding"},
     "warning: dictconfig.ini: saved as UTF-8 with a byte-order mark"},
    {"description_missing",
     [](PackageFolder& f) { f.Remove("dictconfig.ini"); },
     1,
     {"config-missing"},
     "warning: dictconfig.ini: missing"},
    {"section_for_no_dictionary",
     [](PackageFolder& f) { f.Put("dictconfig.ini", Utf16LeWithMark(ConfigText() + u"[chengyu]\r\nenable=1\r\n")); },
     1,
     {"section-without-entry"},
     "warning: dictconfig.ini: section [chengyu] belongs to no dictionary"},
    {"dictionary_without_a_section",
     [](PackageFolder& f) {
       std::u16string text = ConfigText();
       text.replace(text.find(u"[mingju5]"), 9, u"[mingju]");
       f.Put("dictconfig.ini", Utf16LeWithMark(text));
     },
     1,
     {"entry-without-section", "section-without-entry"},
     "warning: dictconfig.ini: no section [mingju5] for entry 1 (mingju5.dip) of 核心.dir"},
    {"image_missing",
     [](PackageFolder& f) { f.Remove("dict_image/mingju5.bmp"); },
     1,
     {"image-missing"},
     "warning: dict_image"},
    {"image_that_is_no_BMP",
     [](PackageFolder& f) { f.Put("dict_image/xinci8.bmp", "\x89PNG\r\n\x1A\n not a bmp"); },
     1,
     {"image-invalid"},
     "warning: dict_image"},
    {"image_with_its_pixels_cut_off",
     [](PackageFolder& f) { f.Put("dict_image/xinci8.bmp", BitmapBytes(64, 64, 24).substr(0, 200)); },
     1,
     {"image-invalid"},
     "warning: dict_image"},
    {"image_whose_header_misstates_its_size",
     [](PackageFolder& f) { f.Put("dict_image/xinci8.bmp", BitmapBytes(3, 2, 24) + "xx"); },
     1,
     {"image-invalid"},
     "warning: dict_image"},
    {"image_that_cannot_be_read",
     [](PackageFolder& f) {
       f.Remove("dict_image/HanYing.BMP");
       MakeFolder(f / "dict_image/hanying.bmp");
     },
     1,
     {"image-unreadable"},
     "warning: dict_image"},
};

class DirpackCheckMistake : public ::testing::TestWithParam<Mistake> {
 protected:
  void SetUp() override { GetParam().make(folder); }
  PackageFolder folder;
};

TEST_P(DirpackCheckMistake, IsFoundAloneWithItsExitStatus) {
  const RunResult run = RunDirpack({"check", folder.path()});
  EXPECT_EQ(run.status, GetParam().status) << Describe(run);
  EXPECT_NE(("\n" + run.out).find("\n" + std::string(GetParam().line)), std::string::npos) << GetParam().line << "\n"
                                                                                           << Describe(run);
  // One line per finding, then the summary.
  const size_t lines = static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n'));
  EXPECT_EQ(lines, GetParam().codes.size() + 1) << Describe(run);
  EXPECT_NE(run.out.find(GetParam().status == 2 ? " error" : " 0 errors, "), std::string::npos) << Describe(run);

  const RunResult json = RunDirpack({"check", "--json", folder.path()});
  EXPECT_EQ(json.status, GetParam().status) << Describe(json);
  EXPECT_EQ(JsonCodes(json), GetParam().codes) << json.out;
}

INSTANTIATE_TEST_SUITE_P(Each, DirpackCheckMistake, ::testing::ValuesIn(kMistakes),
                         [](const ::testing::TestParamInfo<Mistake>& info) { return std::string(info.param.name); });

#ifdef _WIN32
// The deliverables this build made: the i686 build's pass, the x86_64 twins are what the check
// exists to catch.
TEST(DirpackCheckClean, TheBuildsOwnDeliverablesPassOnlyWhen32Bit) {
  PackageFolder folder;
  for (const char* name : {"pakorra.exe", "vintora.dll"}) {
    std::string bytes;
    ASSERT_TRUE(dirpacktest::ReadBytes(dirpacktest::ProgramFolder() + "\\" + name, bytes)) << name;
    folder.Put(name, bytes);
  }
  const RunResult run = RunDirpack({"check", folder.path()});
  if (sizeof(void*) == 4) {
    EXPECT_EQ(run.status, 0) << Describe(run);
  } else {
    EXPECT_EQ(run.status, 2) << Describe(run);
    EXPECT_NE(run.out.find("error: pakorra.exe: the 64-bit (x86-64, machine 0x8664) build"), std::string::npos)
        << Describe(run);
    EXPECT_NE(run.out.find("error: vintora.dll: the 64-bit"), std::string::npos) << Describe(run);
  }
}
#endif

// ---- The command line ----

TEST(DirpackCheckCommandLine, AFolderThatIsNoneIsAnError) {
  Scratch scratch;
  RunResult run = RunDirpack({"check", scratch / "nothing here"});
  EXPECT_EQ(run.status, 2) << Describe(run);
  EXPECT_NE(run.out.find("nothing here: not a folder"), std::string::npos) << Describe(run);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"check"}, {"check", "--json"}, {"check", "a", "b"}}) {
    run = RunDirpack(args);
    EXPECT_EQ(run.status, 2) << Describe(run);
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << Describe(run);
  }
}

TEST(DirpackCheckCommandLine, JsonEscapesWhatItQuotes) {
  PackageFolder folder;
  // A section name with a quote, a backslash and a tab, reported in the message.
  folder.Put("dictconfig.ini", Utf16LeWithMark(ConfigText() + u"[a\"b\\c\td]\r\n"));
  const RunResult run = RunDirpack({"check", folder.path(), "--json"});
  EXPECT_EQ(run.status, 1) << Describe(run);
  jsontest::Value root;
  std::string why;
  ASSERT_TRUE(jsontest::Parse(run.out, root, why)) << why << "\n" << run.out;
  ASSERT_EQ(root.Member("findings").items.size(), 1u) << run.out;
  EXPECT_NE(root.Member("findings").items[0].Member("message").text.find("[a\"b\\c\\x09d]"), std::string::npos)
      << run.out;
  EXPECT_EQ(root.Member("folder").text, folder.path());
}

}  // namespace
}  // namespace dirpacktest
