// How the simulated service is asked to stop: each running service process owns a named event,
// made from its process id, that the repair tool sets. Per process, so that no stale request is
// left behind for a service started later.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring ServiceStopEventName(DWORD processId) {
  return L"Local\\zrdsvc-stop-" + std::to_wstring(processId);
}
