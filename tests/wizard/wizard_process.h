// Running the real wizard program under Wine: a delivered wizard folder, an installed simulated
// host, one run of pakorra.exe as a child process, and reading its dialog by title and control
// ids as a user's tools would.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/container_bytes.h"
#include "tests/support/win_test_support.h"

namespace wizardtest {

constexpr const wchar_t* kWizardTitle = L"Lumidex本地词典包安装向导";

// A file built beside the test executable ("pakorra.exe", "simhost\\Lumidex.exe").
std::wstring BuiltFile(const std::wstring& relative);

// The wizard as delivered: a copy of pakorra.exe with vintora.dll beside it, and the package
// containers a test puts there.
class WizardFolder {
 public:
  WizardFolder();
  const std::wstring& dir() const { return dir_.path(); }
  std::wstring Exe() const { return dir_ / L"pakorra.exe"; }
  std::wstring operator/(const std::wstring& name) const { return dir_ / name; }
  bool AddPackage(const std::wstring& name, const std::vector<testsupport::ContainerItem>& items);

 private:
  testsupport::ScratchDir dir_{L"wizard"};
};

// An installed simulated host: its registry key, the host program, the database core and the
// dictionary data folder, in a scratch folder of its own.
class InstalledHost {
 public:
  InstalledHost();
  // Ends every program still running from the host folder (the host a wizard started).
  ~InstalledHost();
  InstalledHost(const InstalledHost&) = delete;
  InstalledHost& operator=(const InstalledHost&) = delete;
  const std::wstring& dir() const { return dir_.path(); }
  std::wstring DataDir() const { return dir_ / L"plugin\\localquery\\dictdata"; }
  std::wstring ConfigPath() const { return dir_ / L"plugin\\localquery\\localquerydictcfg.ini"; }
  std::wstring HostLogPath() const { return dir_ / L"hostapp.log"; }
  // A dictionary file the simulated database core reads the date stamp of ("2009.11.13").
  bool AddInstalledDict(const std::wstring& fileName, const std::string& date);

 private:
  testsupport::ScratchDir dir_{L"host"};
  testsupport::HostRegistry registry_;
};

// A package entry with its data.
testsupport::ContainerItem Entry(const std::wstring& id, const std::wstring& title, const std::string& data,
                                 const std::wstring& date = L"2009.11.13", const std::wstring& ext = L".dic");

// One run of a wizard program; terminated when the object goes away if it is still running.
class WizardRun {
 public:
  WizardRun() = default;
  ~WizardRun();
  WizardRun(const WizardRun&) = delete;
  WizardRun& operator=(const WizardRun&) = delete;

  bool Start(const std::wstring& exe);
  DWORD pid() const { return pid_; }
  // The process's visible wizard dialog, once it appears within the time.
  HWND WaitForDialog(DWORD timeoutMs = 30000);
  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  // A visible message box of the process (any caption when caption is null).
  HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs = 30000) const;
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
  bool Running() const;

  // What a user does: a click on a button, a key on the dialog, the title bar's close box.
  void Click(int id) const;
  void Key(WPARAM virtualKey) const;
  void CloseBox() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND dialog_ = nullptr;
};

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
std::wstring WindowText(HWND window);
std::vector<std::wstring> ListLines(HWND list);
// The text of a message box (its longest static text).
std::wstring MessageBoxText(HWND box);
// The ids of the dialog's controls that are visible.
std::set<int> VisibleControls(HWND dialog);
int ControlHeight(HWND control);  // pixels
// Vertical dialog units in pixels, as the dialog maps them (-1 when they cannot be told).
int DialogUnitsToPixelsY(HWND dialog, int dialogUnits);

}  // namespace wizardtest
