// Faults during an installation by the real wizard program under Wine, with real files: a disk
// that fills up, a container someone tries to cut short after the inventory, a target held by
// another program, the data folder gone after the plan, a read-only configuration file. In every
// case the user keeps the old dictionary or gets the new one, byte for byte, and no status line
// claims what did not happen. A kill at any step of a run is crash_consistency_wine_test's.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/install/install_files.h"
#include "engine/plan/install_plan.h"
#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

// The drive that tests/robustness/full_disk_drive maps to a small memory file system, and the
// file it leaves at its root to tell it from any other drive Y:.
constexpr const wchar_t* kFullDiskRoot = L"Y:\\";
constexpr const wchar_t* kFullDiskMarker = L"Y:\\pakorra-full-disk";

class FaultInjectionTest : public ::testing::Test {
 protected:
  // Starts the wizard and waits for its welcome page.
  bool StartOnWelcome(WizardRun& wizardRun) {
    return wizardRun.StartAndWait(wizard.Exe()) != nullptr && wizardRun.Page() == WizardPage::Welcome;
  }
  // Next on the welcome page, then the run to its end.
  static bool NextToFinishedPage(const WizardRun& wizardRun) {
    wizardRun.Click(IDC_BTN_MAINDLG_NEXT);
    return wizardRun.WaitForPage(WizardPage::Finished, kRunWait);
  }
  // The finished page, then Esc (no hand-off): the exit code of a dialog that ends as asked.
  DWORD FinishWithoutHandOff(const WizardRun& wizardRun) {
    wizardRun.Key(VK_ESCAPE);
    return wizardRun.ExitCodeWithin(kExitWait);
  }
  std::wstring Data(const std::wstring& name) const { return host.DataDir() + L"\\" + name; }

  testsupport::FakeHost host;
  testsupport::WizardFolder wizard;
  WizardRun run;
};

// Mapped by the fixture that mounts a small memory file system as drive Y:; without it (no right
// to mount) the case is skipped, and the engine's own tests cover a failing write in process.
TEST_F(FaultInjectionTest, DiskFullDuringTheCopyKeepsTheOldDictionaryAndClaimsNothing) {
  if (!FileExists(kFullDiskMarker)) GTEST_SKIP() << "no small drive Y: mapped (tests/robustness/full_disk_drive)";
  testsupport::HostSetup onFullDisk;
  onFullDisk.folder = std::wstring(kFullDiskRoot) + L"host_" + std::to_wstring(GetCurrentProcessId());
  onFullDisk.programs = false;  // the small drive holds the core and the data only
  testsupport::FakeHost fullHost(onFullDisk);
  const std::wstring hostDir = fullHost.dir();
  const std::string old = DictionaryFile("2008.01.01", std::string(20000, 'o'));
  ASSERT_TRUE(WriteFileBytes(fullHost.DataDir() + L"\\old.dic", old));

  // Fill the drive so that less than one entry fits, then offer two entries of a MiB each.
  ULARGE_INTEGER freeBytes = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(kFullDiskRoot, &freeBytes, nullptr, nullptr));
  constexpr uint64_t kLeftFree = 256 * 1024;
  ASSERT_GT(freeBytes.QuadPart, kLeftFree);
  ASSERT_TRUE(WriteFileBytes(hostDir + L"\\filler", std::string(freeBytes.QuadPart - kLeftFree, 'f')));
  const std::string entryData(1024 * 1024, 'n');
  ASSERT_TRUE(wizard.AddPackage(L"main.dir",
                                {PackageItem(L"old", L"旧典", entryData), PackageItem(L"fresh", L"新典", entryData)}));

  ASSERT_TRUE(StartOnWelcome(run));
  ASSERT_TRUE(NextToFinishedPage(run));
  EXPECT_EQ(run.StatusLines(),
            (std::vector<std::wstring>{
                FormatText(wizard_text::kUpgradeStarting, L"旧典"), FormatText(wizard_text::kUpgradeFailed, L"旧典"),
                FormatText(wizard_text::kInstallStarting, L"新典"), FormatText(wizard_text::kInstallFailed, L"新典")}));
  EXPECT_EQ(FileBytes(fullHost.DataDir() + L"\\old.dic"), old) << "the old dictionary must survive a full disk";
  EXPECT_FALSE(FileExists(BackupPathOf(fullHost.DataDir() + L"\\old.dic")));
  EXPECT_FALSE(FileExists(fullHost.DataDir() + L"\\fresh.dic")) << "a partial new dictionary was left";
  EXPECT_EQ(IniValue(fullHost.ConfigPath(), L"fresh", L"id"), testsupport::kNoIniValue)
      << "a failed entry was registered";
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// Someone tries to cut the container in the middle of the first entry's data after the welcome
// page: the wizard holds it since its check, so the write is refused and what was checked installs.
TEST_F(FaultInjectionTest, ContainerCannotBeCutShortAfterTheInventory) {
  const std::string old = DictionaryFile("2008.01.01", "old data");
  ASSERT_TRUE(WriteFileBytes(Data(L"old.dic"), old));
  const std::string upgrade(40000, 'u'), fresh(30000, 'f');
  ASSERT_TRUE(
      wizard.AddPackage(L"main.dir", {PackageItem(L"old", L"旧典", upgrade), PackageItem(L"fresh", L"新典", fresh)}));

  ASSERT_TRUE(StartOnWelcome(run));
  std::string container;
  ASSERT_TRUE(testsupport::ReadFileBytes(wizard / L"main.dir", container));
  const size_t dataStart = testsupport::DataAreaAt(2);
  EXPECT_FALSE(WriteFileBytes(wizard / L"main.dir", container.substr(0, dataStart + upgrade.size() / 2)));
  EXPECT_FALSE(DeleteFileW((wizard / L"main.dir").c_str()));

  ASSERT_TRUE(NextToFinishedPage(run));
  EXPECT_EQ(run.StatusLines(), (std::vector<std::wstring>{FormatText(wizard_text::kUpgradeStarting, L"旧典"),
                                                          FormatText(wizard_text::kUpgradeSucceeded, L"旧典"),
                                                          FormatText(wizard_text::kInstallStarting, L"新典"),
                                                          FormatText(wizard_text::kInstallSucceeded, L"新典")}));
  EXPECT_EQ(FileBytes(Data(L"old.dic")), upgrade);
  EXPECT_EQ(FileBytes(Data(L"fresh.dic")), fresh);
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"old.dic"))));
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// Another program (not the host's service, so stopping that does not help) holds the installed
// file without letting it be moved or deleted.
TEST_F(FaultInjectionTest, TargetHeldByAnotherProgramIsLeftAsItWas) {
  const std::string old = DictionaryFile("2008.01.01", "held data");
  ASSERT_TRUE(WriteFileBytes(Data(L"held.dic"), old));
  const std::string upgrade(5000, 'u'), fresh(3000, 'f');
  ASSERT_TRUE(
      wizard.AddPackage(L"main.dir", {PackageItem(L"held", L"被占", upgrade), PackageItem(L"fresh", L"新典", fresh)}));

  testsupport::ChildProcess holder;
  const std::wstring ready = wizard / L"held.ready";
  ASSERT_TRUE(holder.Start(testsupport::BuiltFile(L"file_holder.exe"), {Data(L"held.dic"), ready}));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return FileExists(ready); }, 30000)) << "the holder did not open the file";

  ASSERT_TRUE(StartOnWelcome(run));
  ASSERT_TRUE(NextToFinishedPage(run));
  EXPECT_EQ(run.StatusLines(), (std::vector<std::wstring>{FormatText(wizard_text::kUpgradeStarting, L"被占"),
                                                          FormatText(wizard_text::kUpgradeFailed, L"被占"),
                                                          FormatText(wizard_text::kInstallStarting, L"新典"),
                                                          FormatText(wizard_text::kInstallSucceeded, L"新典")}));
  holder.Terminate();
  EXPECT_EQ(FileBytes(Data(L"held.dic")), old);
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"held.dic"))));
  EXPECT_EQ(FileBytes(Data(L"fresh.dic")), fresh) << "the run goes on after the held file";
  EXPECT_EQ(IniValue(host.ConfigPath(), L"held", L"id"), testsupport::kNoIniValue)
      << "the held dictionary was registered";
  EXPECT_EQ(IniValue(host.ConfigPath(), L"fresh", L"id"), L"fresh");
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// The dictionary data folder is removed between the plan and the run: nothing is written
// anywhere else, no folder is made up, and both entries are reported as failed.
TEST_F(FaultInjectionTest, DataFolderRemovedAfterThePlanFailsEveryEntry) {
  ASSERT_TRUE(WriteFileBytes(Data(L"old.dic"), DictionaryFile("2008.01.01", "old data")));
  ASSERT_TRUE(wizard.AddPackage(
      L"main.dir", {PackageItem(L"old", L"旧典", std::string(5000, 'u')), PackageItem(L"fresh", L"新典", "f")}));
  ASSERT_TRUE(StartOnWelcome(run));
  ASSERT_TRUE(testsupport::RemoveTree(host.DataDir()));

  ASSERT_TRUE(NextToFinishedPage(run));
  EXPECT_EQ(run.StatusLines(),
            (std::vector<std::wstring>{
                FormatText(wizard_text::kUpgradeStarting, L"旧典"), FormatText(wizard_text::kUpgradeFailed, L"旧典"),
                FormatText(wizard_text::kInstallStarting, L"新典"), FormatText(wizard_text::kInstallFailed, L"新典")}));
  EXPECT_EQ(GetFileAttributesW(host.DataDir().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(IniValue(host.ConfigPath(), L"fresh", L"id"), testsupport::kNoIniValue);
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// The host's configuration file is read-only: the wizard makes it writable and registers the
// dictionary, keeping what the file held. (Wine lets root write read-only files, so the
// attribute itself is what is checked.)
TEST_F(FaultInjectionTest, ReadOnlyConfigurationIsMadeWritableAndRegistered) {
  ASSERT_TRUE(WriteFileBytes(host.ConfigPath(), "[other]\r\nid=other\r\nenable=0\r\n"));
  ASSERT_TRUE(SetFileAttributesW(host.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini", "[fresh]\r\ndesc_name=Fresh\r\nenable=1\r\n"));
  const std::string fresh(3000, 'f');
  ASSERT_TRUE(
      wizard.AddPackage(L"main.dir", {PackageItem(L"fresh", L"新典", fresh), PackageItem(L"more", L"另典", "m")}));

  ASSERT_TRUE(StartOnWelcome(run));
  ASSERT_TRUE(NextToFinishedPage(run));
  EXPECT_EQ(run.StatusLines(), (std::vector<std::wstring>{FormatText(wizard_text::kInstallStarting, L"新典"),
                                                          FormatText(wizard_text::kInstallSucceeded, L"新典"),
                                                          FormatText(wizard_text::kInstallStarting, L"另典"),
                                                          FormatText(wizard_text::kInstallSucceeded, L"另典")}));
  EXPECT_EQ(FileBytes(Data(L"fresh.dic")), fresh);
  const DWORD attributes = GetFileAttributesW(host.ConfigPath().c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(IniValue(host.ConfigPath(), L"fresh", L"id"), L"fresh");
  EXPECT_EQ(IniValue(host.ConfigPath(), L"fresh", L"desc_name"), L"Fresh");
  EXPECT_EQ(IniValue(host.ConfigPath(), L"more", L"id"), L"more");
  EXPECT_EQ(IniValue(host.ConfigPath(), L"other", L"enable"), L"0") << "other sections are kept";
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

}  // namespace
}  // namespace testsupport
