// One wizard at a time: a second start of the same program file, at any moment of the first's
// life, brings the first's dialog forward and ends with 0 without running a wizard of its own.
// The first's dialog handle reaches the second through the image's shared data section.
#include <gtest/gtest.h>

#include "tests/support/fake_host.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/res/resource.h"

namespace wizardtest {
namespace {

using testsupport::FakeHost;
using testsupport::WaitUntil;
using testsupport::WizardFolder;
using testsupport::WizardRun;

constexpr DWORD kExitWait = 20000;

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::HostRegistry::Remove(); }  // the host-missing page
  WizardFolder wizard;
};

// However the user put the first dialog away, the second start brings it back.
class PutAwayTest : public SingleInstanceTest, public ::testing::WithParamInterface<int> {};

TEST_P(PutAwayTest, SecondStartShowsTheFirstDialogAndEndsWithZero) {
  WizardRun first;
  HWND dialog = first.StartAndWait(wizard.Exe());
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, GetParam());
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog) || IsIconic(dialog); }, 5000));

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  EXPECT_EQ(second.ExitCodeWithin(kExitWait), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(dialog) && !IsIconic(dialog); }, 5000))
      << "the first dialog is shown again";
  EXPECT_TRUE(first.Running());

  first.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(first.ExitCodeWithin(kExitWait), 1u);
}

INSTANTIATE_TEST_SUITE_P(HiddenOrMinimised, PutAwayTest, ::testing::Values(SW_HIDE, SW_MINIMIZE));

// The first instance is still in its start-up check (its "fail" box is up, its dialog not yet
// published): the second start waits, shows nothing, and ends with 0 once the first has ended.
TEST_F(SingleInstanceTest, SecondStartDuringTheFirstsStartUpCheckRunsNoWizard) {
  FakeHost host;
  ASSERT_TRUE(testsupport::WriteFileBytes(wizard / L"broken.dir", "no container"));
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND box = first.WaitForMessageBox(nullptr);
  ASSERT_NE(box, nullptr);

  WizardRun second;
  ASSERT_TRUE(second.Start(wizard.Exe()));
  Sleep(3000);
  EXPECT_TRUE(second.Running()) << "the second start waits for the first";
  EXPECT_FALSE(testsupport::ShowsAnyWindow(second.pid())) << "the second start runs a wizard of its own";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(first.ExitCodeWithin(kExitWait), 2u);
  EXPECT_EQ(second.ExitCodeWithin(5000), 0u) << "the second start ends soon after the first";
}

TEST_F(SingleInstanceTest, StartAfterTheFirstHasEndedRunsTheWizard) {
  {
    WizardRun first;
    ASSERT_NE(first.StartAndWait(wizard.Exe()), nullptr);
    first.Key(VK_ESCAPE);
    EXPECT_EQ(first.ExitCodeWithin(kExitWait), 2u);
  }
  WizardRun again;
  EXPECT_NE(again.StartAndWait(wizard.Exe()), nullptr);
  again.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(again.ExitCodeWithin(kExitWait), 1u);
}

// The shared section belongs to one program file: a copy delivered elsewhere is a wizard of
// its own, as is its claim.
TEST_F(SingleInstanceTest, CopyInAnotherFolderIsAnotherWizard) {
  WizardFolder other;
  WizardRun first, second;
  ASSERT_NE(first.StartAndWait(wizard.Exe()), nullptr);
  EXPECT_NE(second.StartAndWait(other.Exe()), nullptr);
  second.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(second.ExitCodeWithin(kExitWait), 1u);
  first.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(first.ExitCodeWithin(kExitWait), 1u);
}

}  // namespace
}  // namespace wizardtest
