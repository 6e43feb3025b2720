#include "tests/support/wizard_run.h"

// After windows.h:
#include <commctrl.h>

#include "tests/support/wait.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {

WizardFolder::WizardFolder() {
  for (const wchar_t* name : {L"pakorra.exe", L"vintora.dll"}) {
    CopyFileW(BuiltFile(name).c_str(), (dir_ / name).c_str(), FALSE);
  }
}

bool WizardFolder::AddPackage(const std::wstring& name, const std::vector<ContainerItem>& items) const {
  return WriteFileBytes(dir_ / name, ContainerBytes(items));
}

const char* PageName(WizardPage page) {
  static const char* const kNames[] = {"unknown", "host-missing", "up-to-date", "welcome",
                                       "running", "finished",     "incomplete"};
  return kNames[static_cast<int>(page)];
}

bool WizardRun::Start(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
  dialog_ = nullptr;
  ChildOptions options;
  options.currentDir = exe.substr(0, exe.find_last_of(L'\\'));
  return process_.Start(exe, arguments, options);
}

HWND WizardRun::StartAndWait(const std::wstring& exe, DWORD timeoutMs) {
  return Start(exe) ? WaitForDialog(timeoutMs) : nullptr;
}

HWND WizardRun::WaitForDialog(DWORD timeoutMs) {
  WaitUntil([&] { return (dialog_ = FindProcessWindow(pid(), kDialogClass, wizard_text::kTitle)) != nullptr; },
            timeoutMs);
  return dialog_;
}

HWND WizardRun::WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindProcessWindow(pid(), kDialogClass, caption, dialog_)) != nullptr; }, timeoutMs);
  return box;
}

WizardPage WizardRun::Page() const {
  const auto visible = [&](int id) { return IsWindowVisible(Control(id)) != FALSE; };
  const auto enabled = [&](int id) { return IsWindowEnabled(Control(id)) != FALSE; };
  if (dialog_ == nullptr || !IsWindow(dialog_)) return WizardPage::Unknown;
  const std::wstring close = WindowText(Control(IDC_BTN_MAINDLG_CLOSE));
  if (visible(IDC_BTN_MAINDLG_DOWNLOAD) && close == wizard_text::kClose) return WizardPage::HostMissing;
  if (visible(IDC_BTN_MAINDLG_NEXT) && enabled(IDC_BTN_MAINDLG_NEXT) && close == wizard_text::kCancel) {
    return WizardPage::Welcome;
  }
  if (!enabled(IDC_BTN_MAINDLG_CLOSE)) return WizardPage::Running;
  if (visible(IDC_CHK_MAINDLG_RUNHOST) && close == wizard_text::kFinish) return WizardPage::Finished;
  if (close == wizard_text::kClose && !visible(IDC_BTN_MAINDLG_NEXT)) {
    return visible(IDC_PRG_MAINDLG_PROGRESS) ? WizardPage::Incomplete : WizardPage::UpToDate;
  }
  return WizardPage::Unknown;
}

bool WizardRun::WaitForPage(WizardPage page, DWORD timeoutMs) const {
  return WaitUntil([&] { return Page() == page; }, timeoutMs);
}

std::wstring WizardRun::TipText() const { return WindowText(Control(IDC_STC_MAINDLG_TIPINFO)); }
std::vector<std::wstring> WizardRun::StatusLines() const { return ListLines(Control(IDC_LST_MAINDLG_STATUS)); }
LRESULT WizardRun::ProgressPos() const { return SendMessageW(Control(IDC_PRG_MAINDLG_PROGRESS), PBM_GETPOS, 0, 0); }
LRESULT WizardRun::ProgressMax() const {
  return SendMessageW(Control(IDC_PRG_MAINDLG_PROGRESS), PBM_GETRANGE, FALSE, 0);
}

void WizardRun::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void WizardRun::Key(WPARAM virtualKey) const {
  PostMessageW(dialog_, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(dialog_, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void WizardRun::CloseBox() const { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    line.resize(got < 0 ? 0 : static_cast<size_t>(got));
    lines.push_back(line);
  }
  return lines;
}

std::wstring MessageBoxText(HWND box) {
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (lstrcmpiW(name, L"Static") != 0) continue;
    const std::wstring text = WindowText(child);
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

}  // namespace testsupport
