// Registration of installed dictionaries against real INI files under Wine (code page 936): the
// package's dictconfig.ini written in the ANSI code page as a package would ship it, the host's
// file read back through the profile functions and as bytes.
#include "engine/install/dict_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/host_paths.h"
#include "engine/inventory/inventory.h"
#include "engine/testing_seams.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

std::string Ansi(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  return bytes;
}

// The NUL-terminated strings a profile function put into the buffer, in order.
std::vector<std::wstring> ProfileStrings(const std::vector<wchar_t>& buffer, DWORD length) {
  std::vector<std::wstring> strings;
  for (DWORD at = 0; at < length && buffer[at] != L'\0';) {
    strings.emplace_back(&buffer[at]);
    at += static_cast<DWORD>(strings.back().size()) + 1;
  }
  return strings;
}

// The section's "key=value" lines in file order.
std::vector<std::wstring> SectionLines(const std::wstring& file, const wchar_t* section) {
  std::vector<wchar_t> buffer(32768);
  return ProfileStrings(
      buffer, GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str()));
}

// The file's section names in file order.
std::vector<std::wstring> SectionNames(const std::wstring& file) {
  std::vector<wchar_t> buffer(32768);
  return ProfileStrings(buffer,
                        GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str()));
}

// A planned entry as the start-up check leaves it: given what the wizard's folder holds for it.
PackageEntry Entry(const std::wstring& id) {
  PackageEntry entry;
  entry.id = id;
  entry.ext = L".dic";
  entry.action = EntryAction::Install;
  std::vector<PackageFile> files(1);
  files[0].entries.emplace(1, entry);
  std::shared_ptr<ByteSource> description;
  HoldPackageFiles(files, description);
  return (*files[0].entries)[0];
}

bool CopyDictImage(const std::wstring& id) {
  std::wstring prepared;
  return PrepareDictImage(Entry(id), prepared) && PlaceDictImage(prepared);
}

// A host installation with its plugin folders, and the wizard's own folder with the package's
// description file and images; GetModuleDir answers the latter.
class Registration : public ::testing::Test {
 protected:
  FakeHost host;
  ScratchDir package{L"regpkg"};
  std::wstring hostConfig = host.ConfigPath();
  std::wstring packageConfig = package / L"dictconfig.ini";

  void SetUp() override {
    ASSERT_TRUE(testsupport::MakeDirs(package / L"dict_image"));
    SetModuleDirForTesting(package.path() + L"\\");
  }
  void TearDown() override { SetModuleDirForTesting(L""); }

  void WritePackageConfig(const std::wstring& text) {
    ASSERT_TRUE(testsupport::WriteFileBytes(packageConfig, Ansi(text)));
  }
  void WriteHostConfig(const std::wstring& text) { ASSERT_TRUE(testsupport::WriteFileBytes(hostConfig, Ansi(text))); }
  std::string HostConfigBytes() {
    std::string bytes;
    EXPECT_TRUE(testsupport::ReadFileBytes(hostConfig, bytes));
    return bytes;
  }
};

const wchar_t* const kFullPackageConfig =
    L"[newsdict]\r\n"
    L"func_all=7\r\n"
    L"enable=0\r\n"
    L"desc_copyright=版权所有 新闻社\r\n"
    L"desc_intro=收录常用新闻词汇\r\n"
    L"to=简体中文\r\n"
    L"from=英语\r\n"
    L"catalog=新闻\r\n"
    L"desc_name=新闻词典\r\n"
    L"id_net=net-news-01\r\n"
    L"[other]\r\n"
    L"desc_name=别的词典\r\n";

TEST_F(Registration, MissingHostFileIsCreatedAndFilledInTableOrder) {
  WritePackageConfig(kFullPackageConfig);
  ASSERT_FALSE(testsupport::FileExists(hostConfig));
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));

  const std::vector<std::wstring> expected = {
      L"id=newsdict", L"id_net=net-news-01", L"desc_name=新闻词典",          L"catalog=新闻",
      L"from=英语",   L"to=简体中文",        L"desc_intro=收录常用新闻词汇", L"desc_copyright=版权所有 新闻社",
      L"enable=0",    L"func_all=7"};
  EXPECT_EQ(SectionLines(hostConfig, L"newsdict"), expected);
  EXPECT_TRUE(SectionLines(hostConfig, L"other").empty()) << "only the entry's own section";

  // Created empty, so the profile functions keep writing it in the ANSI code page, no BOM.
  const std::string bytes = HostConfigBytes();
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes[0], '[');
  EXPECT_NE(bytes.find(Ansi(L"desc_name=新闻词典")), std::string::npos);
}

TEST_F(Registration, ExistingHostFileKeepsItsOtherSections) {
  WriteHostConfig(L"; host settings\r\n[older]\r\nid=older\r\ndesc_name=旧词典\r\nenable=1\r\n");
  WritePackageConfig(kFullPackageConfig);
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(IniValue(hostConfig, L"older", L"desc_name"), L"旧词典");
  EXPECT_EQ(IniValue(hostConfig, L"older", L"enable"), L"1");
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_name"), L"新闻词典");
  EXPECT_EQ(HostConfigBytes().rfind("; host settings", 0), 0u) << "the file was extended, not replaced";
}

TEST_F(Registration, EmptyOrMissingValuesLeaveTheHostsValues) {
  WriteHostConfig(L"[newsdict]\r\nid=newsdict\r\ndesc_intro=旧的介绍\r\ncatalog=旧类别\r\nfunc_all=3\r\n");
  WritePackageConfig(L"[newsdict]\r\ndesc_intro=\r\ncatalog=新闻\r\ndesc_name=新闻词典\r\n");
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_intro"), L"旧的介绍");
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"func_all"), L"3");
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"catalog"), L"新闻");
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"enable"), testsupport::kNoIniValue);
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"id_net"), testsupport::kNoIniValue);
}

TEST_F(Registration, EnableZeroIsCopiedAsIs) {
  WriteHostConfig(L"[newsdict]\r\nenable=1\r\n");
  WritePackageConfig(L"[newsdict]\r\nenable=0\r\n");
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"enable"), L"0");
}

TEST_F(Registration, WithoutDictconfigOnlyTheIdIsWritten) {
  EXPECT_FALSE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(SectionLines(hostConfig, L"newsdict"), std::vector<std::wstring>{L"id=newsdict"});
}

TEST_F(Registration, PackageSectionNamesMatchWithoutCase) {
  WritePackageConfig(L"[NewsDict]\r\ndesc_name=新闻词典\r\n");
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_name"), L"新闻词典");
  EXPECT_NE(HostConfigBytes().find("[newsdict]"), std::string::npos) << "the host's section takes the entry's id";
}

TEST_F(Registration, LongValuesArriveCutTo259Characters) {
  const std::wstring longIntro(300, L'词');
  WritePackageConfig(L"[newsdict]\r\ndesc_intro=" + longIntro + L"\r\n");
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_intro"), longIntro.substr(0, 259));
}

TEST_F(Registration, ReadOnlyHostFileIsMadeWritableFirst) {
  WriteHostConfig(L"[older]\r\nid=older\r\n");
  ASSERT_TRUE(SetFileAttributesW(hostConfig.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  WritePackageConfig(kFullPackageConfig);
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  const DWORD attributes = GetFileAttributesW(hostConfig.c_str());
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_name"), L"新闻词典");
  EXPECT_EQ(IniValue(hostConfig, L"older", L"id"), L"older");
}

TEST_F(Registration, EmptyIdWritesNothing) {
  WritePackageConfig(kFullPackageConfig);
  EXPECT_FALSE(RegisterDictConfig(Entry(L"")));
  EXPECT_FALSE(testsupport::FileExists(hostConfig));
}

TEST_F(Registration, NoHostKeyWritesNothing) {
  WritePackageConfig(kFullPackageConfig);
  HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_FALSE(testsupport::FileExists(hostConfig));
}

TEST_F(Registration, UnwritableHostFolderIsReportedAsFailure) {
  WritePackageConfig(kFullPackageConfig);
  ASSERT_TRUE(testsupport::RemoveTree(host / L"plugin\\localquery"));
  EXPECT_FALSE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_FALSE(testsupport::FileExists(hostConfig));
}

TEST_F(Registration, PrepareKeepsAnExistingFileAsItIs) {
  WriteHostConfig(L"[older]\r\nid=older\r\n");
  const std::string before = HostConfigBytes();
  PrepareHostConfigFile(hostConfig);
  EXPECT_EQ(HostConfigBytes(), before);
}

TEST_F(Registration, PrepareCreatesAZeroByteFile) {
  PrepareHostConfigFile(hostConfig);
  ASSERT_TRUE(testsupport::FileExists(hostConfig));
  EXPECT_TRUE(HostConfigBytes().empty());
  EXPECT_EQ(GetFileAttributesW(hostConfig.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// --- One read and one write of the whole section, and the rollback's one write ---

// Counts the profile writes of the run's file steps.
struct ProfileWrites {
  ProfileWrites() {
    ObserveFileStepsForTesting(
        [](FileStep step, const std::wstring&, const std::wstring&, void* context) {
          if (step == FileStep::ProfileWrite) ++*static_cast<int*>(context);
        },
        &count);
  }
  ~ProfileWrites() { ObserveFileStepsForTesting(nullptr, nullptr); }
  int count = 0;
};

struct MergeCase {
  const char* name;
  const wchar_t* host;     // the host's file before (ANSI); null: none
  const wchar_t* package;  // dictconfig.ini (ANSI); null: none
  std::vector<std::wstring> after;     // the section [newsdict] as the profile functions read it then
  std::vector<std::wstring> sections;  // the file's section names then
  bool registered;                     // RegisterDictConfig's answer
};

std::vector<MergeCase> MergeCases() {
  return {
      {"a new section takes the keys in table order", nullptr, kFullPackageConfig,
       {L"id=newsdict", L"id_net=net-news-01", L"desc_name=新闻词典", L"catalog=新闻", L"from=英语", L"to=简体中文",
        L"desc_intro=收录常用新闻词汇", L"desc_copyright=版权所有 新闻社", L"enable=0", L"func_all=7"},
       {L"newsdict"},
       true},
      {"keys the host has keep their place, missing ones go to the end, the host's own stay",
       L"[older]\r\nid=older\r\n[newsdict]\r\nfunc_all=3\r\nextra=the host's\r\nid=old id\r\ndesc_name=旧词典\r\n"
       L"[later]\r\nid=later\r\n",
       L"[newsdict]\r\ndesc_name=新闻词典\r\ncatalog=新闻\r\n",
       {L"func_all=3", L"extra=the host's", L"id=newsdict", L"desc_name=新闻词典", L"catalog=新闻"},
       {L"older", L"newsdict", L"later"},
       true},
      {"an empty or missing value leaves the host's", L"[newsdict]\r\ndesc_intro=旧的介绍\r\nenable=1\r\n",
       L"[newsdict]\r\ndesc_intro=\r\nfrom=英语\r\n",
       {L"desc_intro=旧的介绍", L"enable=1", L"id=newsdict", L"from=英语"},
       {L"newsdict"},
       true},
      {"key names match without case and keep their spelling", L"[newsdict]\r\nID=x\r\nDesc_Name=old\r\n",
       L"[newsdict]\r\ndesc_name=new\r\n", {L"ID=newsdict", L"Desc_Name=new"}, {L"newsdict"}, true},
      {"the first of a repeated key takes the value, the second stays",
       L"[newsdict]\r\ncatalog=a\r\ncatalog=b\r\n", L"[newsdict]\r\ncatalog=c\r\n",
       {L"catalog=c", L"catalog=b", L"id=newsdict"}, {L"newsdict"}, true},
      {"the id's section under another case of its letters is the id's", L"[NewsDict]\r\ndesc_name=old\r\n",
       L"[newsdict]\r\ndesc_name=new\r\n", {L"desc_name=new", L"id=newsdict"}, {L"NewsDict"}, true},
      {"values travel as the files hold them", L"[newsdict]\r\ndesc_intro=\"quoted\"\r\n",
       L"[newsdict]\r\ncatalog=a  b\r\n", {L"desc_intro=\"quoted\"", L"id=newsdict", L"catalog=a  b"},
       {L"newsdict"}, true},
      {"without dictconfig.ini the id alone, reported as not registered", L"[newsdict]\r\nenable=1\r\n", nullptr,
       {L"enable=1", L"id=newsdict"}, {L"newsdict"}, false},
  };
}

TEST_F(Registration, MergeTableWithOneWriteAndARollbackThatPutsTheSectionBack) {
  for (const MergeCase& c : MergeCases()) {
    SCOPED_TRACE(c.name);
    DeleteFileW(hostConfig.c_str());
    if (c.host != nullptr) WriteHostConfig(c.host);
    DeleteFileW(packageConfig.c_str());
    if (c.package != nullptr) WritePackageConfig(c.package);
    const PackageEntry entry = Entry(L"newsdict");
    const std::vector<std::wstring> linesBefore = SectionLines(hostConfig, L"newsdict");
    const std::vector<std::wstring> namesBefore = SectionNames(hostConfig);

    ProfileWrites writes;
    DictSectionSnapshot before;
    EXPECT_EQ(RegisterDictConfig(entry, &before), c.registered);
    EXPECT_EQ(writes.count, 1) << "one write of the whole section";
    EXPECT_EQ(before.id, L"newsdict");
    EXPECT_EQ(before.sectionExisted, !linesBefore.empty());
    EXPECT_EQ(SectionLines(hostConfig, L"newsdict"), c.after);
    EXPECT_EQ(SectionNames(hostConfig), c.sections);

    RestoreDictSection(before);
    EXPECT_EQ(writes.count, 2) << "one write puts it back";
    EXPECT_EQ(SectionLines(hostConfig, L"newsdict"), linesBefore);
    EXPECT_EQ(SectionNames(hostConfig), namesBefore);
  }
}

// The host's file keeps its encoding: a UTF-16 file stays UTF-16 and carries what the code page
// could not.
TEST_F(Registration, AUnicodeHostFileStaysUnicode) {
  ASSERT_TRUE(testsupport::WriteFileBytes(hostConfig, testsupport::Utf16LeWithMark(u"[older]\r\nid=older\r\n")));
  ASSERT_TRUE(testsupport::WriteFileBytes(packageConfig,
                                          testsupport::Utf16LeWithMark(u"[newsdict]\r\ndesc_name=\u1E01 新闻\r\n")));
  EXPECT_TRUE(RegisterDictConfig(Entry(L"newsdict")));
  EXPECT_EQ(HostConfigBytes().rfind("\xFF\xFE", 0), 0u);
  EXPECT_EQ(IniValue(hostConfig, L"newsdict", L"desc_name"), L"\u1E01 新闻");
  EXPECT_EQ(IniValue(hostConfig, L"older", L"id"), L"older");
}

// A section the host's file holds but whose read is cut is not rewritten: its tail would be lost.
TEST_F(Registration, ASectionTooLargeToReadWholeIsLeftAsItIs) {
  // More than the 4 Mi characters a section is read into at most.
  std::wstring huge = L"[newsdict]\r\n";
  for (int i = 0; i < 90000; ++i) huge += L"k" + std::to_wstring(i) + L"=" + std::wstring(40, L'v') + L"\r\n";
  WriteHostConfig(huge);
  WritePackageConfig(kFullPackageConfig);
  const std::string before = HostConfigBytes();
  DictSectionSnapshot snapshot;
  EXPECT_FALSE(RegisterDictConfig(Entry(L"newsdict"), &snapshot));
  EXPECT_TRUE(snapshot.id.empty()) << "no snapshot of a section not read";
  EXPECT_EQ(HostConfigBytes(), before);
}

using Image = Registration;

TEST_F(Image, CopiedOverTheHostsImage) {
  const std::string image = testsupport::Bitmap("new image");
  ASSERT_TRUE(testsupport::WriteFileBytes(package / L"dict_image\\newsdict.bmp", image));
  ASSERT_TRUE(testsupport::WriteFileBytes(host.ImageDir() + L"\\newsdict.bmp", "BM old image, longer"));
  ASSERT_TRUE(SetFileAttributesW((host.ImageDir() + L"\\newsdict.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(CopyDictImage(L"newsdict"));
  EXPECT_EQ(testsupport::FileBytes(host.ImageDir() + L"\\newsdict.bmp"), image);
  EXPECT_EQ(testsupport::ListFolder(host.ImageDir()), std::vector<std::wstring>{L"newsdict.bmp"});
}

// A missing image, or a file that is no BMP (its size field not its size), is not copied.
TEST_F(Image, MissingOrNonBitmapImageFailsAndLeavesTheHostsCopy) {
  ASSERT_TRUE(testsupport::WriteFileBytes(host.ImageDir() + L"\\newsdict.bmp", "BM old"));
  EXPECT_FALSE(CopyDictImage(L"newsdict"));
  for (const std::string& notBitmap : {std::string("BM new"), testsupport::Bitmap("new") + "x", std::string("xx")}) {
    ASSERT_TRUE(testsupport::WriteFileBytes(package / L"dict_image\\newsdict.bmp", notBitmap));
    EXPECT_FALSE(CopyDictImage(L"newsdict"));
  }
  EXPECT_EQ(testsupport::FileBytes(host.ImageDir() + L"\\newsdict.bmp"), "BM old");
  EXPECT_EQ(testsupport::ListFolder(host.ImageDir()), std::vector<std::wstring>{L"newsdict.bmp"});
}

TEST_F(Image, NoIdOrNoHostFails) {
  ASSERT_TRUE(testsupport::WriteFileBytes(package / L"dict_image\\.bmp", testsupport::Bitmap("")));
  EXPECT_FALSE(CopyDictImage(L""));
  EXPECT_FALSE(testsupport::FileExists(host.ImageDir() + L"\\.bmp"));

  ASSERT_TRUE(testsupport::WriteFileBytes(package / L"dict_image\\newsdict.bmp", testsupport::Bitmap("")));
  HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(CopyDictImage(L"newsdict"));
  EXPECT_FALSE(testsupport::FileExists(host.ImageDir() + L"\\newsdict.bmp"));
}

}  // namespace
}  // namespace testsupport
