// A whole installation by the real wizard program under Wine, from the Next click to the
// finished page and the hand-off: status lines in order, the progress bar at its total, a
// package that cannot be read during the run, a run that does not complete, and the refusal of
// every way of closing while the worker runs.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/plan/install_messages.h"
#include "tests/wizard/screenshot.h"
#include "tests/wizard/wizard_process.h"
#include "wizard/res/resource.h"

namespace wizardtest {
namespace {

constexpr DWORD kExitWait = 30000;
constexpr DWORD kRunWait = 120000;

std::wstring InstallingLine(const std::wstring& title) { return L"正在为您安装《" + title + L"》，请稍候 ..."; }
std::wstring InstalledLine(const std::wstring& title) { return L"已为您成功安装《" + title + L"》。"; }
std::wstring UpgradingLine(const std::wstring& title) { return L"正在升级您本地的《" + title + L"》，请稍候 ..."; }
std::wstring UpgradedLine(const std::wstring& title) { return L"已为您成功升级《" + title + L"》到最新的版本。"; }
std::wstring UnpackLine(const std::wstring& path) {
  return L"“" + path + L"” 解压缩失败，请确认您从官方网站下载本词典安装包!";
}

class WizardRunTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareScreenshots(); }

  HWND StartOnWelcome() {
    EXPECT_TRUE(run.Start(wizard.Exe()));
    HWND dialog = run.WaitForDialog();
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
      EXPECT_TRUE(IsWindowVisible(run.Control(IDC_BTN_MAINDLG_NEXT))) << "not on the welcome page";
    }
    return dialog;
  }
  bool WaitForFinishedPage() {
    return WaitUntil([&] { return IsWindowVisible(run.Control(IDC_CHK_MAINDLG_RUNHOST)) != FALSE; }, kRunWait);
  }
  DWORD ExitCode() {
    DWORD code = 12345;
    EXPECT_TRUE(run.WaitForExit(kExitWait, code)) << "the wizard did not end";
    return code;
  }
  LRESULT ProgressPos() { return SendMessageW(run.Control(IDC_PRG_MAINDLG_PROGRESS), PBM_GETPOS, 0, 0); }
  LRESULT ProgressMax() { return SendMessageW(run.Control(IDC_PRG_MAINDLG_PROGRESS), PBM_GETRANGE, FALSE, 0); }
  std::string Installed(const std::wstring& name) {
    std::string bytes;
    return testsupport::ReadFileBytes(host.DataDir() + L"\\" + name, bytes) ? bytes : "<missing>";
  }
  // Tries every way of closing a dialog; none may work while the worker runs.
  void TryToClose() {
    run.Key(VK_ESCAPE);
    run.Key(VK_RETURN);
    run.CloseBox();
    PostMessageW(run.dialog(), WM_COMMAND, IDCANCEL, 0);
    PostMessageW(run.dialog(), WM_COMMAND, IDOK, 0);
    PostMessageW(run.dialog(), WM_COMMAND, MAKEWPARAM(IDC_BTN_MAINDLG_CLOSE, BN_CLICKED), 0);
    PostMessageW(run.dialog(), WM_COMMAND, MAKEWPARAM(IDC_BTN_MAINDLG_DOWNLOAD, BN_CLICKED), 0);
  }

  InstalledHost host;
  WizardFolder wizard;
  WizardRun run;
};

TEST_F(WizardRunTest, WholeInstallOfAMultiEntryPackage) {
  ASSERT_TRUE(host.AddInstalledDict(L"old.dic", "2008.01.01"));
  const std::string news(5000, 'n'), science(2048, 's'), old(3000, 'o');
  ASSERT_TRUE(wizard.AddPackage(L"main.dir",
                                {Entry(L"news", L"新闻", news), Entry(L"sci", L"科学", science, L"2009.11.13", L".dip"),
                                 Entry(L"old", L"旧典", old), Entry(L"law", L"法律", "l")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);

  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  const std::vector<std::wstring> expected = {InstallingLine(L"新闻"), InstalledLine(L"新闻"), InstallingLine(L"科学"),
                                              InstalledLine(L"科学"),  UpgradingLine(L"旧典"), UpgradedLine(L"旧典"),
                                              InstallingLine(L"法律"), InstalledLine(L"法律")};
  EXPECT_EQ(ListLines(run.Control(IDC_LST_MAINDLG_STATUS)), expected);
  EXPECT_EQ(ProgressMax(), 3 + 1 + 2 + 1) << "2048-byte blocks, a partial block counting whole";
  EXPECT_EQ(ProgressPos(), ProgressMax());
  EXPECT_EQ(VisibleControls(dialog),
            (std::set<int>{IDC_LST_MAINDLG_STATUS, IDC_CHK_MAINDLG_RUNHOST, IDC_BTN_MAINDLG_CLOSE}));
  EXPECT_EQ(WindowText(run.Control(IDC_CHK_MAINDLG_RUNHOST)), L"立即启动Lumidex并应用该词典(&R)");
  EXPECT_EQ(SendMessageW(run.Control(IDC_CHK_MAINDLG_RUNHOST), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)), L"完成(&C)");
  EXPECT_TRUE(IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_CLOSE)));
  EXPECT_EQ(Installed(L"news.dic"), news);
  EXPECT_EQ(Installed(L"sci.dip"), science);
  EXPECT_EQ(Installed(L"old.dic"), old);
  EXPECT_EQ(Installed(L"law.dic"), "l");
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot(dialog, L"finished"));

  // Un-ticked, Finish ends the wizard without starting the host.
  SendMessageW(run.Control(IDC_CHK_MAINDLG_RUNHOST), BM_SETCHECK, BST_UNCHECKED, 0);
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(ExitCode(), 1u);
  Sleep(500);
  EXPECT_FALSE(testsupport::FileExists(host.HostLogPath())) << "the host was started";
}

TEST_F(WizardRunTest, SingleEntryShowsItsLinesInTheTipText) {
  ASSERT_TRUE(wizard.AddPackage(L"one.dir", {Entry(L"solo", L"单本", std::string(4097, 'x'))}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  const int grownHeight = ControlHeight(run.Control(IDC_STC_MAINDLG_TIPINFO));
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)), InstalledLine(L"单本"));
  EXPECT_EQ(ControlHeight(run.Control(IDC_STC_MAINDLG_TIPINFO)), grownHeight - 30) << "shrunk back over the bar";
  EXPECT_EQ(ListLines(run.Control(IDC_LST_MAINDLG_STATUS)).size(), 0u);
  EXPECT_EQ(VisibleControls(dialog),
            (std::set<int>{IDC_STC_MAINDLG_TIPINFO, IDC_CHK_MAINDLG_RUNHOST, IDC_BTN_MAINDLG_CLOSE}));
  EXPECT_EQ(ProgressPos(), 3);
  EXPECT_EQ(Installed(L"solo.dic"), std::string(4097, 'x'));
  run.Key(VK_ESCAPE);
  EXPECT_EQ(ExitCode(), 2u) << "Esc on the finished page: no hand-off";
  EXPECT_FALSE(testsupport::FileExists(host.HostLogPath()));
}

TEST_F(WizardRunTest, FinishedPageEndsWithOneOnEnter) {
  ASSERT_TRUE(wizard.AddPackage(L"one.dir", {Entry(L"solo", L"单本", "x")}));
  ASSERT_NE(StartOnWelcome(), nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  run.Key(VK_RETURN);
  EXPECT_EQ(ExitCode(), 1u);
  Sleep(500);
  EXPECT_FALSE(testsupport::FileExists(host.HostLogPath())) << "Enter never hands off";
}

// More than 65535 blocks (over 128 MiB): the bar's range is the whole total, so the bar moves in
// step and ends full. The container is sparse, so the test writes little to disk itself.
TEST_F(WizardRunTest, LargePackageRunsOnTheFullRangeAndCannotBeClosedMeanwhile) {
  constexpr uint32_t kBlocks = 66000;
  const std::wstring container = wizard / L"big.dir";
  // The large entry comes second, after a small one, so the page shows the status list.
  ASSERT_TRUE(wizard.AddPackage(L"big.dir", {Entry(L"small", L"小词典", "s"), Entry(L"big", L"大词典", "")}));
  {
    HANDLE file = CreateFileW(container.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const uint32_t size = kBlocks * 2048;
    DWORD done = 0;
    SetFilePointer(file, 32 + 184 + 4, nullptr, FILE_BEGIN);  // the second entry's size field
    WriteFile(file, &size, 4, &done, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 32 + 2 * 184 + 1 + static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);

  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_CLOSE)); }, 10000));
  EXPECT_EQ(ProgressMax(), static_cast<LRESULT>(kBlocks + 1));
  EXPECT_FALSE(IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_NEXT)));
  EXPECT_TRUE(IsWindowVisible(run.Control(IDC_BTN_MAINDLG_NEXT))) << "both stay visible";
  EXPECT_TRUE(IsWindowVisible(run.Control(IDC_PRG_MAINDLG_PROGRESS)));
  EXPECT_TRUE(IsWindowVisible(run.Control(IDC_LST_MAINDLG_STATUS)));
  EXPECT_FALSE(IsWindowVisible(run.Control(IDC_STC_MAINDLG_TIPINFO)));
  // Mid-run, the bar moves.
  EXPECT_TRUE(WaitUntil([&] { return ProgressPos() > 1000; }, 60000));
  Sleep(200);
  EXPECT_TRUE(SaveScreenshot(dialog, L"running"));
  TryToClose();
  Sleep(500);
  EXPECT_TRUE(run.Running()) << "closed while the worker runs";

  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(ProgressPos(), static_cast<LRESULT>(kBlocks + 1));
  EXPECT_EQ(ListLines(run.Control(IDC_LST_MAINDLG_STATUS)),
            (std::vector<std::wstring>{InstallingLine(L"小词典"), InstalledLine(L"小词典"), InstallingLine(L"大词典"),
                                       InstalledLine(L"大词典")}));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW((host.DataDir() + L"\\big.dic").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, kBlocks * 2048);
  run.CloseBox();
  EXPECT_EQ(ExitCode(), 2u);
}

// A package that can no longer be read when the run reaches it (replaced after the plan).
class UnreadablePackageTest : public WizardRunTest {
 protected:
  // Replaces the container with bytes that are no container once the welcome page is up.
  void Spoil(const std::wstring& name) { ASSERT_TRUE(testsupport::WriteFileBytes(wizard / name, "spoilt")); }
};

TEST_F(UnreadablePackageTest, ReportedInTheListAndABoxThenTheRunGoesOn) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"alpha", L"甲", "aaa")}));
  ASSERT_TRUE(wizard.AddPackage(L"b.dir", {Entry(L"beta", L"乙", "bbb")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  Spoil(L"b.dir");
  run.Click(IDC_BTN_MAINDLG_NEXT);

  HWND box = run.WaitForMessageBox(L"错误");
  ASSERT_NE(box, nullptr);
  const std::wstring line = UnpackLine(wizard / L"b.dir");
  EXPECT_EQ(MessageBoxText(box), line);
  const std::vector<std::wstring> lines = ListLines(run.Control(IDC_LST_MAINDLG_STATUS));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), line) << "the line is in the list while the box is up";

  // The box holds the worker: still running, every way of closing refused.
  EXPECT_FALSE(IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_CLOSE)));
  TryToClose();
  Sleep(500);
  EXPECT_TRUE(run.Running());
  EXPECT_TRUE(IsWindow(box));

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitForFinishedPage());
  const std::vector<std::wstring> all = ListLines(run.Control(IDC_LST_MAINDLG_STATUS));
  EXPECT_EQ(all.size(), 3u);
  EXPECT_NE(std::find(all.begin(), all.end(), InstalledLine(L"甲")), all.end());
  EXPECT_EQ(std::count(all.begin(), all.end(), line), 1);
  EXPECT_EQ(Installed(L"alpha.dic"), "aaa");
  EXPECT_EQ(Installed(L"beta.dic"), "<missing>");
  EXPECT_EQ(ProgressPos(), 2) << "the bar ends full although one package was skipped";
  run.CloseBox();
  EXPECT_EQ(ExitCode(), 2u);
}

TEST_F(UnreadablePackageTest, SingleItemModeShowsTheBoxAndKeepsTheTipText) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"alpha", L"甲", "aaa")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  const std::wstring welcome = WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO));
  Spoil(L"a.dir");
  run.Click(IDC_BTN_MAINDLG_NEXT);
  HWND box = run.WaitForMessageBox(L"错误");
  ASSERT_NE(box, nullptr);
  const std::wstring line = UnpackLine(wizard / L"a.dir");
  EXPECT_EQ(MessageBoxText(box), line);
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)), welcome);
  EXPECT_FALSE(IsWindowVisible(run.Control(IDC_LST_MAINDLG_STATUS)));
  EXPECT_EQ(ListLines(run.Control(IDC_LST_MAINDLG_STATUS)), std::vector<std::wstring>{line});
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(ProgressPos(), 1);
  run.Key(VK_ESCAPE);
  EXPECT_EQ(ExitCode(), 2u);
}

// A run that ends without its end-of-run report leaves the wizard closable, with 2. The worker
// is held by the box while the report arrives, as if its run had stopped there.
TEST_F(UnreadablePackageTest, IncompleteRunCanBeClosedAndEndsWithTwo) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"alpha", L"甲", "aaa")}));
  ASSERT_TRUE(wizard.AddPackage(L"b.dir", {Entry(L"beta", L"乙", "bbb")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  Spoil(L"a.dir");
  Spoil(L"b.dir");
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_NE(run.WaitForMessageBox(L"错误"), nullptr);

  PostMessageW(dialog, WM_INSTALL_ABORTED, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_CLOSE)) != FALSE; }, 10000));
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)), L"关闭");
  EXPECT_FALSE(IsWindowVisible(run.Control(IDC_BTN_MAINDLG_NEXT)));
  const std::vector<std::wstring> lines = ListLines(run.Control(IDC_LST_MAINDLG_STATUS));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), L"安装未能完成。");
  const LRESULT top = SendMessageW(run.Control(IDC_LST_MAINDLG_STATUS), LB_GETTOPINDEX, 0, 0);
  EXPECT_GT(top + 1, 0) << "the list shows its last line";

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_MAINDLG_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(ExitCode(), 2u);
  Sleep(500);
  EXPECT_FALSE(testsupport::FileExists(host.HostLogPath())) << "no hand-off after an incomplete run";
}

// Finish with the box ticked: the dialog hides, the host is started with every packaged
// dictionary enabled, and the host is asked for its dictionary manager.
TEST_F(WizardRunTest, FinishHandsOffToTheHost) {
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {Entry(L"news", L"新闻", "n"), Entry(L"sci", L"科学", "s")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000)) << "dialog hidden";
  DWORD code = 0;
  EXPECT_TRUE(run.WaitForExit(60000, code));
  EXPECT_EQ(code, 1u);

  std::string log;
  testsupport::ReadFileBytes(host.HostLogPath(), log);
  EXPECT_NE(log.find("started"), std::string::npos) << log;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return testsupport::ReadFileBytes(host.HostLogPath(), log) &&
               log.find("dict manager shown") != std::string::npos;
      },
      10000))
      << log;
  wchar_t value[16] = {};
  GetPrivateProfileStringW(L"news", L"enable", L"", value, 16, host.ConfigPath().c_str());
  EXPECT_STREQ(value, L"1");
  GetPrivateProfileStringW(L"sci", L"enable", L"", value, 16, host.ConfigPath().c_str());
  EXPECT_STREQ(value, L"1");
}

}  // namespace
}  // namespace wizardtest
