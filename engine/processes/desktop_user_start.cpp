#include "engine/processes/desktop_user_start.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shellapi.h>

#include "engine/diagnostics.h"
#include "engine/processes/desktop_shell.h"
#include "engine/processes/window_station.h"

bool OpenDirectly(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& folder) {
  // Nobody could see it, and as SYSTEM it would run with the machine's rights.
  if (!IsInteractiveWindowStation()) {
    TraceDiagnostic(L"OpenAsDesktopUser-1: no interactive window station, not started: " + file);
    return false;
  }
  ShellStep failedStep = ShellStep::None;
  long hr = 0;
  if (OpenInDesktopShell(file, folder, failedStep, hr)) return true;
  // Not started by the wizard instead: it would run with the administrator's token.
  TraceDiagnostic(std::wstring(L"OpenAsDesktopUser-2: desktop shell failed at ") + ShellStepName(failedStep) + L" (" +
                  HexCode(hr) + L"), not started: " + file);
  return false;
}
