// Program entry of the wizard: one instance at a time, COM and the common controls, the dialog
// and its message loop. The exit code is the quit code the dialog posts.
#include <windows.h>
// The headers below need windows.h first.
#include <commctrl.h>
#include <objbase.h>

#include "wizard/common_controls.h"
#include "wizard/dll_search.h"
#include "wizard/framework/app_module.h"
#include "wizard/framework/message_loop.h"
#include "wizard/main_dlg.h"
#include "wizard/single_instance.h"

// The running instance's dialog, in a data section shared by every process of this program file,
// so that a second start finds it. Never cleared: it is only ever read through IsWindow.
volatile HWND g_hMainDlg __attribute__((section("Shared_S"), shared)) = nullptr;

namespace {

// The quit code posted while the dialog was being created (a failed start-up check ends the
// wizard from inside its own initialisation), or 0 when none was posted.
int PostedQuitCode() {
  MSG msg;
  if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
  return 0;
}

int RunDialog(int showCommand) {
  CMessageLoop loop;
  g_module.AddMessageLoop(&loop);
  int result = 0;
  {
    CMainDlg dialog;  // lives until the loop has ended
    if (dialog.Create(nullptr) == nullptr) {
      result = PostedQuitCode();
    } else {
      g_hMainDlg = dialog.m_hWnd;
      PublishWizardDialog(dialog.m_hWnd);
      dialog.ShowWindow(showCommand);
      result = loop.Run();
    }
  }
  g_module.RemoveMessageLoop();
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // Before anything is loaded by name: system libraries only from the system folder.
  RestrictDllSearchToSystem();
  if (TakeWizardTurn(g_hMainDlg) != WizardTurn::Ours) return 0;

  CoInitialize(nullptr);
  InitCommonControlsAtRunTime(ICC_BAR_CLASSES);
  g_module.Init(instance);

  const int result = RunDialog(showCommand);

  g_module.Term();
  CoUninitialize();
  return result;
}
