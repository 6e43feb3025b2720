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

#include "engine/format/package_format.h"
#include "engine/install/install_messages.h"
#include "engine/plan/install_plan.h"
#include "tests/support/fake_host.h"
#include "tests/support/wait.h"
#include "tests/support/window_picture.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

class WizardRunTest : public ::testing::Test {
 protected:
  HWND StartOnWelcome() {
    HWND dialog = run.StartAndWait(wizard.Exe());
    EXPECT_EQ(run.Page(), WizardPage::Welcome) << run.StartFailure();
    return dialog;
  }
  bool WaitForFinishedPage(DWORD timeoutMs = kRunWait) { return run.WaitForPage(WizardPage::Finished, timeoutMs); }
  std::string Installed(const std::wstring& name) { return FileBytes(host.DataDir() + L"\\" + name); }
  bool HostStarted() {
    Sleep(500);
    return testsupport::FileExists(host.HostLogPath());
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

  testsupport::FakeHost host;
  testsupport::WizardFolder wizard;
  testsupport::WizardRun run;
};

TEST_F(WizardRunTest, WholeInstallOfAMultiEntryPackage) {
  host.AddInstalledDict(L"old.dic", "2008.01.01");
  const std::string news(5000, 'n'), science(kBlockBytes, 's'), old(3000, 'o');
  ASSERT_TRUE(wizard.AddPackage(
      L"main.dir", {PackageItem(L"news", L"新闻", news), PackageItem(L"sci", L"科学", science, L"2009.11.13", L".dip"),
                    PackageItem(L"old", L"旧典", old), PackageItem(L"law", L"法律", "l")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);

  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(
      run.StatusLines(),
      (std::vector<std::wstring>{
          FormatText(wizard_text::kInstallStarting, L"新闻"), FormatText(wizard_text::kInstallSucceeded, L"新闻"),
          FormatText(wizard_text::kInstallStarting, L"科学"), FormatText(wizard_text::kInstallSucceeded, L"科学"),
          FormatText(wizard_text::kUpgradeStarting, L"旧典"), FormatText(wizard_text::kUpgradeSucceeded, L"旧典"),
          FormatText(wizard_text::kInstallStarting, L"法律"), FormatText(wizard_text::kInstallSucceeded, L"法律")}));
  EXPECT_EQ(run.ProgressMax(), BlocksOf(5000) + BlocksOf(kBlockBytes) + BlocksOf(3000) + BlocksOf(1));
  EXPECT_EQ(run.ProgressPos(), run.ProgressMax());
  EXPECT_EQ(Installed(L"news.dic"), news);
  EXPECT_EQ(Installed(L"sci.dip"), science);
  EXPECT_EQ(Installed(L"old.dic"), old);
  EXPECT_EQ(Installed(L"law.dic"), "l");
  Sleep(300);
  EXPECT_TRUE(testsupport::SaveScreenshot(dialog, L"finished"));

  // Un-ticked, Finish ends the wizard without starting the host.
  SendMessageW(run.Control(IDC_CHK_MAINDLG_RUNHOST), BM_SETCHECK, BST_UNCHECKED, 0);
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
  EXPECT_FALSE(HostStarted());
}

TEST_F(WizardRunTest, SingleEntryShowsItsLinesInTheTipText) {
  const std::string solo(2 * kBlockBytes + 1, 'x');
  ASSERT_TRUE(wizard.AddPackage(L"one.dir", {PackageItem(L"solo", L"单本", solo)}));
  ASSERT_NE(StartOnWelcome(), nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(run.TipText(), FormatText(wizard_text::kInstallSucceeded, L"单本"));
  EXPECT_TRUE(run.StatusLines().empty());
  EXPECT_EQ(run.ProgressPos(), BlocksOf(solo.size()));
  EXPECT_EQ(Installed(L"solo.dic"), solo);
  run.Key(VK_ESCAPE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u) << "Esc on the finished page: no hand-off";
  EXPECT_FALSE(HostStarted());
}

TEST_F(WizardRunTest, FinishedPageEndsWithOneOnEnter) {
  ASSERT_TRUE(wizard.AddPackage(L"one.dir", {PackageItem(L"solo", L"单本", "x")}));
  ASSERT_NE(StartOnWelcome(), nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  run.Key(VK_RETURN);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
  EXPECT_FALSE(HostStarted()) << "Enter never hands off";
}

// The host's service holds the installed dictionary and ignores the repair tool's stop request:
// the worker waits in its bounded poll for the service to end, so the run lasts as long as the
// test keeps the service, whatever the package's size. Meanwhile no way of closing works; once
// the service is gone, the upgrade completes.
TEST_F(WizardRunTest, RunCannotBeClosedWhileItGoesOn) {
  const std::wstring held = host.AddInstalledDict(L"held.dic", "2008.01.01");
  const std::string upgrade(3 * kBlockBytes, 'u');
  ASSERT_TRUE(
      wizard.AddPackage(L"main.dir", {PackageItem(L"small", L"小词典", "s"), PackageItem(L"held", L"占用", upgrade)}));
  testsupport::ChildProcess service;
  ASSERT_TRUE(testsupport::StartService(service, host.ServiceExe(), {L"--hold", held, L"--ignore-stop"}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);

  ASSERT_TRUE(testsupport::WaitForLog(host.ServiceLogPath(), "stop request ignored", kRunWait))
      << testsupport::ReadLog(host.ServiceLogPath());
  ASSERT_EQ(run.Page(), WizardPage::Running);
  TryToClose();
  Sleep(500);
  EXPECT_TRUE(run.Running()) << "closed while the worker runs";
  EXPECT_EQ(run.Page(), WizardPage::Running);
  EXPECT_TRUE(testsupport::SaveScreenshot(dialog, L"running"));

  service.Terminate();
  ASSERT_TRUE(WaitForFinishedPage());
  EXPECT_EQ(run.StatusLines(), (std::vector<std::wstring>{FormatText(wizard_text::kInstallStarting, L"小词典"),
                                                          FormatText(wizard_text::kInstallSucceeded, L"小词典"),
                                                          FormatText(wizard_text::kUpgradeStarting, L"占用"),
                                                          FormatText(wizard_text::kUpgradeSucceeded, L"占用")}));
  EXPECT_EQ(run.ProgressPos(), static_cast<LRESULT>(BlocksOf(1) + BlocksOf(upgrade.size())));
  EXPECT_EQ(Installed(L"held.dic"), upgrade);
  run.CloseBox();
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u);
}

// A package that can no longer be read when the run reaches it. The wizard holds it from its
// check on, so no Windows program can change it; cut on the Unix side, where Wine's share modes do
// not hold, it reads short.
class UnreadablePackageTest : public WizardRunTest {
 protected:
  void Spoil(const std::wstring& name) { ASSERT_TRUE(testsupport::TruncateOnUnixSide(wizard / name, 6)); }
};

// The box holds the worker in its message: the run waits, and every way of closing is refused.
TEST_F(UnreadablePackageTest, ReportedInTheListAndABoxThenTheRunGoesOn) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"alpha", L"甲", "aaa")}));
  ASSERT_TRUE(wizard.AddPackage(L"b.dir", {PackageItem(L"beta", L"乙", "bbb")}));
  ASSERT_NE(StartOnWelcome(), nullptr);
  Spoil(L"b.dir");
  run.Click(IDC_BTN_MAINDLG_NEXT);

  HWND box = run.WaitForMessageBox(wizard_text::kErrorCaption);
  ASSERT_NE(box, nullptr);
  const std::wstring line = FormatText(wizard_text::kUnpackFailed, (wizard / L"b.dir").c_str());
  EXPECT_EQ(testsupport::MessageBoxText(box), line);
  TryToClose();
  Sleep(500);
  EXPECT_TRUE(run.Running());
  EXPECT_TRUE(IsWindow(box));

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitForFinishedPage());
  const std::vector<std::wstring> lines = run.StatusLines();
  EXPECT_EQ(lines.size(), 3u);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), FormatText(wizard_text::kInstallSucceeded, L"甲")), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1);
  EXPECT_EQ(Installed(L"alpha.dic"), "aaa");
  EXPECT_EQ(Installed(L"beta.dic"), "<missing>");
  run.CloseBox();
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u);
}

// A run that ends without its end-of-run report leaves the wizard closable, with 2. The worker
// is held by the box while the report arrives, as if its run had stopped there.
TEST_F(UnreadablePackageTest, IncompleteRunCanBeClosedAndEndsWithTwo) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"alpha", L"甲", "aaa")}));
  ASSERT_TRUE(wizard.AddPackage(L"b.dir", {PackageItem(L"beta", L"乙", "bbb")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  Spoil(L"a.dir");
  Spoil(L"b.dir");
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_NE(run.WaitForMessageBox(wizard_text::kErrorCaption), nullptr);

  PostMessageW(dialog, WM_INSTALL_ABORTED, 0, 0);
  ASSERT_TRUE(run.WaitForPage(WizardPage::Incomplete, 10000));
  const std::vector<std::wstring> lines = run.StatusLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), wizard_text::kRunIncomplete);

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_MAINDLG_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u);
  EXPECT_FALSE(HostStarted()) << "no hand-off after an incomplete run";
}

// Finish with the box ticked: the dialog hides, the host is started with every packaged
// dictionary enabled, and the host is asked for its dictionary manager.
TEST_F(WizardRunTest, FinishHandsOffToTheHost) {
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {PackageItem(L"news", L"新闻", "n"), PackageItem(L"sci", L"科学", "s")}));
  HWND dialog = StartOnWelcome();
  ASSERT_NE(dialog, nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(WaitForFinishedPage());
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000)) << "dialog hidden";
  EXPECT_EQ(run.ExitCodeWithin(60000), 1u);

  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "started", 0)) << testsupport::ReadLog(host.HostLogPath());
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "dict manager shown", 10000))
      << testsupport::ReadLog(host.HostLogPath());
  EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"news", L"enable"), L"1");
  EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"sci", L"enable"), L"1");
}

}  // namespace
}  // namespace testsupport
