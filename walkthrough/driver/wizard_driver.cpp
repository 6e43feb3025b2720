// Drives the real wizard the way a user would, for the headless demo: starts pakorra.exe, waits
// for each page, saves a picture of it, clicks "下一步(&N)>" and then "完成(&C)" with the start box
// ticked, and reports what it saw and the program's exit code. The wizard is run and read by the
// test kit's wizard runner, as the tests do.
//
//   wizard_driver.exe WIZARD_EXE PICTURE_FOLDER [LOG]
//
// A PICTURE_FOLDER of "-" takes no pictures (Wine does not draw a 32-bit program's windows in its
// WoW64 mode, so there would be nothing on them); otherwise each page is saved there as
// <n>-<page>.png. With LOG the wizard writes its log there (/LOG=).
// Prints one line per event ("page welcome: ..."); exit code 0 when the whole run happened as a
// user expects, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/wait.h"
#include "tests/support/window_picture.h"
#include "tests/support/wizard_run.h"
#include "wizard/res/resource.h"

namespace {

using testsupport::Narrow;
using testsupport::WizardPage;
using testsupport::WizardRun;

constexpr DWORD kPageWaitMs = 60000;

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool SeePage(const WizardRun& run, WizardPage page, const std::wstring& folder, int serial) {
  if (!run.WaitForPage(page, kPageWaitMs)) {
    Say(std::string("FAILED: the ") + PageName(page) + " page never showed (last seen: " + PageName(run.Page()) + ")");
    return false;
  }
  Sleep(300);  // let the page finish painting
  std::string line = std::string("page ") + PageName(page);
  if (page != WizardPage::Running && IsWindowVisible(run.Control(IDC_STC_MAINDLG_TIPINFO))) {
    line += ": " + Narrow(run.TipText());
  }
  Say(line);
  const std::wstring picture =
      folder + L"\\" + std::to_wstring(serial) + L"-" + testsupport::Wide(PageName(page)) + L".png";
  if (folder != L"-" && !testsupport::SaveWindowPicture(run.dialog(), picture)) Say("  (no picture could be taken)");
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    Say("usage: wizard_driver WIZARD_EXE PICTURE_FOLDER [LOG]");
    return 2;
  }
  const std::wstring exe = argv[1], folder = argv[2];
  std::vector<std::wstring> arguments;
  if (argc == 4) arguments.push_back(std::wstring(L"/LOG=") + argv[3]);
  WizardRun run;
  if (!run.Start(exe, arguments)) {
    Say("FAILED: the wizard could not be started (" + run.StartFailure() + ")");
    return 1;
  }
  bool ok = run.WaitForDialog(kPageWaitMs) != nullptr;
  if (!ok) Say("FAILED: no wizard window appeared");

  ok = ok && SeePage(run, WizardPage::Welcome, folder, 1);
  if (ok) {
    run.Click(IDC_BTN_MAINDLG_NEXT);
    // The run may be quick; the picture of the running page is taken as soon as it shows.
    testsupport::WaitUntil(
        [&] {
          const WizardPage page = run.Page();
          return page == WizardPage::Running || page == WizardPage::Finished;
        },
        30000);
    if (run.Page() == WizardPage::Running) SeePage(run, WizardPage::Running, folder, 2);
    ok = SeePage(run, WizardPage::Finished, folder, 3);
  }
  if (ok) {
    for (const std::wstring& line : run.StatusLines()) Say("  status: " + Narrow(line));
    Say("  progress " + std::to_string(run.ProgressPos()) + " of " + std::to_string(run.ProgressMax()));
    const bool ticked = SendMessageW(run.Control(IDC_CHK_MAINDLG_RUNHOST), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Say(std::string("  start box ") + (ticked ? "ticked" : "NOT ticked"));
    ok = ticked;
    run.Click(IDC_BTN_MAINDLG_CLOSE);
    Say("clicked 完成(&C)");
  }
  DWORD exitCode = 0;
  if (run.WaitForExit(ok ? 60000 : 5000, exitCode)) {
    Say("wizard ended with exit code " + std::to_string(exitCode));
  } else {
    Say("FAILED: the wizard did not end; terminating it");
    run.Kill();
    ok = false;
  }
  return ok && exitCode == 1 ? 0 : 1;
}
