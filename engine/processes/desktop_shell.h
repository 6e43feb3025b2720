// Handing a file to the shell of the interactive desktop, so that the program it starts runs as
// the user of that desktop (unelevated) and is the shell's child, not ours. The chain: the shell's
// window list, its desktop window, the desktop's top-level browser, its active view, the view's
// dispatch object, that object's Application, and the Application's ShellExecute.
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
// True when the shell answered S_OK; otherwise failedStep names the step that failed and hr its
// answer (a step that answered no object counts as failed with E_FAIL).
bool OpenInDesktopShell(const std::wstring& file, const std::wstring& folder, ShellStep& failedStep, long& hr);
