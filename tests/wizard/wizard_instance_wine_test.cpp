// One wizard at a time on a machine: a second start, of the same program file or of any other copy,
// at any moment of the first's life, brings the first's dialog forward and ends with 0 without
// running a wizard of its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>

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

// The first wizard is still in its start-up check (its "fail" box is up, its dialog not yet
// published): the second start waits and shows nothing; once the first has ended, it runs as the
// wizard itself (here its own start-up check fails the same way).
TEST_F(SingleInstanceTest, SecondStartDuringTheFirstsStartUpCheckWaitsThenRuns) {
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
  HWND secondBox = second.WaitForMessageBox(nullptr, 10000);
  ASSERT_NE(secondBox, nullptr) << "the second start takes over once the first has ended";
  PostMessageW(secondBox, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(second.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 2u);
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

// One wizard per machine: a copy delivered in another folder (another program file, another
// shared section) brings the running wizard forward and ends with 0, as does a start of the same
// file through its short 8.3 path.
TEST_F(SingleInstanceTest, CopyInAnotherFolderOrAnotherSpellingBringsTheFirstForward) {
  WizardFolder other;
  WizardRun first;
  ASSERT_TRUE(first.Start(wizard.Exe()));
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);

  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(wizard.Exe().c_str(), shortPath, MAX_PATH), 0u);
  for (const std::wstring& exe : {other.Exe(), std::wstring(shortPath)}) {
    ShowWindow(dialog, SW_MINIMIZE);
    WizardRun second;
    ASSERT_TRUE(second.Start(exe));
    DWORD code = 12345;
    ASSERT_TRUE(second.WaitForExit(kExitWait, code)) << testsupport::Narrow(exe);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(ShowsAnyWindow(second.pid()));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(dialog) && IsWindowVisible(dialog); }, 5000));
  }
  first.Click(IDC_BTN_MAINDLG_CLOSE);
  DWORD code = 12345;
  ASSERT_TRUE(first.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
}

// A mutex of the name earlier versions used (keyed on the program file's path), held by another
// process, stops nothing: the wizard's claim is not a name anyone could take first from the path.
TEST_F(SingleInstanceTest, MutexUnderThePathKeyedNameDoesNotStopTheWizard) {
  wchar_t path[MAX_PATH] = {};
  GetFullPathNameW(wizard.Exe().c_str(), MAX_PATH, path, nullptr);
  uint64_t hash = 1469598103934665603ull;
  for (const wchar_t* c = path; *c; ++c) {
    const wchar_t lower = *c >= L'A' && *c <= L'Z' ? static_cast<wchar_t>(*c - L'A' + L'a') : *c;
    hash = (hash ^ static_cast<uint16_t>(lower)) * 1099511628211ull;
  }
  wchar_t name[64] = {};
  swprintf(name, 64, L"Pakorra.Wizard.%016llx", static_cast<unsigned long long>(hash));
  HANDLE squatter = CreateMutexW(nullptr, TRUE, name);
  ASSERT_NE(squatter, nullptr);

  WizardRun run;
  ASSERT_TRUE(run.Start(wizard.Exe()));
  EXPECT_NE(run.WaitForDialog(5000), nullptr) << "the wizard shows its page at once";
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  DWORD code = 12345;
  ASSERT_TRUE(run.WaitForExit(kExitWait, code));
  EXPECT_EQ(code, 1u);
  CloseHandle(squatter);
}

}  // namespace
}  // namespace wizardtest
