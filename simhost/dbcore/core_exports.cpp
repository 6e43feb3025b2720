// The simulated core's exported entry points: plain C calling convention, undecorated names
// (LXDBCoreplus.def). One service object for the whole process.
#include <windows.h>

#include "simhost/dbcore/sim_control.h"
#include "simhost/dbcore/sim_service.h"

namespace {

SimService service;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

int __cdecl Initialize() {
  RecordCall(L"Initialize");
  const SimSettings settings = ReadSimSettings();
  service.set_settings(settings);
  return settings.initializeResult;
}

int __cdecl Uninitialize() {
  RecordCall(L"Uninitialize");
  return 0;
}

int __cdecl GetService(void** out) {
  RecordCall(L"GetService");
  const SimSettings settings = ReadSimSettings();
  service.set_settings(settings);
  if (settings.getServiceResult != 0) return settings.getServiceResult;
  if (out != nullptr) *out = settings.nullService ? nullptr : static_cast<void*>(&service);
  return 0;
}

}  // extern "C"
