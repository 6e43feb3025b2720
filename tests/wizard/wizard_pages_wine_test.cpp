// The real wizard program under Wine: the page its start-up check chooses from a real host and
// package, each way of closing it with its exit code, and the dialog's answers to the worker. What each page shows is
// checked by the logic tests (wizard_logic_test); here a page is told apart by its controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "engine/install/install_messages.h"
#include "engine/plan/plan_summary.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/window_picture.h"
#include "tests/support/wizard_run.h"
#include "tests/wizard/url_recorder.h"
#include "wizard/download_page.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

using wizardtest::UrlRecorder;

class WizardPagesTest : public ::testing::Test {
 protected:
  HWND Start() {
    HWND dialog = run.StartAndWait(wizard.Exe());
    EXPECT_NE(dialog, nullptr) << "no wizard dialog " << run.StartFailure();
    return dialog;
  }
  void Picture(const wchar_t* name) {
    Sleep(300);  // let the page finish painting
    EXPECT_TRUE(testsupport::SaveScreenshot(run.dialog(), name));
  }

  testsupport::WizardFolder wizard;
  testsupport::WizardRun run;
};

class HostMissingTest : public WizardPagesTest {
 protected:
  void SetUp() override {
    WizardPagesTest::SetUp();
    testsupport::HostRegistry::Remove();
  }
  // The web page the shell is asked to open when the button is clicked ("" for none within the
  // time); the wizard ends with 1 either way.
  std::wstring PageOpenedBy(int button, unsigned waitMs) {
    UrlRecorder recorder;
    EXPECT_NE(Start(), nullptr);
    run.Click(button);
    EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
    std::wstring url;
    recorder.WaitForUrl(url, waitMs);
    return url;
  }
};

TEST_F(HostMissingTest, PageOffersTheDownload) {
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(testsupport::WindowText(dialog), wizard_text::kTitle);
  EXPECT_EQ(run.Page(), WizardPage::HostMissing);
  Picture(L"host_missing");
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
}

// An entry report answers 1 and writes its line only for Install and Upgrade, the actions the
// worker reports; any other number is answered 0 without a line, whatever the page.
TEST_F(HostMissingTest, EntryReportsOfOtherActionsAreRefused) {
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  const auto answer = [&](UINT message, LPARAM action) {
    DWORD_PTR result = 7;
    EXPECT_TRUE(SendMessageTimeoutW(dialog, message, 0, action, SMTO_ABORTIFHUNG, 5000, &result));
    return result;
  };
  for (UINT message : {WM_ITEM_START, WM_ITEM_SUCCESS, WM_ITEM_FAIL}) {
    for (LPARAM action : {static_cast<LPARAM>(EntryAction::Skip), LPARAM{3}, LPARAM{-1}}) {
      EXPECT_EQ(answer(message, action), 0u) << message << " " << action;
    }
  }
  EXPECT_TRUE(run.StatusLines().empty());
  EXPECT_EQ(answer(WM_ITEM_START, static_cast<LPARAM>(EntryAction::Upgrade)), 1u);
  EXPECT_EQ(run.StatusLines(), std::vector<std::wstring>{FormatText(wizard_text::kUpgradeStarting, L"")});
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
}

TEST_F(HostMissingTest, DownloadOpensTheDownloadPageThenEnds) {
  EXPECT_EQ(PageOpenedBy(IDC_BTN_MAINDLG_DOWNLOAD, 20000), std::wstring(PAKORRA_DOWNLOAD_PAGE))
      << "the build's download page setting";
}

// When the desktop's shell cannot open the page (here the browser it would start is missing), the
// wizard opens nothing itself: a box gives the address to copy, then the wizard ends.
TEST_F(HostMissingTest, DownloadWhenTheShellFailsShowsTheAddress) {
  UrlRecorder recorder;
  const std::wstring missing = L"\"" + testsupport::BuiltFile(L"no such browser.exe") + L"\" \"%1\"";
  for (const wchar_t* scheme : {L"http", L"https"}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command").c_str(),
                              0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing.c_str()),
                   static_cast<DWORD>((missing.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  ASSERT_NE(Start(), nullptr);
  run.Click(IDC_BTN_MAINDLG_DOWNLOAD);
  HWND box = run.WaitForMessageBox(wizard_text::kTitle);
  ASSERT_NE(box, nullptr) << "no box with the address";
  EXPECT_NE(testsupport::MessageBoxText(box).find(FormatText(wizard_text::kDownloadPageNotOpened, PAKORRA_DOWNLOAD_PAGE)),
            std::wstring::npos)
      << testsupport::Narrow(testsupport::MessageBoxText(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
}

TEST_F(HostMissingTest, CloseOpensNothing) { EXPECT_EQ(PageOpenedBy(IDC_BTN_MAINDLG_CLOSE, 1500), L""); }

// How a user closes a dialog reaches the program as its commands, and the quit code becomes the
// exit code. Which command ends with which code on which page is the logic's, tested there.
struct Closing {
  const char* name;
  void (*close)(const testsupport::WizardRun&);
  DWORD exitCode;
};

void PrintTo(const Closing& closing, std::ostream* out) { *out << closing.name; }

class ClosingTest : public HostMissingTest, public ::testing::WithParamInterface<Closing> {};

TEST_P(ClosingTest, EndsWithItsCode) {
  ASSERT_NE(Start(), nullptr);
  GetParam().close(run);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, ClosingTest,
    ::testing::Values(
        Closing{"Esc", [](const testsupport::WizardRun& run) { run.Key(VK_ESCAPE); }, 2},
        Closing{"CloseBox", [](const testsupport::WizardRun& run) { run.CloseBox(); }, 2},
        // Enter on a control that is not a push button.
        Closing{"Enter", [](const testsupport::WizardRun& run) { PostMessageW(run.dialog(), WM_COMMAND, IDOK, 0); },
                1}),
    [](const ::testing::TestParamInfo<Closing>& info) { return std::string(info.param.name); });

class InstalledHostTest : public WizardPagesTest {
 protected:
  FakeHost host;
};

TEST_F(InstalledHostTest, NewerInstalledDataShowsUpToDatePage) {
  host.AddInstalledDict(L"news.dic", "2010.01.01");
  ASSERT_TRUE(wizard.AddPackage(L"news.dir", {PackageItem(L"news", L"新闻词典", "data", L"2009.11.13")}));
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(run.Page(), WizardPage::UpToDate);
  Picture(L"up_to_date");
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
}

// A run cut off between its two renames left the dictionary only under its backup name, and the
// package is older: nothing to install, but closing the up-to-date page, whichever way, puts the
// dictionary back under its own name. Closing the welcome page instead writes nothing.
TEST_F(InstalledHostTest, ClosingTheUpToDatePagePutsALoneBackupBack) {
  const std::wstring own = host.DataDir() + L"\\x.dic", backup = own + kBackupSuffix;
  const std::string intact = testsupport::DictionaryFile("2010.01.01", "the only copy");
  ASSERT_TRUE(wizard.AddPackage(L"x.dir", {PackageItem(L"x", L"甲", "older", L"2009.11.13")}));
  struct Way {
    const char* name;
    void (*close)(const testsupport::WizardRun&);
    DWORD exitCode;
  };
  for (const Way& way : {Way{"Close", [](const testsupport::WizardRun& r) { r.Click(IDC_BTN_MAINDLG_CLOSE); }, 1},
                         Way{"Esc", [](const testsupport::WizardRun& r) { r.Key(VK_ESCAPE); }, 2}}) {
    SCOPED_TRACE(way.name);
    DeleteFileW(own.c_str());
    ASSERT_TRUE(testsupport::WriteFileBytes(backup, intact));
    testsupport::WizardRun closing;
    ASSERT_NE(closing.StartAndWait(wizard.Exe()), nullptr) << closing.StartFailure();
    EXPECT_EQ(closing.Page(), WizardPage::UpToDate);
    EXPECT_FALSE(testsupport::FileExists(own)) << "the start-up check changes nothing";
    way.close(closing);
    EXPECT_EQ(closing.ExitCodeWithin(kExitWait), way.exitCode);
    EXPECT_EQ(testsupport::FileBytes(own), intact);
    EXPECT_FALSE(testsupport::FileExists(backup));
  }

  // A newer package: the welcome page, closed without installing, leaves the backup waiting.
  ASSERT_TRUE(testsupport::WriteFileBytes(backup, intact));
  DeleteFileW(own.c_str());
  ASSERT_TRUE(wizard.AddPackage(L"x.dir", {PackageItem(L"x", L"甲", "newer", L"2011.01.01")}));
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(run.Page(), WizardPage::Welcome);
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
  EXPECT_FALSE(testsupport::FileExists(own));
  EXPECT_EQ(testsupport::FileBytes(backup), intact);
}

TEST_F(InstalledHostTest, NoPackageAtAllShowsUpToDatePage) {
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(run.Page(), WizardPage::UpToDate);
  run.Key(VK_ESCAPE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u);
}

// The summary comes from the real inventory and plan: the one place it meets the page's text.
TEST_F(InstalledHostTest, WelcomePageSummarisesThePlan) {
  host.AddInstalledDict(L"old.dic", "2008.01.01");
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {PackageItem(L"new", L"新词典", "n"), PackageItem(L"old", L"旧词典", "o")}));
  ASSERT_NE(Start(), nullptr);
  EXPECT_EQ(run.Page(), WizardPage::Welcome);
  EXPECT_EQ(run.TipText(),
            FormatText(wizard_text::kWelcomeFormat, (FormatText(plan_text::kPlanSummaryInstall, L"新词典") +
                                                     FormatText(plan_text::kPlanSummaryUpgrade, L"旧词典"))
                                                        .c_str()));
  Picture(L"welcome");
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 1u);
  EXPECT_FALSE(testsupport::FileExists(host.DataDir() + L"\\new.dic")) << "cancelled before anything was installed";
}

TEST_F(InstalledHostTest, FailedInventoryShowsFailAndEndsWithTwo) {
  ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"broken.dir", "not a container at all, far too short"));
  ASSERT_TRUE(run.Start(wizard.Exe()));
  HWND box = run.WaitForMessageBox(nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(testsupport::MessageBoxText(box), wizard_text::kStartupFailed);
  Sleep(300);
  EXPECT_TRUE(testsupport::SaveScreenshot(box, L"startup_fail"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u) << "a failure is not reported as success";
}

}  // namespace
}  // namespace testsupport
