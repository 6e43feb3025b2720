#include "wizard/install_worker.h"

#include "engine/install/install_messages.h"
#include "engine/install_engine.h"

DWORD WINAPI InstallThreadProc(LPVOID param) {
  const InstallThreadParam* block = static_cast<const InstallThreadParam*>(param);
  if (block == nullptr || block->hWnd == nullptr || block->engine == nullptr) return 1;
  const HWND dialog = block->hWnd;
  if (block->engine->RunInstall(dialog)) return 0;
  // Without WM_INSTALL_FINISH the dialog would stay in its running state with every way of
  // closing blocked. Posted, not sent: the worker has nothing left to wait for.
  if (IsWindow(dialog)) PostMessageW(dialog, WM_INSTALL_ABORTED, 0, 0);
  return static_cast<DWORD>(-1);
}
