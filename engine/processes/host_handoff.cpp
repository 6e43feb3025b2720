#include "engine/processes/host_handoff.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shlwapi.h>

#include <string>

#include "engine/diagnostics.h"
#include "engine/host_paths.h"
#include "engine/poll_policy.h"
#include "engine/processes/desktop_user_start.h"

namespace {

// Posted, never sent: a hung application neither blocks nor loses the message.
constexpr DWORD kBroadcastFlags = BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK | BSF_FORCEIFHUNG | BSF_ALLOWSFW;
constexpr DWORD kBroadcastRecipients = BSM_APPLICATIONS | BSM_ALLDESKTOPS;

}  // namespace

bool LaunchHost() {
  std::wstring exe;
  if (!GetHostExePath(exe)) {
    TraceDiagnostic(L"LaunchHost-1: get host exe path fail");
    return false;
  }
  if (!PathFileExistsW(exe.c_str())) {
    TraceDiagnostic(L"LaunchHost-2: host exe missing: " + exe);
    return false;
  }
  std::wstring folder;
  GetHostDir(folder);
  return OpenAsDesktopUser(exe, folder);
}

bool WaitForTrayAndShowDictManager() {
  const PollPolicy& poll = GetPollPolicy();
  int attempt = 0;
  for (; attempt < poll.attempts && FindWindowW(nullptr, kHostTrayWindowTitle) == nullptr; ++attempt) {
    Sleep(poll.pauseMs);
  }
  if (attempt >= poll.attempts) return false;

  const UINT message = RegisterWindowMessageW(kShowDictManagerMessageName);
  if (message != 0) {
    DWORD recipients = kBroadcastRecipients;
    BroadcastSystemMessageW(kBroadcastFlags, &recipients, message, 0, 0);
  }
  return true;
}
