#include "tests/wizard/wizard_process.h"

#include <tlhelp32.h>

#include <cwctype>

namespace wizardtest {

namespace {

constexpr int kTemplateHeight = 81;

std::wstring LowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

bool CopyBuilt(const std::wstring& relative, const std::wstring& destination) {
  return CopyFileW(BuiltFile(relative).c_str(), destination.c_str(), FALSE) != 0;
}

struct Search {
  DWORD pid;
  const wchar_t* title;      // null: any
  const wchar_t* className;  // null: any
  HWND exclude;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
  Search& search = *reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid || window == search.exclude || !IsWindowVisible(window)) return TRUE;
  if (search.title && WindowText(window) != search.title) return TRUE;
  if (search.className) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != search.className) return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* title, const wchar_t* className, HWND exclude) {
  Search search = {pid, title, className, exclude, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring BuiltFile(const std::wstring& relative) { return testsupport::ExeDir() + relative; }

WizardFolder::WizardFolder() {
  CopyBuilt(L"pakorra.exe", Exe());
  CopyBuilt(L"vintora.dll", dir_ / L"vintora.dll");
}

bool WizardFolder::AddPackage(const std::wstring& name, const std::vector<testsupport::ContainerItem>& items) {
  return testsupport::WriteFileBytes(dir_ / name, testsupport::ContainerBytes(items));
}

InstalledHost::InstalledHost() : registry_(dir_.path().c_str(), L"Lumidex.exe") {
  CopyBuilt(L"simhost\\Lumidex.exe", dir_ / L"Lumidex.exe");
  CopyBuilt(L"simhost\\LXDBCoreplus.dll", dir_ / L"LXDBCoreplus.dll");
  testsupport::MakeDirs(DataDir());
  testsupport::MakeDirs(dir_ / L"plugin\\image");
}

InstalledHost::~InstalledHost() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  const std::wstring folder = LowerCase(dir_.path() + L"\\");
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, image, &length) && LowerCase(image).rfind(folder, 0) == 0) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
}

bool InstalledHost::AddInstalledDict(const std::wstring& fileName, const std::string& date) {
  return testsupport::WriteFileBytes(
      DataDir() + L"\\" + fileName,
      "name=installed\n<date_time>" + date + "</date_time>\n" + std::string(1, '\0') + "data");
}

testsupport::ContainerItem Entry(const std::wstring& id, const std::wstring& title, const std::string& data,
                                 const std::wstring& date, const std::wstring& ext) {
  return testsupport::ContainerItem{testsupport::U16(id), testsupport::U16(date), testsupport::U16(ext),
                                    testsupport::U16(title), data};
}

WizardRun::~WizardRun() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

bool WizardRun::Start(const std::wstring& exe) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::wstring commandLine = L"\"" + exe + L"\"";
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  // No handle inherited: the wizard must never hold CTest's output pipe open.
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

HWND WizardRun::WaitForDialog(DWORD timeoutMs) {
  WaitUntil([&] { return (dialog_ = FindProcessWindow(pid_, kWizardTitle, L"#32770", nullptr)) != nullptr; },
            timeoutMs);
  return dialog_;
}

HWND WizardRun::WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindProcessWindow(pid_, caption, L"#32770", dialog_)) != nullptr; }, timeoutMs);
  return box;
}

bool WizardRun::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_, &exitCode) != 0;
}

bool WizardRun::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void WizardRun::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

void WizardRun::Key(WPARAM virtualKey) const {
  PostMessageW(dialog_, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(dialog_, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void WizardRun::CloseBox() const { PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT is carried across processes, so this reads what the control shows.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

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

std::set<int> VisibleControls(HWND dialog) {
  std::set<int> ids;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child)) ids.insert(GetDlgCtrlID(child));
  }
  return ids;
}

int ControlHeight(HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  return rect.bottom - rect.top;
}

int DialogUnitsToPixelsY(HWND dialog, int dialogUnits) {
  // MapDialogRect works only inside the dialog's process; the vertical base unit follows from
  // the client height, which the template gives as 81 dialog units.
  RECT client = {};
  GetClientRect(dialog, &client);
  for (int base = 1; base < 200; ++base) {
    if (MulDiv(kTemplateHeight, base, 8) == client.bottom) return MulDiv(dialogUnits, base, 8);
  }
  return -1;
}

}  // namespace wizardtest
