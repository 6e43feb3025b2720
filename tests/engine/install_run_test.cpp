// The installation run under Wine with real containers and a scratch host registered in the real
// registry. Checks the reports, the installed bytes, the backups and what every kind of failure
// leaves behind.
#include "engine/install/install_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/format/package_reader.h"
#include "engine/host_paths.h"
#include "engine/install/install_files.h"
#include "engine/inventory/inventory.h"
#include "engine/plan/inventory_records.h"
#include "engine/testing_seams.h"
#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/install_reports.h"
#include "tests/support/planned_install.h"

namespace testsupport {
namespace {

// Compares a file with the bytes expected, reporting sizes and the first difference only.
::testing::AssertionResult HoldsBytes(const std::wstring& path, const std::string& expected) {
  std::string bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return ::testing::AssertionFailure() << "cannot read the file";
  if (bytes == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < bytes.size() && at < expected.size() && bytes[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << bytes.size() << " bytes, " << expected.size()
                                       << " expected, first difference at " << at;
}

bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

const auto Entry = testsupport::EntryReports;

class InstallRunTest : public testsupport::PlannedInstallTest {
 protected:
  void TearDown() override {
    InjectTargetFaultForTesting(TargetFault::None, 0);
    PlannedInstallTest::TearDown();
  }

  // The run's reports; it must go on to its end.
  static std::vector<std::string> Run(std::vector<PackageFile>& files) {
    RecordingReporter reporter;
    EXPECT_TRUE(InstallAll(files, reporter));
    return reporter.log;
  }

  // Every file in the data folder whose name ends with the backup suffix.
  std::vector<std::wstring> Backups() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dataDir + L"\\*" + kBackupSuffix).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }
};

// --- The message sequence -------------------------------------------------------------------

TEST_F(InstallRunTest, TwoPackageFilesInstallInOrderWithOneStepPerChunk) {
  Installed(L"gamma", "old gamma");
  Installed(L"beta", "beta stays");
  std::vector<PackageFile> files;
  files.push_back(Package(L"one.dir", {{L"alpha", Pattern(5000, 1), EntryAction::Install, L"甲词典"},
                                       {L"beta", Pattern(100, 2), EntryAction::Skip, L"乙"},
                                       {L"gamma", Pattern(2048, 3), EntryAction::Upgrade, L"丙"}}));
  files.push_back(Package(L"two.dir", {{L"delta", "", EntryAction::Install, L"丁"},
                                       {L"epsilon", Pattern(2049, 5), EntryAction::Install, L"戊"}}));

  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"甲词典", EntryAction::Install, 3, true),
                                  Entry(L"丙", EntryAction::Upgrade, 1, true),
                                  Entry(L"丁", EntryAction::Install, 1, true),
                                  Entry(L"戊", EntryAction::Install, 2, true),
                                  {"finish"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"alpha"), Pattern(5000, 1)));
  EXPECT_EQ(FileBytes(Target(L"beta")), "beta stays");
  EXPECT_TRUE(HoldsBytes(Target(L"gamma"), Pattern(2048, 3)));
  EXPECT_EQ(FileBytes(Target(L"delta")), "");
  EXPECT_TRUE(HoldsBytes(Target(L"epsilon"), Pattern(2049, 5)));
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, SkipEntriesAndEntrylessPackagesSendNothing) {
  Installed(L"kept", "kept");
  std::vector<PackageFile> files;
  files.push_back(Package(L"skips.dir", {{L"kept", Pattern(10, 1), EntryAction::Skip, L"K"},
                                         {L"other", Pattern(10, 2), EntryAction::Skip, L"O"}}));
  PackageFile entryless;
  entryless.path = wizard / L"absent.dir";  // never opened: it has no entries
  files.push_back(entryless);

  EXPECT_EQ(Run(files), (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(FileBytes(Target(L"kept")), "kept");
  EXPECT_FALSE(FileExists(Target(L"other")));
}

TEST_F(InstallRunTest, EmptyEntrySendsOneStepAndLeavesAnEmptyFile) {
  Installed(L"was", "something");
  std::vector<PackageFile> files{
      Package(L"e.dir", {{L"new", "", EntryAction::Install, L"N"}, {L"was", "", EntryAction::Upgrade, L"W"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"N", EntryAction::Install, 1, true),
                                  Entry(L"W", EntryAction::Upgrade, 1, true),
                                  {"finish"}}));
  EXPECT_TRUE(FileExists(Target(L"new")));
  EXPECT_EQ(FileBytes(Target(L"new")), "");
  EXPECT_EQ(FileBytes(Target(L"was")), "");
  EXPECT_TRUE(Backups().empty());
}

// --- Upgrades and their backups ------------------------------------------------------------

// A read-only installed file is upgraded and left writable, also when the host's service holds it
// open: the rename that gives up its name then fails until the repair tool has stopped the
// service, and is made again. Without a backup beside it the file is moved aside; with one, the
// new file is placed over it.
TEST_F(InstallRunTest, ReadOnlyTargetIsUpgradedAndLeftWritable) {
  const struct {
    const char* name;
    bool heldByTheService;
    bool backupBeside;
  } cases[] = {{"not held", false, false}, {"held, moved aside", true, false}, {"held, placed over", true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Installed(L"ro", "old read-only", true);
    if (c.backupBeside) {
      ASSERT_TRUE(WriteFileBytes(BackupPathOf(Target(L"ro")), "an older copy"));
    }
    ChildProcess service;
    if (c.heldByTheService) {
      ASSERT_TRUE(testsupport::StartService(service, host.ServiceExe(), {L"--hold", Target(L"ro")}));
      ASSERT_FALSE(MoveFileW(Target(L"ro").c_str(), (Target(L"ro") + L".probe").c_str())) << "held: no rename";
    }
    std::vector<PackageFile> files{Package(L"p.dir", {{L"ro", Pattern(5000, 9), EntryAction::Upgrade, L"R"}})};
    EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"R", EntryAction::Upgrade, 3, true), {"finish"}}));
    EXPECT_TRUE(HoldsBytes(Target(L"ro"), Pattern(5000, 9)));
    EXPECT_FALSE(IsReadOnly(Target(L"ro")));
    EXPECT_TRUE(Backups().empty());
  }
}

TEST_F(InstallRunTest, FailedReadAfterBackupPutsTheInstalledFileBack) {
  Installed(L"up", "installed bytes");
  // 5000 bytes planned, 2000 of them missing: the second chunk's read fails.
  std::vector<PackageFile> files{Package(L"p.dir", {{L"up", Pattern(5000, 1), EntryAction::Upgrade, L"U"}}, 2000)};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"U", EntryAction::Upgrade, 2, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"up")), "installed bytes");
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, FailedReadOfNewInstallLeavesNoPartialFile) {
  std::vector<PackageFile> files{Package(L"p.dir", {{L"fresh", Pattern(5000, 1), EntryAction::Install, L"F"}}, 1)};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"F", EntryAction::Install, 3, false), {"finish"}}));
  EXPECT_FALSE(FileExists(Target(L"fresh")));
}

TEST_F(InstallRunTest, StaleBackupIsOverwrittenPathThenRemovedOnSuccess) {
  Installed(L"st", "partial from a crashed run");
  ASSERT_TRUE(WriteFileBytes(BackupPathOf(Target(L"st")), "the real old file"));
  SetFileAttributesW(BackupPathOf(Target(L"st")).c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<PackageFile> files{Package(L"p.dir", {{L"st", Pattern(2500, 4), EntryAction::Upgrade, L"S"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"S", EntryAction::Upgrade, 2, true), {"finish"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"st"), Pattern(2500, 4)));
  EXPECT_TRUE(Backups().empty()) << "a read-only stale backup is removed all the same";
}

// A backup beside the file may be the only intact copy (the file under its own name cut off by an
// earlier release's run): an upgrade that fails leaves both exactly as they were.
TEST_F(InstallRunTest, FailedUpgradeKeepsABackupBesideTheFile) {
  Installed(L"st", "the installed file");
  ASSERT_TRUE(WriteFileBytes(BackupPathOf(Target(L"st")), "an older copy"));
  std::vector<PackageFile> files{Package(L"p.dir", {{L"st", Pattern(2500, 4), EntryAction::Upgrade, L"S"}}, 10)};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"S", EntryAction::Upgrade, 2, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"st")), "the installed file");
  EXPECT_EQ(FileBytes(BackupPathOf(Target(L"st"))), "an older copy");
}

// The installed file is held open without delete sharing by someone the service stop cannot
// end, so it cannot be moved aside: it stays as it was, and the new copy beside it goes.
TEST_F(InstallRunTest, ImpossibleBackupLeavesTheInstalledFileUntouched) {
  Installed(L"held", "precious", true);
  Installed(L"next", "next old");
  std::vector<PackageFile> files{Package(L"p.dir", {{L"held", Pattern(4000, 1), EntryAction::Upgrade, L"H"},
                                                    {L"next", Pattern(10, 2), EntryAction::Upgrade, L"X"}})};
  HANDLE holder = CreateFileW(Target(L"held").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  // The data are written beside the file first; only moving the file aside fails.
  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"H", EntryAction::Upgrade, 2, false),
                                  Entry(L"X", EntryAction::Upgrade, 1, true),
                                  {"finish"}}));
  CloseHandle(holder);
  EXPECT_EQ(FileBytes(Target(L"held")), "precious");
  EXPECT_TRUE(IsReadOnly(Target(L"held"))) << "its attributes are given back too";
  EXPECT_TRUE(HoldsBytes(Target(L"next"), Pattern(10, 2)));
  EXPECT_TRUE(Backups().empty());
}

// The container was replaced after the inventory by one with fewer entries: the entry cannot be
// found, after its installed file was already moved aside.
TEST_F(InstallRunTest, EntryMissingFromTheContainerPutsTheInstalledFileBack) {
  Installed(L"up", "installed", true);
  std::vector<PackageFile> files{Package(L"p.dir", {{L"up", Pattern(10, 1), EntryAction::Upgrade, L"U"}})};
  (*files[0].entries)[0].index = 1;
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"U", EntryAction::Upgrade, 0, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"up")), "installed");
  EXPECT_TRUE(IsReadOnly(Target(L"up")));
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, UpgradeWhoseFileVanishedWritesANewOne) {
  std::vector<PackageFile> files{Package(L"p.dir", {{L"gone", Pattern(100, 1), EntryAction::Upgrade, L"G"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"G", EntryAction::Upgrade, 1, true), {"finish"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"gone"), Pattern(100, 1)));
}

// --- Installs over files that are already there --------------------------------------------

// Two entries with the same key are both planned as new installs; the second one's failure must
// not take the first one's file with it.
TEST_F(InstallRunTest, FailedInstallOverAnExistingFileKeepsThatFile) {
  std::vector<PackageFile> files{Package(L"p.dir",
                                         {{L"twin", Pattern(3000, 1), EntryAction::Install, L"T1"},
                                          {L"twin", Pattern(3000, 2), EntryAction::Install, L"T2"}},
                                         5)};
  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"T1", EntryAction::Install, 2, true),
                                  Entry(L"T2", EntryAction::Install, 2, false),
                                  {"finish"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"twin"), Pattern(3000, 1)));
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, SuccessfulInstallOverAnExistingFileReplacesIt) {
  Installed(L"other", "a file the inventory does not list", true);
  std::vector<PackageFile> files{Package(L"p.dir", {{L"other", Pattern(700, 3), EntryAction::Install, L"O"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"O", EntryAction::Install, 1, true), {"finish"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"other"), Pattern(700, 3)));
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, TargetThatIsAFolderOrInAMissingFolderFails) {
  ASSERT_TRUE(testsupport::MakeDirs(Target(L"dir")));
  std::vector<PackageFile> files{Package(L"p.dir", {{L"dir", Pattern(10, 1), EntryAction::Upgrade, L"D"},
                                                    {L"nf", Pattern(10, 2), EntryAction::Install, L"N"}})};
  (*files[0].entries)[1].targetPath = host / L"no such folder\\nf.dic";
  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"D", EntryAction::Upgrade, 0, false),
                                  Entry(L"N", EntryAction::Install, 0, false),
                                  {"finish"}}));
  EXPECT_NE(GetFileAttributesW(Target(L"dir").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesW((host / L"no such folder").c_str()), INVALID_FILE_ATTRIBUTES) << "no folder is made";
  EXPECT_TRUE(Backups().empty());
}

// --- Failing writes (a full disk, injected) --------------------------------------------------

TEST_F(InstallRunTest, FailedWriteFailsTheEntryAndRestoresTheBackup) {
  Installed(L"up", "installed", true);
  std::vector<PackageFile> files{Package(L"p.dir", {{L"up", Pattern(10000, 1), EntryAction::Upgrade, L"U"}})};
  InjectTargetFaultForTesting(TargetFault::Write, 3000);
  // The second chunk fits only partly: its step is sent, then the entry stops.
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"U", EntryAction::Upgrade, 2, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"up")), "installed");
  EXPECT_TRUE(IsReadOnly(Target(L"up"))) << "back with the attributes it had";
  EXPECT_TRUE(Backups().empty());
}

TEST_F(InstallRunTest, FailedWriteOfNewInstallLeavesNoFile) {
  std::vector<PackageFile> files{Package(L"p.dir", {{L"n", Pattern(4096, 1), EntryAction::Install, L"N"}})};
  InjectTargetFaultForTesting(TargetFault::Write, 4095);
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"N", EntryAction::Install, 2, false), {"finish"}}));
  EXPECT_FALSE(FileExists(Target(L"n")));
}

TEST_F(InstallRunTest, FailedCloseFailsTheEntryAndRestoresTheBackup) {
  Installed(L"up", "installed");
  std::vector<PackageFile> files{Package(L"p.dir", {{L"up", Pattern(2100, 1), EntryAction::Upgrade, L"U"}})};
  InjectTargetFaultForTesting(TargetFault::Close, 0);
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"U", EntryAction::Upgrade, 2, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"up")), "installed");
  EXPECT_TRUE(Backups().empty());
}

// --- Containers and answers ----------------------------------------------------------------

// The run reads only the containers the start-up check held: one not held, or one that no longer
// reads as a container, is reported, whatever lies under its name now.
TEST_F(InstallRunTest, ContainerNotHeldOrUnreadableIsReportedAndTheNextOneGoesOn) {
  std::vector<PackageFile> files;
  files.push_back(Package(L"gone.dir", {{L"a", Pattern(10, 1), EntryAction::Install, L"A"}}));
  files.push_back(Package(L"bad.dir", {{L"b", Pattern(10, 2), EntryAction::Install, L"B"}}));
  files.push_back(Package(L"fine.dir", {{L"c", Pattern(10, 3), EntryAction::Install, L"C"}}));
  files[0].data.reset();
  static const uint8_t kNotAContainer[] = "not a container any more";
  files[1].data = std::make_shared<MemoryByteSource>(kNotAContainer, sizeof(kNotAContainer));

  EXPECT_EQ(Run(files), Sequence({{"start", "unpack_fail " + testsupport::Narrow(files[0].path),
                                   "unpack_fail " + testsupport::Narrow(files[1].path)},
                                  Entry(L"C", EntryAction::Install, 1, true),
                                  {"finish"}}));
  EXPECT_FALSE(FileExists(Target(L"a")));
  EXPECT_FALSE(FileExists(Target(L"b")));
  EXPECT_TRUE(HoldsBytes(Target(L"c"), Pattern(10, 3)));
}

TEST_F(InstallRunTest, AnswerOtherThanOneToUnpackFailStopsTheRun) {
  std::vector<PackageFile> files;
  files.push_back(Package(L"gone.dir", {{L"a", Pattern(10, 1), EntryAction::Install, L"A"}}));
  files.push_back(Package(L"fine.dir", {{L"c", Pattern(10, 3), EntryAction::Install, L"C"}}));
  files[0].data.reset();
  RecordingReporter reporter;
  reporter.goOnAfterFailedContainer = false;
  EXPECT_FALSE(InstallAll(files, reporter));
  EXPECT_EQ(reporter.log, (std::vector<std::string>{"start", "unpack_fail " + testsupport::Narrow(files[0].path)}));
  EXPECT_FALSE(FileExists(Target(L"c")));
}

TEST_F(InstallRunTest, AnswerOtherThanOneToItemFailStopsAtOnce) {
  Installed(L"later", "later old");
  std::vector<PackageFile> files;
  files.push_back(Package(L"one.dir",
                          {{L"ok", Pattern(10, 1), EntryAction::Install, L"OK"},
                           {L"later", Pattern(10, 2), EntryAction::Upgrade, L"L"},
                           {L"bad", Pattern(3000, 3), EntryAction::Install, L"BAD"}},
                          1));
  // The failing entry comes last in the container but is planned before the others.
  std::swap((*files[0].entries)[1], (*files[0].entries)[2]);
  files.push_back(Package(L"two.dir", {{L"two", Pattern(10, 4), EntryAction::Install, L"TWO"}}));
  RecordingReporter reporter;
  reporter.goOnAfterFailedItem = false;
  EXPECT_FALSE(InstallAll(files, reporter));
  EXPECT_EQ(reporter.log, Sequence({{"start"},
                                    Entry(L"OK", EntryAction::Install, 1, true),
                                    Entry(L"BAD", EntryAction::Install, 2, false)}));
  EXPECT_EQ(FileBytes(Target(L"later")), "later old");
  EXPECT_FALSE(FileExists(Target(L"bad")));
  EXPECT_FALSE(FileExists(Target(L"two")));
  EXPECT_EQ(FileBytes(Target(L"ok")), Pattern(10, 1)) << "entries installed before the stop stay";
}

// --- Registration after each success --------------------------------------------------------

// The description and images as the start-up check holds them: a success is registered and gets
// its image; a failed entry leaves the host's configuration and image folder as they were.
TEST_F(InstallRunTest, SuccessRegistersTheDictionaryAndAFailureLeavesTheImageFolder) {
  ASSERT_TRUE(
      WriteFileBytes(wizard / L"dictconfig.ini", "[reg]\r\ndesc_name=Registered\r\n[bad]\r\ndesc_name=Bad\r\n"));
  ASSERT_TRUE(testsupport::MakeDirs(wizard / L"dict_image"));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\reg.bmp", testsupport::Bitmap("reg")));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\bad.bmp", testsupport::Bitmap("bad")));
  ASSERT_TRUE(WriteFileBytes(host.ImageDir() + L"\\bad.bmp", "the host's own image"));
  std::vector<PackageFile> files{Package(
      L"p.dir",
      {{L"reg", Pattern(10, 1), EntryAction::Install, L"R"}, {L"bad", Pattern(3000, 2), EntryAction::Install, L"B"}},
      1)};
  std::shared_ptr<ByteSource> description;
  HoldPackageFiles(files, description);
  Run(files);

  EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"reg", L"desc_name"), L"Registered");
  EXPECT_EQ(FileBytes(host.ImageDir() + L"\\reg.bmp"), testsupport::Bitmap("reg"));
  EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"bad", L"id"), testsupport::kNoIniValue)
      << "a failed entry is not registered";
  EXPECT_EQ(testsupport::ListFolder(host.ImageDir()), (std::vector<std::wstring>{L"bad.bmp", L"reg.bmp"}));
  EXPECT_EQ(FileBytes(host.ImageDir() + L"\\bad.bmp"), "the host's own image");
}

// An image that cannot take its place (here a folder holds its name) leaves the dictionary
// installed and registered, but the host does not fully know it: the run's end counts it as it
// counts a failed registration.
TEST_F(InstallRunTest, ImageThatCannotBePlacedCountsAtTheEnd) {
  ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini", "[pic]\r\ndesc_name=Pictured\r\n"));
  ASSERT_TRUE(testsupport::MakeDirs(wizard / L"dict_image"));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\pic.bmp", testsupport::Bitmap("pic")));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\fine.bmp", testsupport::Bitmap("fine")));
  ASSERT_TRUE(CreateDirectoryW((host.ImageDir() + L"\\pic.bmp").c_str(), nullptr));
  std::vector<PackageFile> files{Package(L"p.dir", {{L"pic", Pattern(10, 1), EntryAction::Install, L"P"},
                                                    {L"fine", Pattern(10, 2), EntryAction::Install, L"F"}})};
  std::shared_ptr<ByteSource> description;
  HoldPackageFiles(files, description);
  EXPECT_EQ(Run(files), Sequence({{"start"},
                                  Entry(L"P", EntryAction::Install, 1, true),
                                  Entry(L"F", EntryAction::Install, 1, true),
                                  {"finish 1"}}));
  EXPECT_TRUE(HoldsBytes(Target(L"pic"), Pattern(10, 1)));
  EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"pic", L"desc_name"), L"Pictured");
  EXPECT_EQ(FileBytes(host.ImageDir() + L"\\fine.bmp"), testsupport::Bitmap("fine"));
  EXPECT_EQ(testsupport::ListFolder(host.ImageDir()), (std::vector<std::wstring>{L"fine.bmp", L"pic.bmp"}))
      << "no copy is left waiting";
  RemoveDirectoryW((host.ImageDir() + L"\\pic.bmp").c_str());
}

// --- The file steps the run cannot show on their own ------------------------------------------

// Moving aside never replaces a file at the backup name, which may be the only intact copy;
// putting back replaces whatever stands at the dictionary's name in one rename.
TEST_F(InstallRunTest, MoveAsideKeepsAnExistingBackupAndPutBackReplacesTheName) {
  const std::wstring path = Target(L"m"), backup = BackupPathOf(path);
  Installed(L"m", "installed");
  ASSERT_TRUE(WriteFileBytes(backup, "intact copy"));
  EXPECT_FALSE(MoveAside(path));
  EXPECT_EQ(FileBytes(backup), "intact copy");
  EXPECT_EQ(FileBytes(path), "installed");

  EXPECT_TRUE(PutBack(path));
  EXPECT_EQ(FileBytes(path), "intact copy");
  EXPECT_FALSE(FileExists(backup));
}

// --- Crash safety: the order of the steps, names that resolve to other files ------------------

// What a power cut needs: the new data are on the disk before the installed file is given up,
// and the old copy goes only once the new one holds the dictionary's name.
TEST_F(InstallRunTest, NewDataAreFlushedBeforeTheOldFileIsGivenUp) {
  Installed(L"up", "old");
  std::vector<PackageFile> files{Package(L"p.dir", {{L"up", Pattern(5000, 3), EntryAction::Upgrade, L"U"}})};
  struct Step {
    FileStep step;
    std::wstring path, other;
  };
  std::vector<Step> steps;
  ObserveFileStepsForTesting(
      [](FileStep step, const std::wstring& path, const std::wstring& other, void* context) {
        static_cast<std::vector<Step>*>(context)->push_back({step, path, other});
      },
      &steps);
  Run(files);
  ObserveFileStepsForTesting(nullptr, nullptr);
  const std::wstring target = Target(L"up"), fresh = target + kNewFileSuffix, backup = target + kBackupSuffix;
  auto at = [&](FileStep step, const std::wstring& path, const std::wstring& other) {
    for (size_t i = 0; i < steps.size(); ++i) {
      if (steps[i].step == step && steps[i].path == path && steps[i].other == other) return static_cast<int>(i);
    }
    return -1;
  };
  const int flushed = at(FileStep::Flush, fresh, L"");
  const int movedAside = at(FileStep::Move, target, backup);
  const int placed = at(FileStep::Move, fresh, target);
  const int dropped = at(FileStep::Delete, backup, L"");
  ASSERT_GE(flushed, 0);
  ASSERT_GE(movedAside, 0);
  ASSERT_GE(placed, 0);
  ASSERT_GE(dropped, 0);
  EXPECT_LT(flushed, movedAside);
  EXPECT_LT(movedAside, placed);
  EXPECT_LT(placed, dropped);
  for (const Step& step : steps) {
    EXPECT_FALSE(step.step == FileStep::Create && step.path == target) << "the dictionary's name is never written";
  }
  EXPECT_TRUE(HoldsBytes(target, Pattern(5000, 3)));
}

// A new install whose name the file system resolves to another installed file through its short
// 8.3 alias: that file is never moved aside, replaced or deleted, and the entry fails.
TEST_F(InstallRunTest, ShortNameOfAnotherFileIsNotThisEntrysFile) {
  Installed(L"oxford advanced learners", "the user's newer dictionary");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(Target(L"oxford advanced learners").c_str(), shortPath, MAX_PATH), 0u);
  std::wstring shortName = shortPath;
  shortName = shortName.substr(shortName.find_last_of(L'\\') + 1);
  ASSERT_NE(shortName, L"oxford advanced learners.dic") << "this file system gives no short names";
  const std::wstring id = LowerAsciiLetters(shortName.substr(0, shortName.rfind(L'.')));
  std::vector<PackageFile> files{Package(L"p.dir", {{id, "impostor", EntryAction::Install, L"S"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"S", EntryAction::Install, 0, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"oxford advanced learners")), "the user's newer dictionary");
  EXPECT_EQ(testsupport::ListFolder(dataDir), std::vector<std::wstring>{L"oxford advanced learners.dic"});
}

// The same for a name that differs from another file's only in the case of a non-ASCII letter,
// where the file system folds the case and the plan does not.
TEST_F(InstallRunTest, NameFoldedByTheFileSystemOnlyIsNotThisEntrysFile) {
  Installed(L"\u00C9t\u00E9", "the user's dictionary");
  if (!FileExists(Target(L"\u00E9t\u00E9"))) GTEST_SKIP() << "this file system keeps non-ASCII case apart";
  std::vector<PackageFile> files{Package(L"p.dir", {{L"\u00E9t\u00E9", "impostor", EntryAction::Install, L"E"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"E", EntryAction::Install, 0, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"\u00C9t\u00E9")), "the user's dictionary");
  EXPECT_EQ(testsupport::ListFolder(dataDir).size(), 1u);
}

// A backup name that is not positively a regular file (here a folder) is never adopted or
// replaced: the upgrade fails and the installed file stays as it was.
TEST_F(InstallRunTest, BackupNameThatIsNoRegularFileFailsTheUpgrade) {
  Installed(L"bk", "installed");
  ASSERT_TRUE(CreateDirectoryW(BackupPathOf(Target(L"bk")).c_str(), nullptr));
  std::vector<PackageFile> files{Package(L"p.dir", {{L"bk", Pattern(100, 1), EntryAction::Upgrade, L"B"}})};
  EXPECT_EQ(Run(files), Sequence({{"start"}, Entry(L"B", EntryAction::Upgrade, 1, false), {"finish"}}));
  EXPECT_EQ(FileBytes(Target(L"bk")), "installed");
  EXPECT_FALSE(FileExists(NewFilePathOf(Target(L"bk"))));
  RemoveDirectoryW(BackupPathOf(Target(L"bk")).c_str());
}

// What a run ended early left in the data folder, put in order when the next one starts: a
// dictionary only under its backup name comes back, every partial new copy goes; a backup beside
// its file stays, and nothing else is touched.
TEST_F(InstallRunTest, RunStartRepairsWhatAnInterruptedRunLeft) {
  ASSERT_TRUE(WriteFileBytes(BackupPathOf(Target(L"lone")), "only copy"));
  Installed(L"done", "new version");
  ASSERT_TRUE(WriteFileBytes(BackupPathOf(Target(L"done")), "old version"));
  ASSERT_TRUE(SetFileAttributesW(BackupPathOf(Target(L"done")).c_str(), FILE_ATTRIBUTE_READONLY));
  Installed(L"cut", "installed");
  ASSERT_TRUE(WriteFileBytes(NewFilePathOf(Target(L"cut")), "partial"));
  ASSERT_TRUE(WriteFileBytes(NewFilePathOf(Target(L"gone")), "partial"));
  ASSERT_TRUE(WriteFileBytes(dataDir + L"\\notes.txt", "the user's"));
  std::vector<PackageFile> files;
  Run(files);
  EXPECT_EQ(FileBytes(Target(L"lone")), "only copy");
  EXPECT_EQ(FileBytes(Target(L"done")), "new version");
  EXPECT_EQ(FileBytes(Target(L"cut")), "installed");
  EXPECT_EQ(FileBytes(BackupPathOf(Target(L"done"))), "old version");
  EXPECT_EQ(testsupport::ListFolder(dataDir),
            (std::vector<std::wstring>{L"cut.dic", L"done.dic", BackupPathOf(L"done.dic"), L"lone.dic", L"notes.txt"}));
}

// An image waits beside its place (under its new-file name) from its copy until its dictionary's data
// have taken theirs: a whole BMP with nothing under its own name takes that name; a cut one, one
// beside an image already there, or one of another name goes. Nothing else in the folder changes.
struct WaitingImageCase {
  const char* name;
  std::wstring file;  // in the host's image folder
  std::string bytes;
  const wchar_t* placedAs;  // the name it has afterwards; null: deleted
};

const std::string kWholeImage = testsupport::Bitmap(Pattern(3000, 4));

class WaitingImageTest : public InstallRunTest, public ::testing::WithParamInterface<WaitingImageCase> {};

TEST_P(WaitingImageTest, RepairPlacesOnlyAWholeImage) {
  const WaitingImageCase& c = GetParam();
  const std::wstring imageDir = host.ImageDir();
  ASSERT_TRUE(WriteFileBytes(imageDir + L"\\beside.bmp", "the host's own image"));
  ASSERT_TRUE(WriteFileBytes(imageDir + L"\\" + c.file, c.bytes));
  RepairInterruptedRun();
  std::vector<std::wstring> expected{L"beside.bmp"};
  if (c.placedAs != nullptr && std::wstring(c.placedAs) != L"beside.bmp") expected.push_back(c.placedAs);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(testsupport::ListFolder(imageDir), expected);
  EXPECT_EQ(FileBytes(imageDir + L"\\beside.bmp"), "the host's own image");
  if (c.placedAs != nullptr) {
    EXPECT_EQ(FileBytes(imageDir + L"\\" + c.placedAs), c.bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Repair, WaitingImageTest,
    ::testing::Values(WaitingImageCase{"WholeIsPlaced", NewFilePathOf(L"whole.bmp"), kWholeImage, L"whole.bmp"},
                      WaitingImageCase{"NameInOtherCaseIsPlaced", L"Whole.BMP._ZEV_NW_", kWholeImage, L"Whole.BMP"},
                      WaitingImageCase{"CutIsDeleted", NewFilePathOf(L"cut.bmp"), kWholeImage.substr(0, 2000), nullptr},
                      WaitingImageCase{"HeaderOnlyIsDeleted", NewFilePathOf(L"cut.bmp"), kWholeImage.substr(0, 4),
                                       nullptr},
                      WaitingImageCase{"EmptyIsDeleted", NewFilePathOf(L"cut.bmp"), "", nullptr},
                      WaitingImageCase{"NoBitmapIsDeleted", NewFilePathOf(L"odd.bmp"), "BM picture", nullptr},
                      WaitingImageCase{"BesideAnImageIsDeleted", NewFilePathOf(L"beside.bmp"), kWholeImage, nullptr},
                      WaitingImageCase{"NoImageNameIsDeleted", NewFilePathOf(L"notes.txt"), kWholeImage, nullptr},
                      WaitingImageCase{"ExtensionAloneIsDeleted", NewFilePathOf(L".bmp"), kWholeImage, nullptr}),
    [](const ::testing::TestParamInfo<WaitingImageCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace testsupport
