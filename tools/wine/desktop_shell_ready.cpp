// Answers whether the desktop's shell windows object can be reached in this Wine environment:
// the desktop process offers it once its start is over, and never if that start met a system too
// busy to answer it. Exit 0 as soon as the object is there, 1 if it is still missing after the
// given seconds (default 10), with the last answer on standard error.
//   desktop_shell_ready [SECONDS]
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>


int wmain(int argc, wchar_t** argv) {
  const unsigned long seconds = argc > 1 ? wcstoul(argv[1], nullptr, 10) : 10;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  HRESULT answer = E_FAIL;
  // Asked every 20 ms until it answers or the time is up; a tool of the harness, so it keeps its
  // own loop rather than the tests' kit.
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  bool offered = false;
  for (;;) {
    IShellWindows* windows = nullptr;
    answer = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              reinterpret_cast<void**>(&windows));
    if (windows != nullptr) windows->Release();
    offered = SUCCEEDED(answer) && windows != nullptr;
    if (offered || static_cast<LONG>(GetTickCount() - end) >= 0) break;
    Sleep(20);
  }
  if (!offered) {
    std::fprintf(stderr, "the desktop's shell windows object is missing (0x%08lx)\n",
                 static_cast<unsigned long>(answer));
  }
  CoUninitialize();
  return offered ? 0 : 1;
}
