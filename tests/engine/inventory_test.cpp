// The inventory and the plan on real folders under Wine: containers beside the wizard (the
// module folder is pointed at a scratch folder), installed files in a scratch host.
#include <gtest/gtest.h>

#include <string>

#include "engine/format/entry_name.h"
#include "engine/host_paths.h"
#include "engine/install_engine.h"
#include "engine/testing_seams.h"
#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

// A wizard folder with packages (the module folder points there) and an installed host with
// its core but, until a test adds one, no data folder.
class InventoryTest : public ::testing::Test {
 protected:
  ScratchDir wizard{L"wiz"};
  FakeHost host;
  std::wstring dataDir = host.DataDir();

  void SetUp() override {
    testsupport::RemoveTree(dataDir);
    SetModuleDirForTesting(wizard.path() + L"\\");
  }
  void TearDown() override { SetModuleDirForTesting(L""); }
  void Package(const std::wstring& name, const std::vector<ContainerItem>& items) {
    ASSERT_TRUE(testsupport::WriteFileBytes(wizard / name, ContainerBytes(items)));
  }
  void InstalledFile(const std::wstring& name, const std::string& content = "dictionary") {
    ASSERT_TRUE(testsupport::MakeDirs(dataDir));
    ASSERT_TRUE(testsupport::WriteFileBytes(dataDir + L"\\" + name, content));
  }
  static ContainerItem Item(const std::wstring& id, const std::wstring& ext, const std::string& data = "x",
                            const std::wstring& title = L"T", const std::wstring& date = L"2009.11.13") {
    return testsupport::PackageItem(id, title, data, date, ext);
  }
};

TEST_F(InventoryTest, NoPackagesMeansNothingPlanned) {
  InstallEngine engine;
  EXPECT_EQ(engine.GetPlannedItemCount(), 0);
  EXPECT_TRUE(engine.listsReady);
  EXPECT_TRUE(engine.packageFiles.empty());
  EXPECT_EQ(engine.GetPlannedBlockTotal(), 0u);
  EXPECT_EQ(GetFileAttributesW(dataDir.c_str()), INVALID_FILE_ATTRIBUTES) << "listing never creates the data folder";
}

TEST_F(InventoryTest, ContainersAreListedWithTheirEntries) {
  Package(L"Main.dir",
          {Item(L"NEWS", L".DIC", std::string(2049, 'n'), L"新闻词典"), Item(L"sci", L".dip", "", L"科学")});
  Package(L"empty.dir", {});
  ASSERT_TRUE(testsupport::MakeDirs(wizard / L"folder.dir")) << "a directory named like a container";
  testsupport::WriteFileBytes(wizard / L"notes.dir.txt", "not a container");

  InstallEngine engine;
  ASSERT_EQ(engine.GetPlannedItemCount(), 2);
  ASSERT_EQ(engine.packageFiles.size(), 2u);
  const PackageFile* main = nullptr;
  const PackageFile* empty = nullptr;
  for (const PackageFile& f : engine.packageFiles) (f.fileName == L"Main.dir" ? main : empty) = &f;
  ASSERT_TRUE(main && empty);
  EXPECT_EQ(main->path, wizard.path() + L"\\Main.dir") << "the full-path form has single separators";
  EXPECT_FALSE(empty->entries.has_value());
  ASSERT_TRUE(main->entries.has_value());
  const auto& e = *main->entries;
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].index, 0u);
  EXPECT_EQ(e[1].index, 1u);
  EXPECT_EQ(e[0].id, L"news");
  EXPECT_EQ(e[0].ext, L".dic");
  EXPECT_EQ(e[0].title, L"新闻词典");
  EXPECT_EQ(e[0].size, 2049u);
  EXPECT_EQ(e[0].action, EntryAction::Install);
  EXPECT_EQ(e[0].targetPath, dataDir + L"\\news.dic");
  EXPECT_EQ(engine.GetPlannedBlockTotal(), 2u);
  EXPECT_EQ(e[1].title, L"科学");
  EXPECT_EQ(e[1].action, EntryAction::Install);
  EXPECT_NE(GetFileAttributesW(dataDir.c_str()), INVALID_FILE_ATTRIBUTES) << "planned installs create the data folder";
}

TEST_F(InventoryTest, InstalledFilesAreMatchedByLowerCasedName) {
  InstalledFile(L"News.DIC");
  InstalledFile(L"a.b.dip");
  InstalledFile(L"x.dic.bak");
  InstalledFile(L"nodot");
  InstalledFile(L"ÄRGER.dic");
  Package(L"p.dir", {Item(L"news", L".dic"), Item(L"A.B", L".DIP"), Item(L"x", L".dic")});

  InstallEngine engine;
  ASSERT_GE(engine.GetPlannedItemCount(), 0);
  ASSERT_EQ(engine.installedDicts.size(), 3u);
  const InstalledDict* news = nullptr;
  const InstalledDict* ab = nullptr;
  const InstalledDict* umlaut = nullptr;
  for (const InstalledDict& d : engine.installedDicts) {
    if (d.fileName == L"news.dic") news = &d;
    if (d.fileName == L"a.b.dip") ab = &d;
    if (d.fileName == L"Ärger.dic") umlaut = &d;
  }
  ASSERT_TRUE(news && ab && umlaut) << "only A-Z are lower-cased";
  EXPECT_EQ(news->stem, L"news");
  EXPECT_EQ(news->ext, L".dic");
  EXPECT_EQ(news->path, dataDir + L"\\News.DIC") << "the path keeps the listed case";
  EXPECT_EQ(ab->stem, L"a.b");
  EXPECT_EQ(ab->ext, L".dip");

  const auto& e = *engine.packageFiles[0].entries;
  EXPECT_EQ(e[0].targetPath, news->path);
  EXPECT_NE(e[0].action, EntryAction::Install);
  EXPECT_EQ(e[1].targetPath, ab->path);
  EXPECT_EQ(e[2].action, EntryAction::Install) << "x.dic.bak is not an installed x.dic";
}

TEST_F(InventoryTest, ReadOnlyInstalledFileIsMarked) {
  InstalledFile(L"ro.dic");
  SetFileAttributesW((dataDir + L"\\ro.dic").c_str(), FILE_ATTRIBUTE_READONLY);
  InstallEngine engine;
  ASSERT_GE(engine.GetPlannedItemCount(), 0);
  ASSERT_EQ(engine.installedDicts.size(), 1u);
  EXPECT_TRUE(engine.installedDicts[0].readOnly);
}

TEST_F(InventoryTest, InvalidContainerFailsTheBuildAndTheNextCallRetries) {
  Package(L"good.dir", {Item(L"a", L".dic")});
  ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"bad.dir", "93vn but far too short"));
  InstallEngine engine;
  EXPECT_EQ(engine.GetPlannedItemCount(), -1);
  EXPECT_FALSE(engine.listsReady);
  EXPECT_EQ(engine.GetPlannedBlockTotal(), 0u);

  Package(L"bad.dir", {Item(L"b", L".dic", std::string(5000, 'b'))});
  EXPECT_EQ(engine.GetPlannedItemCount(), 2) << "a later call builds the lists again from scratch";
  EXPECT_TRUE(engine.listsReady);
  EXPECT_EQ(engine.packageFiles.size(), 2u);
  EXPECT_EQ(engine.GetPlannedBlockTotal(), 1u + 3u);
}

// One entry that does not make a plain file name invalidates its whole container, be it the id or
// the extension; which names are plain is the name rule's (package_reader_names_test).
TEST_F(InventoryTest, EntryWithoutAPlainFileNameMakesTheContainerInvalid) {
  const std::pair<std::wstring, std::wstring> refused[] = {{L"..\\..\\evil", L".dic"}, {L"a", L".d\\c"}};
  for (const auto& [id, ext] : refused) {
    Package(L"p.dir", {Item(L"fine", L".dic"), Item(id, ext)});
    InstallEngine engine;
    EXPECT_EQ(engine.GetPlannedItemCount(), -1) << testsupport::Narrow(id) << " / " << testsupport::Narrow(ext);
  }
}

TEST_F(InventoryTest, FullWidthFieldsAreTakenWhole) {
  const std::wstring id31(31, L'i'), id32(32, L'j'), title32(32, L'T');
  Package(L"p.dir", {Item(id32, L".dic", "x", title32)});
  InstallEngine engine;
  ASSERT_EQ(engine.GetPlannedItemCount(), 1);
  const PackageEntry& e = (*engine.packageFiles[0].entries)[0];
  EXPECT_EQ(e.id, id32);
  EXPECT_EQ(e.title, title32);
}

// Installed files carry the date stamps the host's core reads, and dates decide.
TEST_F(InventoryTest, DatesFromTheHostCoreDecideUpgrades) {
  InstalledFile(L"same.dic", "name=same\n<date_time>2009.11.13</date_time>\n");
  InstalledFile(L"older.dic", "<date_time>2009-11-12</date_time>");
  InstalledFile(L"newer.dip", "<date_time>2010.1.1</date_time>");
  InstalledFile(L"fourth.dic", "<date_time>2009.11.13</date_time>");
  InstalledFile(L"nostamp.dic", "no stamp here");
  Package(L"p.dir", {Item(L"same", L".dic"), Item(L"older", L".dic"), Item(L"newer", L".dip"),
                     Item(L"fourth", L".dic", "x", L"T", L"2009-11-13-1"), Item(L"nostamp", L".dic")});
  InstallEngine engine;
  ASSERT_EQ(engine.GetPlannedItemCount(), 3);
  for (const InstalledDict& d : engine.installedDicts) {
    if (d.fileName == L"same.dic") {
      EXPECT_EQ(d.date.year * 10000 + d.date.month * 100 + d.date.day, 20091113u);
    }
    if (d.fileName == L"nostamp.dic") {
      EXPECT_EQ(d.date.year, 0u) << "an unreadable stamp is a zero date";
    }
  }
  const auto& e = *engine.packageFiles[0].entries;
  EXPECT_EQ(e[0].action, EntryAction::Skip);
  EXPECT_EQ(e[1].action, EntryAction::Upgrade);
  EXPECT_EQ(e[2].action, EntryAction::Skip) << "no downgrade";
  EXPECT_EQ(e[3].action, EntryAction::Upgrade) << "later only in the fourth number";
  EXPECT_EQ(e[4].action, EntryAction::Upgrade) << "an unreadable installed stamp counts as older";
}

// What an interrupted run left is dated copy by copy: a file beside its backup by itself, and its
// backup too (the plan weighs both: the file may be an earlier release's cut in-place upgrade,
// or complete and newer); a backup alone stands for its dictionary, dated by itself; a new copy
// beside a file changes nothing.
TEST_F(InventoryTest, LeftoversAreDatedCopyByCopy) {
  InstalledFile(L"cut.dic", "<date_time>2009.11.13</date_time> the first part of the new version");
  InstalledFile(std::wstring(L"cut.dic") + kBackupSuffix, "<date_time>2001.1.1</date_time> the old dictionary");
  InstalledFile(L"old.dic", "<date_time>2001.1.1</date_time>");
  InstalledFile(std::wstring(L"old.dic") + kNewFileSuffix, "<date_time>2009.11.13</date_time> half of the new copy");
  InstalledFile(std::wstring(L"Lone.DIC") + kBackupSuffix, "<date_time>2010.1.1</date_time> the only copy");
  InstalledFile(L"newer.dic", "<date_time>2010.1.1</date_time> complete, its backup's delete failed");
  InstalledFile(std::wstring(L"newer.dic") + kBackupSuffix, "<date_time>2001.1.1</date_time> the old dictionary");
  InstalledFile(L"blank.dic", "no stamp: cut before its text was whole");
  InstalledFile(std::wstring(L"blank.dic") + kBackupSuffix, "<date_time>2012.1.1</date_time> the old dictionary");
  Package(L"p.dir", {Item(L"cut", L".dic"), Item(L"old", L".dic"), Item(L"lone", L".dic"), Item(L"newer", L".dic"),
                     Item(L"blank", L".dic")});
  InstallEngine engine;
  ASSERT_EQ(engine.GetPlannedItemCount(), 2);
  ASSERT_EQ(engine.installedDicts.size(), 5u);
  const auto record = [&](const wchar_t* fileName) -> const InstalledDict& {
    for (const InstalledDict& d : engine.installedDicts) {
      if (d.fileName == fileName) return d;
    }
    ADD_FAILURE() << "no record of " << testsupport::Narrow(fileName);
    return engine.installedDicts.front();
  };
  const auto ymd = [](const DictDate& d) { return d.year * 10000 + d.month * 100 + d.day; };
  EXPECT_EQ(ymd(record(L"cut.dic").date), 20091113u);
  EXPECT_TRUE(record(L"cut.dic").dateRead);
  EXPECT_TRUE(record(L"cut.dic").backupBeside);
  EXPECT_EQ(ymd(record(L"cut.dic").backupDate), 20010101u);
  EXPECT_FALSE(record(L"old.dic").backupBeside);
  EXPECT_EQ(record(L"lone.dic").path, dataDir + L"\\Lone.DIC") << "the name it will have again";
  EXPECT_FALSE(record(L"lone.dic").backupBeside);
  EXPECT_EQ(ymd(record(L"lone.dic").date), 20100101u) << "dated by the backup it stands for";
  EXPECT_FALSE(record(L"blank.dic").dateRead);
  EXPECT_EQ(ymd(record(L"blank.dic").backupDate), 20120101u);
  const auto& e = *engine.packageFiles[0].entries;
  EXPECT_EQ(e[0].action, EntryAction::Upgrade) << "the same package completes its cut upgrade";
  EXPECT_EQ(e[1].action, EntryAction::Upgrade);
  EXPECT_EQ(e[2].action, EntryAction::Skip) << "never an older version over the only copy";
  EXPECT_EQ(e[3].action, EntryAction::Skip) << "never an older version over the newest copy";
  EXPECT_EQ(e[4].action, EntryAction::Skip) << "a file without a stamp is no copy to keep, its newer backup is";
  EXPECT_EQ(testsupport::ListFolder(dataDir).size(), 9u) << "the check changes nothing on disk";
}

TEST_F(InventoryTest, MissingDataFolderListsNothing) {
  InstallEngine engine;
  std::vector<InstalledDict> list(1);
  EXPECT_TRUE(engine.ReadLocalDictFilesInfo(list));
  EXPECT_TRUE(list.empty());
}

TEST_F(InventoryTest, HostFolderMissingFromRegistryFailsTheBuild) {
  HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  Package(L"p.dir", {Item(L"a", L".dic")});
  InstallEngine engine;
  EXPECT_EQ(engine.GetPlannedItemCount(), -1);
  EXPECT_TRUE(engine.packageFiles.empty()) << "the lists stay as they were";
}

TEST_F(InventoryTest, OverlongWizardFolderFindsNoPackages) {
  Package(L"p.dir", {Item(L"a", L".dic")});
  SetModuleDirForTesting(wizard.path() + L"\\" + std::wstring(260, L'x') + L"\\");
  InstallEngine engine;
  EXPECT_EQ(engine.GetPlannedItemCount(), 0);
}

}  // namespace
}  // namespace testsupport
