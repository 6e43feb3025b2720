#include "wizard/single_instance.h"

#include <cstdint>
#include <string>

namespace {

constexpr int kWaitAttempts = 20;
constexpr DWORD kWaitPauseMs = 500;

// Named after the program file's path, so that the claim covers exactly the processes that share
// the image's data section (copies elsewhere are other programs). Object names may not hold a
// backslash and are limited in length, hence a hash.
std::wstring ClaimName() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (DWORD i = 0; i < length; ++i) {
    wchar_t c = path[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  }
  wchar_t hex[17] = {};
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[i] = L"0123456789abcdef"[hash & 0xF];
  return std::wstring(L"Pakorra.Wizard.") + hex;
}

bool BringForwardIfPresent(HWND dialog) {
  if (dialog == nullptr || IsWindow(dialog) != 1) return false;
  ShowWindow(dialog, SW_SHOWNORMAL);
  BringWindowToTop(dialog);
  SetActiveWindow(dialog);
  SetForegroundWindow(dialog);
  return true;
}

}  // namespace

bool TakeWizardTurn(const volatile HWND& runningDialog) {
  // Owned by the running wizard for its whole life; the system releases it when that process
  // ends, however it ends.
  HANDLE claim = CreateMutexW(nullptr, FALSE, ClaimName().c_str());
  if (claim == nullptr) return !BringForwardIfPresent(runningDialog);  // the published dialog alone
  const DWORD first = WaitForSingleObject(claim, 0);
  if (first == WAIT_OBJECT_0 || first == WAIT_ABANDONED) return true;

  // A second start: the first instance may still be in its start-up check, before its dialog
  // is published.
  for (int attempt = 0; attempt < kWaitAttempts; ++attempt) {
    if (BringForwardIfPresent(runningDialog)) break;
    const DWORD waited = WaitForSingleObject(claim, kWaitPauseMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {  // the first instance has ended
      ReleaseMutex(claim);
      break;
    }
  }
  CloseHandle(claim);
  return false;
}
