// The real wizard program under Wine, started unattended (/S) and with a log (/LOG) as fleet tools
// start it: the installation it makes without ever showing a window, each exit code from its
// cause, the log naming every decision and failure, a log that cannot be written, a second
// wizard, and the switches' spellings.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"

namespace {

// --- The test kit, reached through these ---

using Host = testsupport::FakeHost;          // registry key, host program, core, data folder
using Folder = testsupport::WizardFolder;    // pakorra.exe and vintora.dll in a scratch folder
using Interactive = testsupport::WizardRun;  // a wizard started without arguments, driven by hand
using Scratch = testsupport::ScratchDir;
testsupport::ContainerItem Entry(const std::wstring& id, const std::wstring& title, const std::string& data,
                                 const std::wstring& date = L"2009.11.13") {
  return testsupport::PackageItem(id, title, data, date);
}
void RemoveHostKey() { testsupport::HostRegistry::Remove(); }
bool WriteBytes(const std::wstring& path, const std::string& bytes) { return testsupport::WriteFileBytes(path, bytes); }
std::string Bytes(const std::wstring& path) { return testsupport::FileBytes(path); }
bool Exists(const std::wstring& path) { return testsupport::FileExists(path); }
std::wstring BoxText(HWND box) { return testsupport::MessageBoxText(box); }
bool WaitUntil(const std::function<bool()>& condition, DWORD ms) { return testsupport::WaitUntil(condition, ms); }
std::string Narrow(const std::wstring& text) { return testsupport::Narrow(text); }

// --- The log's lines ---

// A status line as the log holds it.
std::wstring StatusLogged(const wchar_t* format, const wchar_t* title) {
  return FormatText(log_text::kStatus, FormatText(format, title).c_str());
}
// The log's last line for an unattended run's exit code and its meaning.
std::wstring ResultLogged(int code, const wchar_t* meaning) {
  const std::wstring outcome = std::to_wstring(code) + FormatText(log_text::kResultMeaning, meaning);
  return FormatText(log_text::kResult, outcome.c_str());
}

// --- Watching a wizard that nobody may see ---

constexpr DWORD kRunWait = 120000;

struct Look {
  DWORD pid;
  const wchar_t* className;  // null: any
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  Look& look = *reinterpret_cast<Look*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != look.pid || !IsWindowVisible(window)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (look.className != nullptr && std::wstring(name) != look.className) return TRUE;
  look.found = window;
  return FALSE;
}

HWND VisibleWindowOf(DWORD pid, const wchar_t* className = nullptr) {
  Look look = {pid, className, nullptr};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&look));
  return look.found;
}

// One start of the wizard with arguments, as the shell starts a program: with a show command
// (SW_SHOWNORMAL), which Windows may apply to a program's first ShowWindow call. Every wait looks
// for a visible window of it, every 10 ms, so a window shown for a moment is seen. The process
// inherits no handle, so it never holds CTest's output pipe, and is ended if a test leaves it.
class WatchedRun {
 public:
  ~WatchedRun() {
    if (process_ == nullptr) return;
    if (Running()) TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
  }
  bool Start(const std::wstring& exe, const std::wstring& args) {
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
  }
  DWORD pid() const { return pid_; }
  bool Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  void LookOnce() {
    if (VisibleWindowOf(pid_) != nullptr) windowShown = true;
  }
  bool WaitForExit(DWORD timeoutMs = kRunWait) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
      LookOnce();
      if (process_ != nullptr && WaitForSingleObject(process_, 10) == WAIT_OBJECT_0) {
        return GetExitCodeProcess(process_, &exitCode) != 0;
      }
    } while (GetTickCount64() < end);
    return false;
  }
  DWORD exitCode = 12345;
  bool windowShown = false;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// The log as text; `bom` tells whether it starts with the UTF-8 byte order mark.
std::wstring ReadLog(const std::wstring& path, bool* bom = nullptr) {
  std::string bytes = Bytes(path);
  if (bytes == "<missing>") return L"<missing>";
  const bool marked = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
  if (bom != nullptr) *bom = marked;
  if (marked) bytes.erase(0, 3);
  std::wstring text(bytes.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                         text.data(), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A fresh host with a wizard folder beside it; the log goes to a scratch folder of its own.
class UnattendedTest : public ::testing::Test {
 protected:
  // Runs the wizard to its end with `args` and the fixture's log; false when it did not end.
  bool RunSilently(const std::wstring& args) {
    if (!run.Start(wizard.Exe(), args + L" " + Quoted(L"/LOG=" + LogPath()))) return false;
    return run.WaitForExit();
  }
  std::wstring LogPath() const { return logs / L"run.log"; }
  std::wstring Log() const { return ReadLog(LogPath()); }
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

  Host host;
  Folder wizard;
  Scratch logs{L"logs"};
  WatchedRun run;
};

// --- A whole unattended installation ---

class SilentInstallTest : public UnattendedTest {
 protected:
  void SetUp() override {
    host.AddInstalledDict(L"old.dic", "2008.01.01");
    host.AddInstalledDict(L"same.dic", "2010.01.01");  // newer than the package's
    sameBefore = Bytes(Installed(L"same.dic"));
    ASSERT_TRUE(
        WriteBytes(host.ConfigPath(), "[old]\r\nid=old\r\ndesc_name=Old v1\r\n[same]\r\ndesc_name=Same v3\r\n"));
    ASSERT_TRUE(WriteBytes(wizard / L"dictconfig.ini", "[new]\r\ndesc_name=New\r\n[old]\r\ndesc_name=Old v2\r\n"));
    ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"new", L"新词典", fresh), Entry(L"old", L"旧词典", upgrade),
                                                Entry(L"same", L"同词典", "s")}));
  }
  const std::string fresh = std::string(5000, 'n');
  const std::string upgrade = std::string(2049, 'u');
  std::string sameBefore;
};

TEST_F(SilentInstallTest, InstallsUpgradesAndSkipsWithoutEverShowingAWindow) {
  ASSERT_TRUE(RunSilently(L"/S"));
  EXPECT_EQ(run.exitCode, 0u) << Narrow(Log());
  EXPECT_FALSE(run.windowShown);
  EXPECT_EQ(Bytes(Installed(L"new.dic")), fresh);
  EXPECT_EQ(Bytes(Installed(L"old.dic")), upgrade);
  EXPECT_EQ(Bytes(Installed(L"same.dic")), sameBefore) << "the installed copy is newer";
  EXPECT_EQ(Config(L"new", L"id"), L"new");
  EXPECT_EQ(Config(L"new", L"desc_name"), L"New");
  EXPECT_EQ(Config(L"old", L"desc_name"), L"Old v2");
  EXPECT_EQ(Config(L"same", L"desc_name"), L"Same v3");
  EXPECT_EQ(Config(L"new", L"enable"), L"<none>") << "no hand-off without /START";
  Sleep(500);
  EXPECT_FALSE(Exists(host.HostLogPath())) << "the host was started";

  // The log names the host, every decision with its dates, every status line and the result.
  bool bom = false;
  const std::wstring log = ReadLog(LogPath(), &bom);
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
  WatchedRun again;
  ASSERT_TRUE(again.Start(wizard.Exe(), L"/S"));
  ASSERT_TRUE(again.WaitForExit());
  EXPECT_EQ(again.exitCode, 0u);
  EXPECT_FALSE(again.windowShown);
}

// With /START the run ends as a ticked "完成(&C)" would; a log without a path goes to %TEMP%.
TEST_F(SilentInstallTest, StartHandsOffToTheHostAndLogGoesToTemp) {
  wchar_t saved[2][MAX_PATH] = {};
  const wchar_t* names[] = {L"TMP", L"TEMP"};  // the system's temporary folder, in its order
  for (int i = 0; i < 2; ++i) GetEnvironmentVariableW(names[i], saved[i], MAX_PATH);
  for (const wchar_t* name : names) SetEnvironmentVariableW(name, logs.path().c_str());
  const bool started = run.Start(wizard.Exe(), L"/S /START /LOG");
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(names[i], saved[i][0] != 0 ? saved[i] : nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(run.WaitForExit());
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(run.windowShown);
  EXPECT_EQ(Bytes(Installed(L"new.dic")), fresh);
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "dict manager shown", 10000))
      << testsupport::ReadLog(host.HostLogPath());
  for (const wchar_t* id : {L"new", L"old", L"same"}) EXPECT_EQ(Config(id, L"enable"), L"1") << Narrow(id);
  // The desktop's shell started the host, not the elevated wizard, in the host's own folder.
  testsupport::StartRecord start;
  ASSERT_TRUE(testsupport::WaitForStartRecord(host.HostLogPath(), start, 10000));
  EXPECT_EQ(start.parentName, "explorer.exe");
  EXPECT_NE(start.parentId, run.pid());
  EXPECT_EQ(start.folder, host.dir());

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((logs / L"pakorra-*.log").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no log in %TEMP%";
  const std::wstring name = found.cFileName;
  EXPECT_FALSE(FindNextFileW(search, &found)) << "one log";
  FindClose(search);
  EXPECT_EQ(name.size(), std::wstring(L"pakorra-20240501-080000.log").size()) << Narrow(name);
  const std::wstring log = ReadLog(logs / name);
  for (const std::wstring& line :
       {FormatText(log_text::kLogFile, (logs / name).c_str()),
        std::wstring(log_text::kUnattendedFinish) + log_text::kStartsHost, std::wstring(log_text::kHandOffDone)}) {
    EXPECT_NE(log.find(line), std::wstring::npos) << Narrow(line) << "\n" << Narrow(log);
  }
}

// --- Each exit code from its cause ---

TEST_F(UnattendedTest, HostMissingOrIncompleteEndsWithThree) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"a", L"甲", "a")}));
  RemoveHostKey();
  ASSERT_TRUE(RunSilently(L"/S"));
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_FALSE(run.windowShown);
  EXPECT_TRUE(Logged(L"诊断：IsHostInstalled-1: read Location fail")) << Narrow(Log());
  EXPECT_TRUE(Logged(ResultLogged(3, wizard_text::kExitHostMissing)));

  Host incomplete;
  ASSERT_TRUE(DeleteFileW((incomplete.dir() + L"\\Lumidex.exe").c_str()));
  WatchedRun again;
  ASSERT_TRUE(again.Start(wizard.Exe(), L"/S " + Quoted(L"/LOG=" + (logs / L"incomplete.log"))));
  ASSERT_TRUE(again.WaitForExit());
  EXPECT_EQ(again.exitCode, 3u);
  EXPECT_NE(ReadLog(logs / L"incomplete.log").find(L"IsHostInstalled-3: host exe missing: " + incomplete.dir()),
            std::wstring::npos);
  EXPECT_FALSE(Exists(incomplete.DataDir() + L"\\a.dic"));
}

TEST_F(UnattendedTest, DamagedPackageEndsWithFourAndTouchesNothing) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"a", L"甲", "a")}));
  ASSERT_TRUE(WriteBytes(wizard / L"broken.dir", "no container"));
  ASSERT_TRUE(RunSilently(L"/S"));
  EXPECT_EQ(run.exitCode, 4u);
  EXPECT_FALSE(run.windowShown) << "no \"fail\" box";
  EXPECT_TRUE(Logged(L"诊断：ReadDFFileInfo-1: init fail:" + (wizard / L"broken.dir"))) << Narrow(Log());
  EXPECT_TRUE(Logged(log_text::kStartupFailed));
  EXPECT_TRUE(Logged(ResultLogged(4, wizard_text::kExitStartupCheckFailed)));
  EXPECT_FALSE(Exists(Installed(L"a.dic")));
}

TEST_F(UnattendedTest, FolderWithoutAContainerEndsWithFour) {
  ASSERT_TRUE(RunSilently(L"/S"));
  EXPECT_EQ(run.exitCode, 4u) << Narrow(Log());
  EXPECT_FALSE(run.windowShown);
  EXPECT_TRUE(Logged(log_text::kNoContainer));
  EXPECT_TRUE(Logged(ResultLogged(4, wizard_text::kExitStartupCheckFailed)));
}

TEST_F(UnattendedTest, FailedEntryEndsWithFiveAfterTheOthersInstalled) {
  // A folder where the new dictionary's file would go: the entry fails and is rolled back.
  ASSERT_TRUE(CreateDirectoryW(Installed(L"bad.dic").c_str(), nullptr));
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"bad", L"坏词典", "b"), Entry(L"good", L"好词典", "g")}));
  ASSERT_TRUE(RunSilently(L"/S"));
  EXPECT_EQ(run.exitCode, 5u);
  EXPECT_FALSE(run.windowShown);
  EXPECT_EQ(Bytes(Installed(L"good.dic")), "g");
  EXPECT_TRUE(Logged(L"诊断：InstallEntry-2: target not its own file: " + Installed(L"bad.dic"))) << Narrow(Log());
  EXPECT_TRUE(Logged(StatusLogged(wizard_text::kInstallFailed, L"坏词典")));
  EXPECT_TRUE(Logged(FormatText(log_text::kRunFinished, L"1") + FormatText(log_text::kRunFailures, L"1")));
  EXPECT_TRUE(Logged(ResultLogged(5, wizard_text::kExitNotAllInstalled)));
}

TEST_F(UnattendedTest, AnotherWizardMeansSixAndNothingIsBroughtForward) {
  RemoveHostKey();  // the first wizard waits on its host-missing page
  Interactive first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));

  Folder other;  // another copy of the wizard: still one wizard per machine
  ASSERT_TRUE(run.Start(other.Exe(), L"/S " + Quoted(L"/LOG=" + LogPath())));
  ASSERT_TRUE(run.WaitForExit());
  EXPECT_EQ(run.exitCode, 6u);
  EXPECT_FALSE(run.windowShown);
  EXPECT_TRUE(IsIconic(dialog)) << "the running wizard was brought forward";
  EXPECT_TRUE(Logged(log_text::kOtherWizardBusy)) << Narrow(Log());
  EXPECT_TRUE(Logged(ResultLogged(6, wizard_text::kExitAnotherWizardRuns)));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  DWORD code = 0;
  EXPECT_TRUE(first.WaitForExit(20000, code));
}

// A user's start while an unattended wizard installs must never show that wizard's dialog.
TEST_F(UnattendedTest, UnattendedDialogStaysHiddenWhenAUserStartsTheWizard) {
  // A large entry keeps the run going for seconds: its container is made sparse, so the test
  // writes little itself (the second record's size field, and the file's new end).
  constexpr uint32_t kBigBytes = 30000 * 2048;
  ASSERT_TRUE(wizard.AddPackage(L"big.dir", {Entry(L"small", L"小词典", "s"), Entry(L"big", L"大词典", "")}));
  {
    HANDLE file = CreateFileW((wizard / L"big.dir").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    SetFilePointer(file, 32 + 184 + 4, nullptr, FILE_BEGIN);
    WriteFile(file, &kBigBytes, 4, &done, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 32 + 2 * 184 + 1 + static_cast<LONGLONG>(kBigBytes);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  ASSERT_TRUE(run.Start(wizard.Exe(), L"/S " + Quoted(L"/LOG=" + LogPath())));
  ASSERT_TRUE(WaitUntil(
      [&] {
        run.LookOnce();
        return Logged(StatusLogged(wizard_text::kInstallStarting, L"大词典"));
      },
      60000));
  Interactive second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  ASSERT_TRUE(run.WaitForExit());
  EXPECT_EQ(run.exitCode, 0u) << Narrow(Log());
  EXPECT_FALSE(run.windowShown);
  // The user's wizard either gave up waiting or runs now that the other has ended.
  HWND dialog = nullptr;
  WaitUntil([&] { return !second.Running() || (dialog = VisibleWindowOf(second.pid(), L"#32770")) != nullptr; }, 20000);
  if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  DWORD code = 0;
  EXPECT_TRUE(second.WaitForExit(20000, code));
}

// --- A log that cannot be written ---

TEST_F(UnattendedTest, UnwritableLogStopsNothing) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"a", L"甲", "aaa"), Entry(L"b", L"乙", "bbb")}));
  const std::wstring paths[] = {logs / L"no such folder\\run.log", logs.path()};
  for (const std::wstring& path : paths) {
    DeleteFileW(Installed(L"a.dic").c_str());
    DeleteFileW(Installed(L"b.dic").c_str());
    WatchedRun silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), L"/S " + Quoted(L"/LOG=" + path)));
    ASSERT_TRUE(silent.WaitForExit());
    EXPECT_EQ(silent.exitCode, 0u) << Narrow(path);
    EXPECT_FALSE(silent.windowShown) << Narrow(path);
    EXPECT_EQ(Bytes(Installed(L"a.dic")), "aaa") << Narrow(path);
    EXPECT_EQ(Bytes(Installed(L"b.dic")), "bbb") << Narrow(path);
  }
  EXPECT_FALSE(Exists(logs / L"no such folder\\run.log"));

  // A user at the screen is told, and the wizard goes on.
  WatchedRun shown;
  ASSERT_TRUE(shown.Start(wizard.Exe(), Quoted(L"/LOG=" + paths[0])));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = VisibleWindowOf(shown.pid(), L"#32770")) != nullptr; }, 30000));
  EXPECT_NE(BoxText(box).find(paths[0]), std::wstring::npos) << Narrow(BoxText(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        dialog = VisibleWindowOf(shown.pid(), L"#32770");
        return dialog != nullptr && dialog != box && testsupport::WindowText(dialog) == wizard_text::kTitle;
      },
      30000));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(shown.WaitForExit());
  EXPECT_EQ(shown.exitCode, 2u) << "Esc, as always";
}

// A link at the log's path, planted by someone who cannot write the file it leads to: the elevated
// wizard writes no log there, and the linked file stays as it was.
TEST_F(UnattendedTest, LogAtALinkLeavesTheLinkedFileUnchanged) {
  RemoveHostKey();  // quick runs: each ends at the host check with 3
  using MakeLink = bool (*)(const std::wstring& target, const std::wstring& link);
  const std::pair<const char*, MakeLink> links[] = {
      {"symbolic link", testsupport::MakeUnixSymlink},
      {"hard link", [](const std::wstring& target, const std::wstring& link) {
         return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != 0;
       }}};
  for (const auto& [kind, make] : links) {
    Scratch place{L"linked"};
    ASSERT_TRUE(WriteBytes(place / L"target.txt", "precious"));
    ASSERT_TRUE(make(place / L"target.txt", place / L"run.log")) << kind;
    WatchedRun silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), L"/S " + Quoted(L"/LOG=" + (place / L"run.log"))));
    ASSERT_TRUE(silent.WaitForExit());
    EXPECT_EQ(silent.exitCode, 3u) << kind;
    EXPECT_FALSE(silent.windowShown) << kind;
    EXPECT_EQ(Bytes(place / L"target.txt"), "precious") << kind;
  }
}

// --- Switch spellings ---

TEST_F(UnattendedTest, SwitchesInAnySpelling) {
  RemoveHostKey();  // quick runs: each ends at the host check with 3
  Scratch spaced{L"log folder with spaces"};
  const std::wstring lines[] = {L"-s -LOG=" + Quoted(spaced / L"a.log"), L"/s /log=" + Quoted(spaced / L"b.log"),
                                Quoted(L"-LoG=" + (spaced / L"c d.log")) + L" /S"};
  const wchar_t* names[] = {L"a.log", L"b.log", L"c d.log"};
  for (int i = 0; i < 3; ++i) {
    WatchedRun silent;
    ASSERT_TRUE(silent.Start(wizard.Exe(), lines[i]));
    ASSERT_TRUE(silent.WaitForExit());
    EXPECT_EQ(silent.exitCode, 3u) << Narrow(lines[i]);
    EXPECT_FALSE(silent.windowShown) << Narrow(lines[i]);
    EXPECT_NE(ReadLog(spaced / names[i]).find(ResultLogged(3, wizard_text::kExitHostMissing)), std::wstring::npos)
        << Narrow(lines[i]);
  }

  // Unattended, an unknown switch ends with 2, its reason in the log and no box.
  ASSERT_TRUE(RunSilently(L"/S /QUIET"));
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_FALSE(run.windowShown);
  EXPECT_TRUE(Logged(FormatText(log_text::kBadCommandLine, FormatText(wizard_text::kUnknownSwitch, L"/QUIET").c_str())))
      << Narrow(Log());
}

// Interactively, /? and a switch that cannot be taken answer with a box listing the switches.
TEST_F(UnattendedTest, HelpAndUnknownSwitchAnswerWithABox) {
  RemoveHostKey();
  struct Case {
    const wchar_t* args;
    std::wstring names;  // what the box must name besides the help
    DWORD exitCode;
  };
  const std::wstring lastExitCode = std::wstring(L"\r\n6\t") + wizard_text::kExitAnotherWizardRuns;
  for (const Case& c : {Case{L"/?", lastExitCode, 0}, Case{L"-x", FormatText(wizard_text::kUnknownSwitch, L"-x"), 2},
                        Case{L"/START", FormatText(wizard_text::kStartWithoutSilent, L"/START"), 2}}) {
    WatchedRun shown;
    ASSERT_TRUE(shown.Start(wizard.Exe(), c.args));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = VisibleWindowOf(shown.pid(), L"#32770")) != nullptr; }, 30000))
        << Narrow(c.args);
    const std::wstring text = BoxText(box);
    for (const std::wstring& part : {c.names, std::wstring(wizard_text::kSwitchHelp), lastExitCode}) {
      EXPECT_NE(text.find(part), std::wstring::npos) << Narrow(c.args) << ": " << Narrow(part);
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(shown.WaitForExit());
    EXPECT_EQ(shown.exitCode, c.exitCode) << Narrow(c.args);
    EXPECT_EQ(VisibleWindowOf(shown.pid()), nullptr);
  }
}

}  // namespace
