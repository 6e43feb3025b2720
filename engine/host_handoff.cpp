#include "engine/host_handoff.h"

#include <windows.h>
// The shell headers build on windows.h.
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "engine/dict_registration.h"
#include "engine/host_paths.h"
#include "engine/install_engine.h"
#include "engine/poll_policy.h"
#include "engine/process_control.h"

namespace {

// Posted, never sent: a hung application neither blocks nor loses the message.
constexpr DWORD kBroadcastFlags = BSF_POSTMESSAGE | BSF_IGNORECURRENTTASK | BSF_FORCEIFHUNG | BSF_ALLOWSFW;
constexpr DWORD kBroadcastRecipients = BSM_APPLICATIONS | BSM_ALLDESKTOPS;

}  // namespace

bool LaunchHost() {
  std::wstring exe;
  if (!GetHostExePath(exe)) return false;
  if (!PathFileExistsW(exe.c_str())) return false;
  ShellExecuteW(nullptr, L"open", exe.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}

bool WaitForTrayAndShowDictManager() {
  const PollPolicy& poll = GetPollPolicy();
  bool found = false;
  for (int attempt = 0; attempt < poll.attempts; ++attempt) {
    if (FindWindowW(nullptr, kHostTrayWindowTitle) != nullptr) {
      found = true;
      break;
    }
    Sleep(poll.pauseMs);
  }
  if (!found) return false;

  const UINT message = RegisterWindowMessageW(kShowDictManagerMessageName);
  if (message != 0) {
    DWORD recipients = kBroadcastRecipients;
    BroadcastSystemMessageW(kBroadcastFlags, &recipients, message, 0, 0);
  }
  return true;
}

bool InstallEngine::EnableAllDicts() {
  // The service keeps the configuration open: with it still running nothing is written.
  if (!StopDictService()) return false;
  std::wstring config;
  if (!GetLocalQueryCfgPath(config)) return false;
  PrepareHostConfigFile(config);

  // Every packaged dictionary, also those this run left as they were.
  for (const PackageFile& file : packageFiles) {
    if (!file.entries) continue;
    for (const PackageEntry& entry : *file.entries) {
      // An id-less entry has no section of its own; an empty section name would make one up.
      if (entry.id.empty()) continue;
      WritePrivateProfileStringW(entry.id.c_str(), L"enable", L"1", config.c_str());
    }
  }
  return LaunchHost();
}
