// The installation worker thread: started once per wizard run by the dialog, never joined.
#pragma once

#include <windows.h>

class InstallEngine;

// Filled by the dialog right before the thread starts; lives in the dialog, which outlives the run.
struct InstallThreadParam {
  HWND hWnd = nullptr;              // the dialog: every message of the run goes there
  InstallEngine* engine = nullptr;  // the dialog's engine, inventory and plan complete
};

// Thread start routine; param is an InstallThreadParam*. Exit code 1 for a null parameter, window
// or engine; 0 when the run finished; (DWORD)-1 when it did not, in which case WM_INSTALL_ABORTED
// is posted to the dialog if it still exists.
DWORD WINAPI InstallThreadProc(LPVOID param);
