// Faults during an installation by the real wizard program under Wine, with real files: a disk
// that fills up, a container cut short after the inventory, a target held by another program, the
// data folder gone after the plan, a read-only configuration file, and the wizard killed in the
// middle of an upgrade and started again. In every case the user keeps the old dictionary or gets
// the new one, byte for byte, and no status line claims what did not happen.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/replace_file.h"
#include "tests/engine/sim_host_processes.h"
#include "tests/wizard/wizard_process.h"
#include "wizard/res/resource.h"

namespace wizardtest {
namespace {

using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

[[maybe_unused]] const ::testing::Environment* const kDesktopFirst =
    ::testing::AddGlobalTestEnvironment(new simhost::DesktopFirstEnvironment);

constexpr DWORD kRunWait = 120000;
constexpr DWORD kExitWait = 30000;
// The drive that tests/robustness/full_disk_drive maps to a small memory file system, and the
// file it leaves at its root to tell it from any other drive Y:.
constexpr const wchar_t* kFullDiskRoot = L"Y:\\";
constexpr const wchar_t* kFullDiskMarker = L"Y:\\pakorra-full-disk";

std::wstring UpgradingLine(const std::wstring& title) { return L"正在升级您本地的《" + title + L"》，请稍候 ..."; }
std::wstring UpgradedLine(const std::wstring& title) { return L"已为您成功升级《" + title + L"》到最新的版本。"; }
std::wstring UpgradeFailedLine(const std::wstring& title) { return L"升级《" + title + L"》失败!"; }
std::wstring InstallingLine(const std::wstring& title) { return L"正在为您安装《" + title + L"》，请稍候 ..."; }
std::wstring InstalledLine(const std::wstring& title) { return L"已为您成功安装《" + title + L"》。"; }
std::wstring InstallFailedLine(const std::wstring& title) { return L"安装《" + title + L"》失败!"; }

// An installed dictionary as the simulated core reads it: its descriptive text with the date
// stamp, a NUL, then its data.
std::string DictionaryBytes(const std::string& date, const std::string& data) {
  return "name=dictionary\n<date_time>" + date + "</date_time>\n" + std::string(1, '\0') + data;
}

std::string Bytes(const std::wstring& path) {
  std::string bytes;
  return ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

std::wstring ConfigValue(const std::wstring& config, const wchar_t* section, const wchar_t* key) {
  wchar_t value[260] = {};
  GetPrivateProfileStringW(section, key, L"", value, 260, config.c_str());
  return value;
}

// The host's dictionary data, the registry key and the programs, in a given folder: the full
// disk needs the host on drive Y:, which InstalledHost does not offer.
class HostIn {
 public:
  explicit HostIn(const std::wstring& dir) : dir_(dir), registry_(dir.c_str(), L"Lumidex.exe") {
    testsupport::MakeDirs(DataDir());
    testsupport::MakeDirs(dir_ + L"\\plugin\\image");
    CopyFileW(BuiltFile(L"simhost\\Lumidex.exe").c_str(), (dir_ + L"\\Lumidex.exe").c_str(), FALSE);
    CopyFileW(BuiltFile(L"simhost\\LXDBCoreplus.dll").c_str(), (dir_ + L"\\LXDBCoreplus.dll").c_str(), FALSE);
  }
  ~HostIn() { testsupport::RemoveTree(dir_); }
  HostIn(const HostIn&) = delete;
  HostIn& operator=(const HostIn&) = delete;
  std::wstring DataDir() const { return dir_ + L"\\plugin\\localquery\\dictdata"; }
  std::wstring ConfigPath() const { return dir_ + L"\\plugin\\localquery\\localquerydictcfg.ini"; }

 private:
  std::wstring dir_;
  testsupport::HostRegistry registry_;
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  // Starts the wizard and waits for its welcome page.
  bool StartOnWelcome(WizardRun& wizardRun) {
    if (!wizardRun.Start(wizard.Exe()) || wizardRun.WaitForDialog() == nullptr) return false;
    return IsWindowVisible(wizardRun.Control(IDC_BTN_MAINDLG_NEXT)) != FALSE;
  }
  bool WaitForFinishedPage(const WizardRun& wizardRun) {
    return WaitUntil([&] { return IsWindowVisible(wizardRun.Control(IDC_CHK_MAINDLG_RUNHOST)) != FALSE; }, kRunWait);
  }
  // The finished page, then Esc (no hand-off): the exit code of a dialog that ends as asked.
  DWORD FinishWithoutHandOff(const WizardRun& wizardRun) {
    wizardRun.Key(VK_ESCAPE);
    DWORD code = 12345;
    EXPECT_TRUE(wizardRun.WaitForExit(kExitWait, code)) << "the wizard did not end";
    return code;
  }
  std::vector<std::wstring> StatusLines(const WizardRun& wizardRun) {
    return ListLines(wizardRun.Control(IDC_LST_MAINDLG_STATUS));
  }
  std::wstring Data(const std::wstring& name) const { return host.DataDir() + L"\\" + name; }

  InstalledHost host;
  WizardFolder wizard;
  WizardRun run;
};

// Mapped by the fixture that mounts a small memory file system as drive Y:; without it (no right
// to mount) the case is skipped, and the engine's own tests cover a failing write in process.
TEST_F(FaultInjectionTest, DiskFullDuringTheCopyKeepsTheOldDictionaryAndClaimsNothing) {
  if (!FileExists(kFullDiskMarker)) GTEST_SKIP() << "no small drive Y: mapped (tests/robustness/full_disk_drive)";
  const std::wstring hostDir = std::wstring(kFullDiskRoot) + L"host_" + std::to_wstring(GetCurrentProcessId());
  HostIn fullHost(hostDir);
  const std::string old = DictionaryBytes("2008.01.01", std::string(20000, 'o'));
  ASSERT_TRUE(WriteFileBytes(fullHost.DataDir() + L"\\old.dic", old));

  // Fill the drive so that less than one entry fits, then offer two entries of a MiB each.
  ULARGE_INTEGER freeBytes = {};
  ASSERT_TRUE(GetDiskFreeSpaceExW(kFullDiskRoot, &freeBytes, nullptr, nullptr));
  constexpr uint64_t kLeftFree = 256 * 1024;
  ASSERT_GT(freeBytes.QuadPart, kLeftFree);
  ASSERT_TRUE(WriteFileBytes(hostDir + L"\\filler", std::string(freeBytes.QuadPart - kLeftFree, 'f')));
  const std::string entryData(1024 * 1024, 'n');
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"old", L"旧典", entryData), Entry(L"fresh", L"新典", entryData)}));

  ASSERT_TRUE(StartOnWelcome(run));
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(run));
  EXPECT_EQ(StatusLines(run), (std::vector<std::wstring>{UpgradingLine(L"旧典"), UpgradeFailedLine(L"旧典"),
                                                         InstallingLine(L"新典"), InstallFailedLine(L"新典")}));
  EXPECT_EQ(Bytes(fullHost.DataDir() + L"\\old.dic"), old) << "the old dictionary must survive a full disk";
  EXPECT_FALSE(FileExists(BackupPathOf(fullHost.DataDir() + L"\\old.dic")));
  EXPECT_FALSE(FileExists(fullHost.DataDir() + L"\\fresh.dic")) << "a partial new dictionary was left";
  EXPECT_EQ(ConfigValue(fullHost.ConfigPath(), L"fresh", L"id"), L"") << "a failed entry was registered";
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// The container is cut in the middle of the first entry's data after the welcome page: the table
// still reads, the data do not.
TEST_F(FaultInjectionTest, ContainerCutShortAfterTheInventoryFailsItsEntries) {
  const std::string old = DictionaryBytes("2008.01.01", "old data");
  ASSERT_TRUE(WriteFileBytes(Data(L"old.dic"), old));
  const std::string upgrade(40000, 'u'), fresh(30000, 'f');
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"old", L"旧典", upgrade), Entry(L"fresh", L"新典", fresh)}));

  ASSERT_TRUE(StartOnWelcome(run));
  std::string container;
  ASSERT_TRUE(ReadFileBytes(wizard / L"main.dir", container));
  const size_t dataStart = 32 + 2 * 184;
  ASSERT_TRUE(WriteFileBytes(wizard / L"main.dir", container.substr(0, dataStart + upgrade.size() / 2)));

  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(run));
  EXPECT_EQ(StatusLines(run), (std::vector<std::wstring>{UpgradingLine(L"旧典"), UpgradeFailedLine(L"旧典"),
                                                         InstallingLine(L"新典"), InstallFailedLine(L"新典")}));
  EXPECT_EQ(Bytes(Data(L"old.dic")), old);
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"old.dic"))));
  EXPECT_FALSE(FileExists(Data(L"fresh.dic")));
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// Another program (not the host's service, so stopping that does not help) holds the installed
// file without letting it be moved or deleted.
TEST_F(FaultInjectionTest, TargetHeldByAnotherProgramIsLeftAsItWas) {
  const std::string old = DictionaryBytes("2008.01.01", "held data");
  ASSERT_TRUE(WriteFileBytes(Data(L"held.dic"), old));
  const std::string upgrade(5000, 'u'), fresh(3000, 'f');
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"held", L"被占", upgrade), Entry(L"fresh", L"新典", fresh)}));

  simhost::ChildProcess holder;
  const std::wstring ready = wizard / L"held.ready";
  ASSERT_TRUE(holder.Start(BuiltFile(L"file_holder.exe"), L"\"" + Data(L"held.dic") + L"\" \"" + ready + L"\""));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(ready); }, 30000)) << "the holder did not open the file";

  ASSERT_TRUE(StartOnWelcome(run));
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(run));
  EXPECT_EQ(StatusLines(run), (std::vector<std::wstring>{UpgradingLine(L"被占"), UpgradeFailedLine(L"被占"),
                                                         InstallingLine(L"新典"), InstalledLine(L"新典")}));
  holder.Terminate();
  EXPECT_EQ(Bytes(Data(L"held.dic")), old);
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"held.dic"))));
  EXPECT_EQ(Bytes(Data(L"fresh.dic")), fresh) << "the run goes on after the held file";
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"held", L"id"), L"") << "the held dictionary was registered";
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"fresh", L"id"), L"fresh");
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// The dictionary data folder is removed between the plan and the run: nothing is written
// anywhere else, no folder is made up, and both entries are reported as failed.
TEST_F(FaultInjectionTest, DataFolderRemovedAfterThePlanFailsEveryEntry) {
  ASSERT_TRUE(WriteFileBytes(Data(L"old.dic"), DictionaryBytes("2008.01.01", "old data")));
  ASSERT_TRUE(
      wizard.AddPackage(L"main.dir", {Entry(L"old", L"旧典", std::string(5000, 'u')), Entry(L"fresh", L"新典", "f")}));
  ASSERT_TRUE(StartOnWelcome(run));
  ASSERT_TRUE(testsupport::RemoveTree(host.DataDir()));

  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(run));
  EXPECT_EQ(StatusLines(run), (std::vector<std::wstring>{UpgradingLine(L"旧典"), UpgradeFailedLine(L"旧典"),
                                                         InstallingLine(L"新典"), InstallFailedLine(L"新典")}));
  EXPECT_EQ(GetFileAttributesW(host.DataDir().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"fresh", L"id"), L"");
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
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"fresh", L"新典", fresh), Entry(L"more", L"另典", "m")}));

  ASSERT_TRUE(StartOnWelcome(run));
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(run));
  EXPECT_EQ(StatusLines(run), (std::vector<std::wstring>{InstallingLine(L"新典"), InstalledLine(L"新典"),
                                                         InstallingLine(L"另典"), InstalledLine(L"另典")}));
  EXPECT_EQ(Bytes(Data(L"fresh.dic")), fresh);
  const DWORD attributes = GetFileAttributesW(host.ConfigPath().c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"fresh", L"id"), L"fresh");
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"fresh", L"desc_name"), L"Fresh");
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"more", L"id"), L"more");
  EXPECT_EQ(ConfigValue(host.ConfigPath(), L"other", L"enable"), L"0") << "other sections are kept";
  EXPECT_EQ(FinishWithoutHandOff(run), 2u);
}

// The wizard is killed while it copies a large upgrade. The installed dictionary is still the old
// one, whole, under its own name; the new copy is only a partial file beside it. Started again,
// the wizard plans the upgrade again, drops the partial copy and completes the upgrade.
TEST_F(FaultInjectionTest, KilledInTheMiddleOfAnUpgradeAndStartedAgain) {
  const std::string old = DictionaryBytes("2008.01.01", std::string(10000, 'o'));
  ASSERT_TRUE(WriteFileBytes(Data(L"big.dic"), old));
  const std::string upgrade = DictionaryBytes("2009.11.13", std::string(8 * 1024 * 1024, 'n'));
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"big", L"大典", upgrade)}));

  ASSERT_TRUE(StartOnWelcome(run));
  run.Click(IDC_BTN_MAINDLG_NEXT);
  HWND progress = run.Control(IDC_PRG_MAINDLG_PROGRESS);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(progress, PBM_GETPOS, 0, 0) >= 20; }, kRunWait));
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, run.pid());
  ASSERT_NE(process, nullptr);
  TerminateProcess(process, 77);
  WaitForSingleObject(process, kExitWait);
  CloseHandle(process);

  // The copy was cut: the old dictionary is whole, the partial new copy lies beside it.
  EXPECT_EQ(Bytes(Data(L"big.dic")), old);
  const std::string partial = Bytes(Data(L"big.dic._zev_nw_"));
  ASSERT_LT(partial.size(), upgrade.size()) << "the copy ended before the kill; make the entry larger";
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"big.dic"))));

  WizardRun again;
  ASSERT_TRUE(StartOnWelcome(again)) << "the interrupted upgrade must be planned again";
  again.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage(again));
  EXPECT_EQ(WindowText(again.Control(IDC_STC_MAINDLG_TIPINFO)), UpgradedLine(L"大典"));
  EXPECT_TRUE(Bytes(Data(L"big.dic")) == upgrade) << "the dictionary is not the package's version";
  EXPECT_FALSE(FileExists(BackupPathOf(Data(L"big.dic"))));
  EXPECT_FALSE(FileExists(Data(L"big.dic._zev_nw_")));
  EXPECT_EQ(FinishWithoutHandOff(again), 2u);
}

}  // namespace
}  // namespace wizardtest
