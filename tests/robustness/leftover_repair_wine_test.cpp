// What an interrupted run left of dictionary "d" (an earlier release wrote an upgrade in place
// after moving the old file aside, so its cut leaves the first part of the new file, already
// dated as the package's, under the name, and the intact old file as the backup; this release
// leaves a complete newer file beside an older backup when the backup's delete fails), and the
// real wizard run unattended on it with a package: nothing is left without an intact copy, nor
// the newest copy replaced by an older one. (The cut upgrade run with its own package: crash_consistency_wine_test.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"

namespace testsupport {
namespace {

struct LeftoverCase {
  const char* name;
  std::string underTheName;  // empty: nothing under the name, the backup alone
  std::vector<ContainerItem> package;
  std::string ownAfter;  // what the name holds afterwards
  bool backupStays;
};

const std::string kOldFile = DictionaryFile("2008.01.01", Pattern(3000, 1));
const std::string kNewFile = DictionaryFile("2009.11.13", Pattern(5000, 2));
const std::string kCutFile = kNewFile.substr(0, 2000);
const std::string kNewerFile = DictionaryFile("2010.06.01", Pattern(4000, 3));
const std::string kNewestFile = DictionaryFile("2011.01.01", Pattern(1000, 4));

class LeftoverTest : public ::testing::TestWithParam<LeftoverCase> {};

TEST_P(LeftoverTest, RunLeavesAnIntactCopy) {
  const LeftoverCase& c = GetParam();
  FakeHost host;
  const std::wstring own = host.DataDir() + L"\\d.dic", backup = own + kBackupSuffix;
  ASSERT_TRUE(WriteFileBytes(backup, kOldFile));
  ASSERT_TRUE(c.underTheName.empty() || WriteFileBytes(own, c.underTheName));
  WizardFolder wizard;
  ASSERT_TRUE(wizard.AddPackage(L"p.dir", c.package));

  const ChildRun run = RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + (wizard / L"run.log")}, {}, kRunWait);
  ASSERT_TRUE(FileExists(wizard / L"run.log")) << "the wizard never ran";
  EXPECT_EQ(run.exitCode, 0u) << FileBytes(wizard / L"run.log");
  EXPECT_TRUE(FileBytes(own) == c.ownAfter) << FileBytes(own).size() << " bytes\n" << FileBytes(wizard / L"run.log");
  EXPECT_EQ(FileBytes(backup), c.backupStays ? kOldFile : "<missing>");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Safety, LeftoverTest, ::testing::Values(
    // A run for other dictionaries keeps both files.
    LeftoverCase{"CutUpgradeRunWithAnotherPackage", kCutFile, {PackageItem(L"other", L"乙", "other")}, kCutFile, true},
    // Nothing newer than the backup: the up-to-date page, closed, keeps both.
    LeftoverCase{"CutUpgradeAndTheUpToDatePageClosed", kCutFile, {PackageItem(L"d", L"甲", "older", L"2007.01.01")},
                 kCutFile, true},
    // A complete newer file beside an older backup: a package dated between the two replaces
    // neither, the wizard has nothing to do and both stay.
    LeftoverCase{"NewerFileAndAPackageBetweenTheTwo", kNewerFile, {PackageItem(L"d", L"甲", kNewFile)}, kNewerFile,
                 true},
    // One newer than both upgrades, and the backup goes.
    LeftoverCase{"NewerFileAndAPackageNewerThanBoth", kNewerFile, {PackageItem(L"d", L"甲", kNewestFile, L"2011.01.01")},
                 kNewestFile, false},
    // The backup stands for the installed dictionary: an older package does not replace it,
    // and the run puts it back.
    LeftoverCase{"BackupAloneWithAnOlderPackage", "",
                 {PackageItem(L"d", L"甲", "older", L"2007.01.01"), PackageItem(L"other", L"乙", "other")}, kOldFile,
                 false},
    // With nothing to install, ending is an end as well: the backup is put back.
    LeftoverCase{"BackupAloneAndNothingToDo", "", {PackageItem(L"d", L"甲", "older", L"2007.01.01")}, kOldFile, false}),
    [](const ::testing::TestParamInfo<LeftoverCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace testsupport
