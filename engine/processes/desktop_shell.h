// Handing a file to the interactive desktop's shell, so that the program runs as that desktop's
// user (unelevated), the shell's child, not ours. The chain: the shell's window list, its desktop
// window, top-level browser, active view, the view's dispatch object, Application, ShellExecute.
#pragma once

#include <string>

enum class ShellStep : int {
  None = 0,
  ComInit,          // CoInitializeEx on the calling thread
  ShellWindows,     // CoCreateInstance(CLSID_ShellWindows)
  FindDesktop,      // IShellWindows::FindWindowSW(SWC_DESKTOP)
  TopLevelBrowser,  // IServiceProvider::QueryService(SID_STopLevelBrowser)
  ActiveView,       // IShellBrowser::QueryActiveShellView
  ViewDispatch,     // IShellView::GetItemObject(SVGIO_BACKGROUND), IShellFolderViewDual
  Application,      // IShellFolderViewDual::get_Application, IShellDispatch2
  Execute,          // IShellDispatch2::ShellExecute, which must answer S_OK
};

// The step as the diagnostics name it.
const wchar_t* ShellStepName(ShellStep step);

// Asks the desktop's shell to "open" file, without arguments, in folder (empty: the shell's choice).
// True on S_OK; otherwise failedStep and hr are the failed step and its answer (E_FAIL for no object).
bool OpenInDesktopShell(const std::wstring& file, const std::wstring& folder, ShellStep& failedStep, long& hr);
