// The real wizard program under Wine, started unattended (/S) and with a log (/LOG) as fleet tools
// start it: the installation it makes without ever showing a window, each exit code from its
// cause, the log naming every decision and failure, a log that cannot be written, a second
// wizard, and the switches' spellings.
#include <windows.h>
// After windows.h:
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
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"

namespace testsupport {
namespace {

// A status line as the log holds it.
std::wstring StatusLogged(const wchar_t* format, const wchar_t* title) {
  return FormatText(log_text::kStatus, FormatText(format, title).c_str());
}
// The log's last line for an unattended run's exit code and its meaning.
std::wstring ResultLogged(int code, const wchar_t* meaning) {
  const std::wstring outcome = std::to_wstring(code) + FormatText(log_text::kResultMeaning, meaning);
  return FormatText(log_text::kResult, outcome.c_str());
}

// As the shell starts a program: with a show command (SW_SHOWNORMAL), which Windows may apply to
// the program's first ShowWindow call; every wait looks for a window of it.
ChildOptions AsTheShellStartsIt() {
  ChildOptions options;
  options.showCommand = SW_SHOWNORMAL;
  options.watchWindows = true;
  return options;
}

// The wizard's log as text; `bom` tells whether it starts with the UTF-8 byte order mark.
std::wstring LogText(const std::wstring& path, bool* bom = nullptr) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return L"<missing>";
  const bool marked = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
  if (bom != nullptr) *bom = marked;
  if (marked) bytes.erase(0, 3);
  std::wstring text(bytes.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                         text.data(), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

// A fresh host with a wizard folder beside it; the log goes to a scratch folder of its own.
class UnattendedTest : public ::testing::Test {
 protected:
  // Starts the wizard with `arguments` and the fixture's log.
  bool Start(const std::wstring& exe, std::vector<std::wstring> arguments) {
    arguments.push_back(L"/LOG=" + LogPath());
    return run.Start(exe, arguments, AsTheShellStartsIt());
  }
  // Runs the wizard to its end with `arguments` and the fixture's log: its exit code, STILL_ACTIVE
  // when it did not end.
  DWORD RunSilently(const std::vector<std::wstring>& arguments) {
    return Start(wizard.Exe(), arguments) ? run.ExitCodeWithin(kRunWait) : STILL_ACTIVE;
  }
  std::wstring LogPath() const { return logs / L"run.log"; }
  std::wstring Log() const { return LogText(LogPath()); }
  bool Logged(const std::wstring& text) const { return Log().find(text) != std::wstring::npos; }
  std::wstring Installed(const std::wstring& name) const { return host.DataDir() + L"\\" + name; }
  // The log's plan line of an entry dated 2009-11-13 whose target is its file in the data folder.
  std::wstring EntryLogged(const std::wstring& id, const wchar_t* title, const wchar_t* decision) const {
    const std::wstring file = id + L".dic";
    return FormatText(log_text::kEntry, {file, title, L"2009-11-13", FormatText(decision, Installed(file).c_str())});
  }
  std::wstring Config(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[128] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 128, host.ConfigPath().c_str());
    return value;
  }

  FakeHost host;
  WizardFolder wizard;
  ScratchDir logs{L"logs"};
  ChildProcess run;
};

// --- A whole unattended installation ---

class SilentInstallTest : public UnattendedTest {
 protected:
  void SetUp() override {
    host.AddInstalledDict(L"old.dic", "2008.01.01");
    host.AddInstalledDict(L"same.dic", "2010.01.01");  // newer than the package's
    sameBefore = FileBytes(Installed(L"same.dic"));
    ASSERT_TRUE(
        WriteFileBytes(host.ConfigPath(), "[old]\r\nid=old\r\ndesc_name=Old v1\r\n[same]\r\ndesc_name=Same v3\r\n"));
    ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini", "[new]\r\ndesc_name=New\r\n[old]\r\ndesc_name=Old v2\r\n"));
    ASSERT_TRUE(
        wizard.AddPackage(L"main.dir", {PackageItem(L"new", L"新词典", fresh), PackageItem(L"old", L"旧词典", upgrade),
                                        PackageItem(L"same", L"同词典", "s")}));
  }
  const std::string fresh = std::string(5000, 'n');
  const std::string upgrade = std::string(2049, 'u');
  std::string sameBefore;
};

TEST_F(SilentInstallTest, InstallsUpgradesAndSkipsWithoutEverShowingAWindow) {
  EXPECT_EQ(RunSilently({L"/S"}), 0u) << Narrow(Log());
  EXPECT_FALSE(run.WindowShown());
  EXPECT_EQ(FileBytes(Installed(L"new.dic")), fresh);
  EXPECT_EQ(FileBytes(Installed(L"old.dic")), upgrade);
  EXPECT_EQ(FileBytes(Installed(L"same.dic")), sameBefore) << "the installed copy is newer";
  EXPECT_EQ(Config(L"new", L"id"), L"new");
  EXPECT_EQ(Config(L"new", L"desc_name"), L"New");
  EXPECT_EQ(Config(L"old", L"desc_name"), L"Old v2");
  EXPECT_EQ(Config(L"same", L"desc_name"), L"Same v3");
  EXPECT_EQ(Config(L"new", L"enable"), L"<none>") << "no hand-off without /START";
  Sleep(500);
  EXPECT_FALSE(FileExists(host.HostLogPath())) << "the host was started";

  // The log names the host, every decision with its dates, every status line and the result.
  bool bom = false;
  const std::wstring log = LogText(LogPath(), &bom);
  EXPECT_TRUE(bom);
  for (const std::wstring& line : std::vector<std::wstring>{
           FormatText(log_text::kHostFound, (host.dir() + L"\\Lumidex.exe").c_str()),
           FormatText(log_text::kContainer,
                      {wizard.dir() + L"\\main.dir", FormatText(log_text::kContainerEntries, L"3")}),
           EntryLogged(L"new", L"新词典", log_text::kInstallTo) + L"\r\n",
           EntryLogged(L"old", L"旧词典", log_text::kUpgrade) + FormatText(log_text::kInstalledDate, L"2008-01-01"),
           EntryLogged(L"same", L"同词典", log_text::kSkip) + FormatText(log_text::kInstalledDate, L"2010-01-01"),
           FormatText(log_text::kPlanned, L"2"), log_text::kUnattendedNext,
           StatusLogged(wizard_text::kInstallStarting, L"新词典"),
           StatusLogged(wizard_text::kInstallSucceeded, L"新词典"),
           StatusLogged(wizard_text::kUpgradeSucceeded, L"旧词典"), FormatText(log_text::kRunFinished, L"2") + L"\r\n",
           std::wstring(log_text::kUnattendedFinish) + log_text::kLeavesHost,
           ResultLogged(0, wizard_text::kExitInstalled) + L"\r\n"}) {
    EXPECT_NE(log.find(line), std::wstring::npos) << Narrow(line) << "\n" << Narrow(log);
  }
  // One time-stamped line per event.
  size_t at = 0;
  for (size_t next; (next = log.find(L"\r\n", at)) != std::wstring::npos; at = next + 2) {
    const std::wstring line = log.substr(at, next - at);
    EXPECT_TRUE(line.size() > 24 && line[4] == L'-' && line[10] == L' ' && line[13] == L':' && line[23] == L' ')
        << Narrow(line);
  }
  EXPECT_EQ(at, log.size()) << "the last line is complete";

  // Run again: nothing left to do, which is success too.
  ChildProcess again;
  ASSERT_TRUE(again.Start(wizard.Exe(), {L"/S"}, AsTheShellStartsIt()));
  EXPECT_EQ(again.ExitCodeWithin(kRunWait), 0u);
  EXPECT_FALSE(again.WindowShown());
}

// With /START the run ends as a ticked "完成(&C)" would; a log without a path goes to %TEMP%.
TEST_F(SilentInstallTest, StartHandsOffToTheHostAndLogGoesToTemp) {
  wchar_t saved[2][MAX_PATH] = {};
  const wchar_t* names[] = {L"TMP", L"TEMP"};  // the system's temporary folder, in its order
  for (int i = 0; i < 2; ++i) GetEnvironmentVariableW(names[i], saved[i], MAX_PATH);
  for (const wchar_t* name : names) SetEnvironmentVariableW(name, logs.path().c_str());
  const bool started = run.Start(wizard.Exe(), {L"/S", L"/START", L"/LOG"}, AsTheShellStartsIt());
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(names[i], saved[i][0] != 0 ? saved[i] : nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(run.ExitCodeWithin(kRunWait), 0u);
  EXPECT_FALSE(run.WindowShown());
  EXPECT_EQ(FileBytes(Installed(L"new.dic")), fresh);
  EXPECT_TRUE(WaitForLog(host.HostLogPath(), "dict manager shown", 10000)) << ReadLog(host.HostLogPath());
  for (const wchar_t* id : {L"new", L"old", L"same"}) EXPECT_EQ(Config(id, L"enable"), L"1") << Narrow(id);
  // The desktop's shell started the host, not the elevated wizard, in the host's own folder.
  StartRecord start;
  ASSERT_TRUE(WaitForStartRecord(host.HostLogPath(), start, 10000));
  EXPECT_EQ(start.parentName, "explorer.exe");
  EXPECT_NE(start.parentId, run.id());
  EXPECT_EQ(start.folder, host.dir());

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((logs / L"pakorra-*.log").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no log in %TEMP%";
  const std::wstring name = found.cFileName;
  EXPECT_FALSE(FindNextFileW(search, &found)) << "one log";
  FindClose(search);
  EXPECT_EQ(name.size(), std::wstring(L"pakorra-20240501-080000.log").size()) << Narrow(name);
  const std::wstring log = LogText(logs / name);
  for (const std::wstring& line :
       {FormatText(log_text::kLogFile, (logs / name).c_str()),
        std::wstring(log_text::kUnattendedFinish) + log_text::kStartsHost, std::wstring(log_text::kHandOffDone)}) {
    EXPECT_NE(log.find(line), std::wstring::npos) << Narrow(line) << "\n" << Narrow(log);
  }
}

// With /START and a desktop shell that cannot start the host (its file is no program, so the
// shell's ShellExecute answers S_FALSE), nothing is started in its place: the dictionaries are
// switched on, the log says why the host was not started, and the code is the installation's.
TEST_F(SilentInstallTest, StartWhenTheShellFailsStartsNoHost) {
  ASSERT_TRUE(WriteFileBytes(host.HostExe(), "not a program"));
  EXPECT_EQ(RunSilently({L"/S", L"/START"}), 0u) << Narrow(Log());
  for (const wchar_t* id : {L"new", L"old", L"same"}) EXPECT_EQ(Config(id, L"enable"), L"1") << Narrow(id);
  EXPECT_TRUE(Logged(L"OpenAsDesktopUser-2: desktop shell failed at IShellDispatch2::ShellExecute")) << Narrow(Log());
  EXPECT_TRUE(Logged(L"not started: " + host.HostExe())) << Narrow(Log());
  EXPECT_TRUE(Logged(log_text::kHandOffNoTray)) << Narrow(Log());
  EXPECT_FALSE(FileExists(host.HostLogPath()));
}

// --- Each exit code from its cause ---

TEST_F(UnattendedTest, HostMissingOrIncompleteEndsWithThree) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"a", L"甲", "a")}));
  HostRegistry::Remove();
  EXPECT_EQ(RunSilently({L"/S"}), 3u);
  EXPECT_FALSE(run.WindowShown());
  EXPECT_TRUE(Logged(L"诊断：IsHostInstalled-1: read Location fail")) << Narrow(Log());
  EXPECT_TRUE(Logged(ResultLogged(3, wizard_text::kExitHostMissing)));

  FakeHost incomplete;
  ASSERT_TRUE(DeleteFileW((incomplete.dir() + L"\\Lumidex.exe").c_str()));
  EXPECT_EQ(RunSilently({L"/S"}), 3u);
  EXPECT_NE(Log().find(L"IsHostInstalled-3: host exe missing: " + incomplete.dir()), std::wstring::npos);
  EXPECT_FALSE(FileExists(incomplete.DataDir() + L"\\a.dic"));
}

TEST_F(UnattendedTest, DamagedPackageEndsWithFourAndTouchesNothing) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"a", L"甲", "a")}));
  ASSERT_TRUE(WriteFileBytes(wizard / L"broken.dir", "no container"));
  EXPECT_EQ(RunSilently({L"/S"}), 4u);
  EXPECT_FALSE(run.WindowShown()) << "no \"fail\" box";
  EXPECT_TRUE(Logged(L"诊断：ReadDFFileInfo-1: init fail:" + (wizard / L"broken.dir"))) << Narrow(Log());
  EXPECT_TRUE(Logged(log_text::kStartupFailed));
  EXPECT_TRUE(Logged(ResultLogged(4, wizard_text::kExitStartupCheckFailed)));
  EXPECT_FALSE(FileExists(Installed(L"a.dic")));
}

TEST_F(UnattendedTest, FolderWithoutAContainerEndsWithFour) {
  EXPECT_EQ(RunSilently({L"/S"}), 4u) << Narrow(Log());
  EXPECT_FALSE(run.WindowShown());
  EXPECT_TRUE(Logged(log_text::kNoContainer));
  EXPECT_TRUE(Logged(ResultLogged(4, wizard_text::kExitStartupCheckFailed)));
}

// One container more than a package may have: the check refuses the package before it opens that
// one, and nothing is installed.
TEST_F(UnattendedTest, MoreContainersThanOnePackageMayHaveEndWithFour) {
  ASSERT_TRUE(wizard.AddPackage(L"c0.dir", {PackageItem(L"c", L"小词典", "c")}));
  // The 4,096 copies are made on the Unix side, in a fraction of the time Wine takes for as many
  // files.
  std::string dir;
  ASSERT_TRUE(UnixPathOf(wizard.dir(), dir));
  ASSERT_TRUE(RunUnixShell(L"cd '" + Wide(dir) +
                               L"' && seq 1 4096 | sed 's/.*/c&.dir/' | xargs -n 512 sh -c 'tee -- $0 $@ < c0.dir "
                               L"> /dev/null' && touch copied",
                           wizard / L"copied"));
  ASSERT_TRUE(FileExists(wizard / L"c4096.dir"));
  EXPECT_EQ(RunSilently({L"/S"}), 4u) << Narrow(Log());
  EXPECT_FALSE(run.WindowShown());
  EXPECT_TRUE(Logged(L"诊断：ReadDirFilesInfo-4: the package asks too much of one run: more than 4096 containers "
                     L"(*.dir) beside the wizard"))
      << Narrow(Log());
  EXPECT_TRUE(Logged(ResultLogged(4, wizard_text::kExitStartupCheckFailed)));
  EXPECT_FALSE(FileExists(Installed(L"c.dic")));
  EXPECT_FALSE(FileExists(host.ConfigPath()));
  // Removed on the Unix side too, for the same reason.
  ASSERT_TRUE(RunUnixShell(L"cd '" + Wide(dir) + L"' && rm -f c*.dir && touch removed", wizard / L"removed"));
}

TEST_F(UnattendedTest, FailedEntryEndsWithFiveAfterTheOthersInstalled) {
  // A folder where the new dictionary's file would go: the entry fails and is rolled back.
  ASSERT_TRUE(CreateDirectoryW(Installed(L"bad.dic").c_str(), nullptr));
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"bad", L"坏词典", "b"), PackageItem(L"good", L"好词典", "g")}));
  EXPECT_EQ(RunSilently({L"/S"}), 5u);
  EXPECT_FALSE(run.WindowShown());
  EXPECT_EQ(FileBytes(Installed(L"good.dic")), "g");
  EXPECT_TRUE(Logged(L"诊断：InstallEntry-2: target not its own file: " + Installed(L"bad.dic"))) << Narrow(Log());
  EXPECT_TRUE(Logged(StatusLogged(wizard_text::kInstallFailed, L"坏词典")));
  EXPECT_TRUE(Logged(FormatText(log_text::kRunFinished, L"1") + FormatText(log_text::kRunFailures, L"1")));
  EXPECT_TRUE(Logged(ResultLogged(5, wizard_text::kExitNotAllInstalled)));
}

// An image that cannot take its place (a folder holds its name in the host's image folder): the
// dictionary is installed and registered, but the host does not fully know it, so the run does
// not end as a full success.
TEST_F(UnattendedTest, ImageThatCannotBePlacedEndsWithFive) {
  ASSERT_TRUE(MakeDirs(wizard / L"dict_image"));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\pic.bmp", Bitmap("picture")));
  ASSERT_TRUE(CreateDirectoryW((host.ImageDir() + L"\\pic.bmp").c_str(), nullptr));
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"pic", L"图词典", "p")}));
  EXPECT_EQ(RunSilently({L"/S"}), 5u) << Narrow(Log());
  EXPECT_EQ(FileBytes(Installed(L"pic.dic")), "p");
  EXPECT_EQ(Config(L"pic", L"id"), L"pic");
  EXPECT_TRUE(Logged(L"诊断：InstallEntry-12: image place fail: pic")) << Narrow(Log());
  EXPECT_TRUE(Logged(FormatText(log_text::kRunFinished, L"1") + FormatText(log_text::kRunUnregistered, L"1")));
  EXPECT_TRUE(Logged(ResultLogged(5, wizard_text::kExitNotAllInstalled)));
  EXPECT_EQ(ListFolder(host.ImageDir()), std::vector<std::wstring>{L"pic.bmp"}) << "no copy left waiting";
  RemoveDirectoryW((host.ImageDir() + L"\\pic.bmp").c_str());
}

// A run cut off between its two renames left a dictionary only under its backup name, and the
// package is no newer: nothing to do (exit 0), and the dictionary is back under its own name.
TEST_F(UnattendedTest, NothingToDoPutsALoneBackupBack) {
  const std::string intact = DictionaryFile("2010.01.01", "the only copy");
  ASSERT_TRUE(WriteFileBytes(Installed(L"x.dic") + kBackupSuffix, intact));
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"x", L"甲", "older", L"2009.11.13")}));
  EXPECT_EQ(RunSilently({L"/S"}), 0u) << Narrow(Log());
  EXPECT_EQ(FileBytes(Installed(L"x.dic")), intact);
  EXPECT_FALSE(FileExists(Installed(L"x.dic") + kBackupSuffix));
  EXPECT_TRUE(Logged(log_text::kUpToDate));
  EXPECT_TRUE(Logged(log_text::kRepair));
  EXPECT_TRUE(Logged(L"RepairInterruptedRun-2: put back under its own name: x.dic")) << Narrow(Log());
}

// A section of dictconfig.ini named with capitals outside A-Z describes the dictionary whose id
// has the small letters, as the profile functions of Windows match names, and its values reach
// the host.
TEST_F(UnattendedTest, SectionNamedInCapitalsOutsideAToZDescribesTheDictionary) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"\u00E9t\u00E9", L"夏季词典", "e")}));
  // UTF-16: the code page has no capital E with acute.
  ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini",
                             Utf16LeWithMark(u"[\u00C9t\u00E9]\r\ndesc_name=夏季词典\r\nDESC_INTRO=l'\u00E9t\u00E9\r\n")));
  EXPECT_EQ(RunSilently({L"/S"}), 0u) << Narrow(Log());
  EXPECT_EQ(FileBytes(Installed(L"\u00E9t\u00E9.dic")), "e");
  EXPECT_EQ(Config(L"\u00E9t\u00E9", L"id"), L"\u00E9t\u00E9");
  EXPECT_EQ(Config(L"\u00E9t\u00E9", L"desc_name"), L"夏季词典");
  EXPECT_EQ(Config(L"\u00E9t\u00E9", L"desc_intro"), L"l'\u00E9t\u00E9");
}

TEST_F(UnattendedTest, AnotherWizardMeansSixAndNothingIsBroughtForward) {
  HostRegistry::Remove();  // the first wizard waits on its host-missing page
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));

  WizardFolder other;  // another copy of the wizard: still one wizard per machine
  ASSERT_TRUE(Start(other.Exe(), {L"/S"}));
  EXPECT_EQ(run.ExitCodeWithin(kRunWait), 6u);
  EXPECT_FALSE(run.WindowShown());
  EXPECT_TRUE(IsIconic(dialog)) << "the running wizard was brought forward";
  EXPECT_TRUE(Logged(log_text::kOtherWizardBusy)) << Narrow(Log());
  EXPECT_TRUE(Logged(ResultLogged(6, wizard_text::kExitAnotherWizardRuns)));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_NE(first.ExitCodeWithin(20000), STILL_ACTIVE);
}

// A user's start while an unattended wizard installs must never show that wizard's dialog. The
// host's service holds the dictionary to upgrade and ignores the request to stop, so the run waits
// in its bounded poll for as long as the test keeps the service.
TEST_F(UnattendedTest, UnattendedDialogStaysHiddenWhenAUserStartsTheWizard) {
  const std::wstring held = host.AddInstalledDict(L"held.dic", "2008.01.01");
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"small", L"小词典", "s"), PackageItem(L"held", L"占用", "h")}));
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), {L"--hold", held, L"--ignore-stop"}));
  ASSERT_TRUE(Start(wizard.Exe(), {L"/S"}));
  ASSERT_TRUE(WaitUntil(
      [&] {
        run.WindowShown();  // looks meanwhile
        return WaitForLog(host.ServiceLogPath(), "stop request ignored", 0);
      },
      kRunWait))
      << ReadLog(host.ServiceLogPath());
  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  EXPECT_FALSE(WaitUntil([&] { return run.WindowShown(); }, 2000)) << "shown while the user's wizard starts";
  service.Terminate();
  EXPECT_EQ(run.ExitCodeWithin(kRunWait), 0u) << Narrow(Log());
  EXPECT_FALSE(run.WindowShown());
  EXPECT_EQ(FileBytes(held), "h");
  // The user's wizard either gave up waiting or runs now that the other has ended.
  HWND dialog = nullptr;
  WaitUntil([&] { return !second.Running() || (dialog = FindProcessWindow(second.pid(), kDialogClass)) != nullptr; },
            20000);
  if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_NE(second.ExitCodeWithin(20000), STILL_ACTIVE);
}

// --- A log that cannot be written ---

TEST_F(UnattendedTest, UnwritableLogStopsNothing) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"a", L"甲", "aaa"), PackageItem(L"b", L"乙", "bbb")}));
  const std::wstring paths[] = {logs / L"no such folder\\run.log", logs.path()};
  for (const std::wstring& path : paths) {
    DeleteFileW(Installed(L"a.dic").c_str());
    DeleteFileW(Installed(L"b.dic").c_str());
    ChildProcess silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), {L"/S", L"/LOG=" + path}, AsTheShellStartsIt()));
    EXPECT_EQ(silent.ExitCodeWithin(kRunWait), 0u) << Narrow(path);
    EXPECT_FALSE(silent.WindowShown()) << Narrow(path);
    EXPECT_EQ(FileBytes(Installed(L"a.dic")), "aaa") << Narrow(path);
    EXPECT_EQ(FileBytes(Installed(L"b.dic")), "bbb") << Narrow(path);
  }
  EXPECT_FALSE(FileExists(logs / L"no such folder\\run.log"));

  // A user at the screen is told, and the wizard goes on.
  WizardRun shown;
  ASSERT_TRUE(shown.Start(wizard.Exe(), {L"/LOG=" + paths[0]}));
  HWND box = shown.WaitForMessageBox(nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(MessageBoxText(box).find(paths[0]), std::wstring::npos) << Narrow(MessageBoxText(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_NE(shown.WaitForDialog(), nullptr);
  PostMessageW(shown.dialog(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(shown.ExitCodeWithin(kRunWait), 2u) << "Esc, as always";
}

// A link at the log's path, planted by someone who cannot write the file it leads to: the elevated
// wizard writes no log there, and the linked file stays as it was.
TEST_F(UnattendedTest, LogAtALinkLeavesTheLinkedFileUnchanged) {
  HostRegistry::Remove();  // quick runs: each ends at the host check with 3
  using MakeLink = bool (*)(const std::wstring& target, const std::wstring& link);
  const std::pair<const char*, MakeLink> links[] = {
      {"symbolic link", MakeUnixSymlink}, {"hard link", [](const std::wstring& target, const std::wstring& link) {
                                             return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != 0;
                                           }}};
  for (const auto& [kind, make] : links) {
    ScratchDir place{L"linked"};
    ASSERT_TRUE(WriteFileBytes(place / L"target.txt", "precious"));
    ASSERT_TRUE(make(place / L"target.txt", place / L"run.log")) << kind;
    ChildProcess silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), {L"/S", L"/LOG=" + (place / L"run.log")}, AsTheShellStartsIt()));
    EXPECT_EQ(silent.ExitCodeWithin(kRunWait), 3u) << kind;
    EXPECT_FALSE(silent.WindowShown()) << kind;
    EXPECT_EQ(FileBytes(place / L"target.txt"), "precious") << kind;
  }
}

// A log asked for through a linked folder: the file made where the link leads is refused (its final
// path is not the path asked for) and deleted through its own handle, so a file of that name where
// the link leads by the time of the delete, re-pointed meanwhile, stays as it was.
TEST_F(UnattendedTest, RefusedLogThroughALinkedFolderDeletesOnlyTheFileMade) {
  HostRegistry::Remove();  // quick runs: each ends at the host check with 3
  struct Case {
    const char* name;
    bool repointed;  // the link flips between the empty folder and the one holding a log
    int runs;
  };
  for (const Case& c : {Case{"link to an empty folder", false, 1}, Case{"link re-pointed meanwhile", true, 12}}) {
    ScratchDir place{L"relinked"};
    ASSERT_TRUE(MakeDirs(place / L"empty") && MakeDirs(place / L"other")) << c.name;
    ASSERT_TRUE(WriteFileBytes(place / L"other\\run.log", "precious")) << c.name;
    ASSERT_TRUE(MakeUnixSymlink(place / L"empty", place / L"via")) << c.name;
    UnixLinkFlipper flipper;
    if (c.repointed) {
      ASSERT_TRUE(flipper.Start(place / L"via", place / L"empty", place / L"other")) << c.name;
    }
    for (int i = 0; i < c.runs; ++i) {
      ChildProcess silent;
      ASSERT_TRUE(silent.Start(wizard.Exe(), {L"/S", L"/LOG=" + (place / L"via\\run.log")}, AsTheShellStartsIt()));
      EXPECT_EQ(silent.ExitCodeWithin(kRunWait), 3u) << c.name;
    }
    ASSERT_TRUE(flipper.Stop()) << c.name;
    EXPECT_EQ(FileBytes(place / L"other\\run.log"), "precious") << c.name;
    // Wine carries out a delete on close by the name the file was opened by, and only while that
    // name still leads to it: with the link re-pointed the file made may stay (Windows deletes the
    // file itself), but never another.
    if (!c.repointed) {
      EXPECT_EQ(ListFolder(place / L"empty"), std::vector<std::wstring>{}) << c.name << ": the file made is deleted";
    }
  }
}

// --- Switch spellings ---

TEST_F(UnattendedTest, SwitchesInAnySpelling) {
  HostRegistry::Remove();  // quick runs: each ends at the host check with 3
  ScratchDir spaced{L"log folder with spaces"};
  const std::vector<std::wstring> lines[] = {{L"-s", L"-LOG=" + (spaced / L"a.log")},
                                             {L"/s", L"/log=" + (spaced / L"b.log")},
                                             {L"-LoG=" + (spaced / L"c d.log"), L"/S"}};
  const wchar_t* names[] = {L"a.log", L"b.log", L"c d.log"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(Narrow(lines[i][0] + L" " + lines[i][1]));
    ChildProcess silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), lines[i], AsTheShellStartsIt()));
    EXPECT_EQ(silent.ExitCodeWithin(kRunWait), 3u);
    EXPECT_FALSE(silent.WindowShown());
    EXPECT_NE(LogText(spaced / names[i]).find(ResultLogged(3, wizard_text::kExitHostMissing)), std::wstring::npos);
  }

  // Unattended, an unknown switch ends with 2, its reason in the log and no box.
  EXPECT_EQ(RunSilently({L"/S", L"/QUIET"}), 2u);
  EXPECT_FALSE(run.WindowShown());
  EXPECT_TRUE(Logged(FormatText(log_text::kBadCommandLine, FormatText(wizard_text::kUnknownSwitch, L"/QUIET").c_str())))
      << Narrow(Log());
}

// Interactively, /? and a switch that cannot be taken answer with a box listing the switches.
TEST_F(UnattendedTest, HelpAndUnknownSwitchAnswerWithABox) {
  HostRegistry::Remove();
  struct Case {
    const wchar_t* args;
    std::wstring names;  // what the box must name besides the help
    DWORD exitCode;
  };
  const std::wstring lastExitCode = std::wstring(L"\r\n6\t") + wizard_text::kExitAnotherWizardRuns;
  for (const Case& c : {Case{L"/?", lastExitCode, 0}, Case{L"-x", FormatText(wizard_text::kUnknownSwitch, L"-x"), 2},
                        Case{L"/START", FormatText(wizard_text::kStartWithoutSilent, L"/START"), 2}}) {
    WizardRun shown;
    ASSERT_TRUE(shown.Start(wizard.Exe(), {c.args}));
    HWND box = shown.WaitForMessageBox(nullptr);
    ASSERT_NE(box, nullptr) << Narrow(c.args);
    const std::wstring text = MessageBoxText(box);
    for (const std::wstring& part : {c.names, std::wstring(wizard_text::kSwitchHelp), lastExitCode}) {
      EXPECT_NE(text.find(part), std::wstring::npos) << Narrow(c.args) << ": " << Narrow(part);
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(shown.ExitCodeWithin(kRunWait), c.exitCode) << Narrow(c.args);
  }
}

}  // namespace
}  // namespace testsupport
