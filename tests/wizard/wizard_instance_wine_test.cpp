// One wizard at a time: a second start of the same program file, at any moment of the first's
// life, brings the first's dialog forward and ends with 0 without running a wizard of its own.
// The first's dialog handle reaches the second through the image's shared data section.
#include <gtest/gtest.h>

#include "tests/wizard/wizard_process.h"
#include "wizard/res/resource.h"

namespace wizardtest {
namespace {

constexpr DWORD kExitWait = 20000;

struct WindowSearch {
  DWORD pid;
  bool found;
};

BOOL CALLBACK NoteVisibleWindowOf(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.pid && IsWindowVisible(window)) search.found = true;
  return !search.found;
}

// Whether a process shows any window of its own (a dialog or a message box).
bool ShowsAnyWindow(DWORD pid) {
  WindowSearch search = {pid, false};
  EnumWindows(NoteVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::HostRegistry::Remove(); }  // the host-missing page
  WizardFolder wizard;
};

TEST_F(SingleInstanceTest, SecondStartShowsTheFirstDialogAndEndsWithZero) {
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_HIDE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 5000));

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  DWORD code = 12345;
  ASSERT_TRUE(second.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000)) << "the first dialog is shown again";
  EXPECT_FALSE(IsIconic(dialog));
  EXPECT_TRUE(first.Running());

  first.Click(IDC_BTN_MAINDLG_CLOSE);
  ASSERT_TRUE(first.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
}

TEST_F(SingleInstanceTest, MinimisedFirstDialogIsRestored) {
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  DWORD code = 12345;
  ASSERT_TRUE(second.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(dialog) && IsWindowVisible(dialog); }, 5000));
}

// The first instance is still in its start-up check (its "fail" box is up, its dialog not yet
// published): the second start waits, shows nothing, and ends with 0 once the first has ended.
TEST_F(SingleInstanceTest, SecondStartDuringTheFirstsStartUpCheckRunsNoWizard) {
  InstalledHost host;
  ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"broken.dir", "no container"));
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND box = first.WaitForMessageBox(nullptr);
  ASSERT_NE(box, nullptr);

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  Sleep(3000);
  EXPECT_TRUE(second.Running()) << "the second start waits for the first";
  EXPECT_FALSE(ShowsAnyWindow(second.pid())) << "the second start runs a wizard of its own";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 12345;
  ASSERT_TRUE(first.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 2u);
  ASSERT_TRUE(second.WaitForExit(5000, code)) << "the second start ends soon after the first";
  EXPECT_EQ(code, 0u);
}

TEST_F(SingleInstanceTest, StartAfterTheFirstHasEndedRunsTheWizard) {
  DWORD code = 12345;
  {
    WizardRun first;
    ASSERT_TRUE(first.Start(wizard.Exe()));
    ASSERT_NE(first.WaitForDialog(), nullptr);
    first.Key(VK_ESCAPE);
    ASSERT_TRUE(first.WaitForExit(kExitWait, code));
    EXPECT_EQ(code, 2u);
  }
  WizardRun again;
  ASSERT_TRUE(again.Start(wizard.Exe()));
  EXPECT_NE(again.WaitForDialog(), nullptr);
  again.Click(IDC_BTN_MAINDLG_CLOSE);
  ASSERT_TRUE(again.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
}

// The shared section belongs to one program file: a copy delivered elsewhere is a wizard of
// its own, as is its claim.
TEST_F(SingleInstanceTest, CopyInAnotherFolderIsAnotherWizard) {
  WizardFolder other;
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  ASSERT_NE(first.WaitForDialog(), nullptr);
  WizardRun second;
  ASSERT_TRUE(second.Start(other.Exe()));
  EXPECT_NE(second.WaitForDialog(), nullptr);
  DWORD code = 12345;
  second.Click(IDC_BTN_MAINDLG_CLOSE);
  ASSERT_TRUE(second.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
  first.Click(IDC_BTN_MAINDLG_CLOSE);
  ASSERT_TRUE(first.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
}

}  // namespace
}  // namespace wizardtest
