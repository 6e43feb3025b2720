// Registration of installed dictionaries against real INI files under Wine (code page 936): the
// package's dictconfig.ini written in the ANSI code page as a package would ship it, the host's
// file read back through the profile functions and as bytes.
#include "engine/dict_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/host_paths.h"
#include "engine/inventory.h"
#include "engine/testing_seams.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

using testsupport::FakeHost;
using testsupport::HostRegistry;
using testsupport::IniValue;
using testsupport::ScratchDir;

namespace {

std::string Ansi(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  return bytes;
}

// The section's "key=value" lines in file order.
std::vector<std::wstring> SectionLines(const std::wstring& file, const wchar_t* section) {
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
  std::vector<std::wstring> lines;
  for (DWORD at = 0; at < length && buffer[at] != L'\0';) {
    lines.emplace_back(&buffer[at]);
    at += static_cast<DWORD>(lines.back().size()) + 1;
  }
  return lines;
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
