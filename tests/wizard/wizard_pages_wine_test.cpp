// The real wizard program under Wine, on the pages chosen by its start-up check: what each page
// shows, the tip text's 30-pixel growth, and every way of closing with its exit code.
#include <gtest/gtest.h>

#include <string>

#include "tests/wizard/screenshot.h"
#include "tests/wizard/url_recorder.h"
#include "tests/wizard/wizard_process.h"
#include "wizard/download_page.h"
#include "wizard/res/resource.h"

namespace wizardtest {
namespace {

const std::wstring kHostMissingText =
    L"未检测到Lumidex2.0安装信息，或您的Lumidex2.0安装环境并不完整。建议您重新安装Lumidex2.0后再运行本安装向导。";
const std::wstring kUpToDateText =
    L"您本地安装的词典数据版本高于本次安装向导提供的词典，您无需安装本安装向导提供的词典。";

constexpr DWORD kExitWait = 20000;

class WizardPagesTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareScreenshots(); }

  HWND Start() {
    EXPECT_TRUE(run.Start(wizard.Exe()));
    HWND dialog = run.WaitForDialog();
    EXPECT_NE(dialog, nullptr) << "no wizard dialog";
    return dialog;
  }
  DWORD ExitCode() {
    DWORD code = 12345;
    EXPECT_TRUE(run.WaitForExit(kExitWait, code)) << "the wizard did not end";
    return code;
  }
  // The tip text's height against the template's 23 dialog units.
  int TipGrowth() {
    return ControlHeight(run.Control(IDC_STC_MAINDLG_TIPINFO)) - DialogUnitsToPixelsY(run.dialog(), 23);
  }
  int TipTop() {
    RECT rect = {};
    GetWindowRect(run.Control(IDC_STC_MAINDLG_TIPINFO), &rect);
    POINT corner = {rect.left, rect.top};
    ScreenToClient(run.dialog(), &corner);
    return corner.y;
  }

  WizardFolder wizard;
  WizardRun run;
};

class HostMissingTest : public WizardPagesTest {
 protected:
  void SetUp() override {
    WizardPagesTest::SetUp();
    testsupport::HostRegistry::Remove();
  }
};

TEST_F(HostMissingTest, PageOffersTheDownload) {
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), kWizardTitle);
  EXPECT_EQ(VisibleControls(dialog),
            (std::set<int>{IDC_STC_MAINDLG_TIPINFO, IDC_BTN_MAINDLG_DOWNLOAD, IDC_BTN_MAINDLG_CLOSE}));
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)), kHostMissingText);
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_DOWNLOAD)), L"下载 Lumidex2.0 ");
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)), L"关闭");
  EXPECT_EQ(TipGrowth(), 30) << "the tip text grows over the progress bar's place";
  EXPECT_EQ(TipTop(), DialogUnitsToPixelsY(dialog, 17)) << "growing keeps the top";
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot(dialog, L"host_missing"));

  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(HostMissingTest, EscEndsWithTwo) {
  ASSERT_NE(Start(), nullptr);
  run.Key(VK_ESCAPE);
  EXPECT_EQ(ExitCode(), 2u);
}

TEST_F(HostMissingTest, CloseBoxEndsWithTwo) {
  ASSERT_NE(Start(), nullptr);
  run.CloseBox();
  EXPECT_EQ(ExitCode(), 2u);
}

TEST_F(HostMissingTest, OkCommandEndsWithOne) {
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(HostMissingTest, DownloadOpensTheDownloadPageThenEnds) {
  UrlRecorder recorder;
  ASSERT_NE(Start(), nullptr);
  run.Click(IDC_BTN_MAINDLG_DOWNLOAD);
  EXPECT_EQ(ExitCode(), 1u);
  std::wstring url;
  EXPECT_TRUE(recorder.WaitForUrl(url, 20000));
  EXPECT_EQ(url, PAKORRA_DOWNLOAD_PAGE) << "the build's download page setting";
}

TEST_F(HostMissingTest, CloseOpensNothing) {
  UrlRecorder recorder;
  ASSERT_NE(Start(), nullptr);
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(ExitCode(), 1u);
  std::wstring url;
  EXPECT_FALSE(recorder.WaitForUrl(url, 1500));
}

class InstalledHostTest : public WizardPagesTest {
 protected:
  InstalledHost host;
};

TEST_F(InstalledHostTest, NewerInstalledDataShowsUpToDatePage) {
  ASSERT_TRUE(host.AddInstalledDict(L"news.dic", "2010.01.01"));
  ASSERT_TRUE(wizard.AddPackage(L"news.dir", {Entry(L"news", L"新闻词典", "data", L"2009.11.13")}));
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(VisibleControls(dialog), (std::set<int>{IDC_STC_MAINDLG_TIPINFO, IDC_BTN_MAINDLG_CLOSE}));
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)), kUpToDateText);
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)), L"关闭");
  EXPECT_EQ(TipGrowth(), 30);
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot(dialog, L"up_to_date"));
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(InstalledHostTest, UpToDateEscEndsWithTwo) {
  HWND dialog = Start();  // no package at all: nothing planned
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)), kUpToDateText);
  run.Key(VK_ESCAPE);
  EXPECT_EQ(ExitCode(), 2u);
}

TEST_F(InstalledHostTest, WelcomePageSummarisesThePlan) {
  ASSERT_TRUE(host.AddInstalledDict(L"old.dic", "2008.01.01"));
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"new", L"新词典", "n"), Entry(L"old", L"旧词典", "o")}));
  HWND dialog = Start();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(VisibleControls(dialog),
            (std::set<int>{IDC_STC_MAINDLG_TIPINFO, IDC_BTN_MAINDLG_NEXT, IDC_BTN_MAINDLG_CLOSE}));
  EXPECT_EQ(WindowText(run.Control(IDC_STC_MAINDLG_TIPINFO)),
            L"词典安装向导将帮助您安装《新词典》升级《旧词典》本地词典数据。\r\n\r\n"
            L"点击“下一步”继续安装过程，点击“取消”退出词典安装向导。");
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_NEXT)), L"下一步(&N)>");
  EXPECT_EQ(WindowText(run.Control(IDC_BTN_MAINDLG_CLOSE)), L"取消(&C)");
  EXPECT_TRUE(IsWindowEnabled(run.Control(IDC_BTN_MAINDLG_NEXT)));
  EXPECT_EQ(TipGrowth(), 30);
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot(dialog, L"welcome"));
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(ExitCode(), 1u);
  EXPECT_FALSE(testsupport::FileExists(host.DataDir() + L"\\new.dic")) << "cancelled before anything was installed";
}

TEST_F(InstalledHostTest, WelcomeCloseBoxEndsWithTwo) {
  ASSERT_TRUE(wizard.AddPackage(L"a.dir", {Entry(L"new", L"新词典", "n")}));
  ASSERT_NE(Start(), nullptr);
  run.CloseBox();
  EXPECT_EQ(ExitCode(), 2u);
}

TEST_F(InstalledHostTest, FailedInventoryShowsFailAndEndsWithTwo) {
  ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"broken.dir", "not a container at all, far too short"));
  ASSERT_TRUE(run.Start(wizard.Exe()));
  HWND box = run.WaitForMessageBox(nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"fail");
  Sleep(300);
  EXPECT_TRUE(SaveScreenshot(box, L"startup_fail"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(ExitCode(), 2u) << "a failure is not reported as success";
}

}  // namespace
}  // namespace wizardtest
