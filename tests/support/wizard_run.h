// Running the real wizard program: a delivered wizard folder, one run of pakorra.exe started by
// the child-process runner, and its dialog read and driven by title and control ids, as a
// user's tools would. Used by the tests and by the demo's driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/files.h"

namespace testsupport {

// The wizard as delivered: a copy of pakorra.exe with vintora.dll beside it (both built beside
// the running executable), and the package containers a test puts there.
class WizardFolder {
 public:
  WizardFolder();
  const std::wstring& dir() const { return dir_.path(); }
  std::wstring Exe() const { return dir_ / L"pakorra.exe"; }
  std::wstring operator/(const std::wstring& name) const { return dir_ / name; }
  bool AddPackage(const std::wstring& name, const std::vector<ContainerItem>& items) const;

 private:
  ScratchDir dir_{L"wizard"};
};

// The system's dialog class: the wizard's dialog and its message boxes.
constexpr const wchar_t* kDialogClass = L"#32770";

// The page a user sees, told from the controls alone (in the order of PageName's names).
enum class WizardPage { Unknown, HostMissing, UpToDate, Welcome, Running, Finished, Incomplete };
const char* PageName(WizardPage page);

// One run of a wizard program, started from its own folder; terminated when the object goes
// away if it is still running.
class WizardRun {
 public:
  bool Start(const std::wstring& exe, const std::vector<std::wstring>& arguments = {});
  // Start, then WaitForDialog: the dialog, or null when either failed.
  HWND StartAndWait(const std::wstring& exe, DWORD timeoutMs = 30000);
  const std::string& StartFailure() const { return process_.StartFailure(); }
  DWORD pid() const { return process_.id(); }
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const { return process_.WaitForExit(timeoutMs, exitCode); }
  DWORD ExitCodeWithin(DWORD timeoutMs) const { return process_.ExitCodeWithin(timeoutMs); }
  bool Running() const { return process_.Running(); }
  void Kill() { process_.Terminate(77); }

  // The process's visible wizard dialog, once it appears within the time.
  HWND WaitForDialog(DWORD timeoutMs = 30000);
  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  // A visible message box of the process (any caption when caption is null).
  HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs = 30000) const;

  WizardPage Page() const;
  bool WaitForPage(WizardPage page, DWORD timeoutMs) const;
  std::wstring TipText() const;
  std::vector<std::wstring> StatusLines() const;
  LRESULT ProgressPos() const;
  LRESULT ProgressMax() const;

  // What a user does: a click on a button, a key on the dialog, the title bar's close box.
  void Click(int id) const;
  void Key(WPARAM virtualKey) const;
  void CloseBox() const;

 private:
  ChildProcess process_;
  HWND dialog_ = nullptr;
};

std::vector<std::wstring> ListLines(HWND list);
// The text of a message box (its longest static text).
std::wstring MessageBoxText(HWND box);

}  // namespace testsupport
