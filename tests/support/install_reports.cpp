#include "tests/support/install_reports.h"

#include "engine/install/install_messages.h"
#include "tests/support/files.h"

namespace testsupport {
namespace {

const wchar_t* const kWindowClass = L"PakorraProtocolWindow";

std::string Text(uintptr_t wParam) { return wParam == 0 ? "<null>" : Narrow(reinterpret_cast<const wchar_t*>(wParam)); }

std::string Bare(const char* name, uintptr_t wParam, intptr_t lParam) {
  std::string out = name;
  if (wParam != 0 || lParam != 0) out += " ?" + std::to_string(wParam) + "," + std::to_string(lParam);
  return out;
}

std::string Item(const char* what, const std::wstring& title, EntryAction action) {
  return std::string(what) + " " + Narrow(title) + " " + std::to_string(static_cast<int>(action));
}

}  // namespace

std::string DescribeReport(unsigned message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_INSTALL_START:
      return Bare("start", wParam, lParam);
    case WM_INSTALL_FINISH:
      return Bare("finish", wParam, lParam);
    case WM_INSTALL_STEP:
      return Bare("step", wParam, lParam);
    case WM_ITEM_START:
      return "item_start " + Text(wParam) + " " + std::to_string(lParam);
    case WM_ITEM_SUCCESS:
      return "success " + Text(wParam) + " " + std::to_string(lParam);
    case WM_ITEM_FAIL:
      return "fail " + Text(wParam) + " " + std::to_string(lParam);
    case WM_UNPACK_FAIL:
      return "unpack_fail " + Text(wParam) + (lParam != 0 ? " ?" + std::to_string(lParam) : "");
    default:
      return "message " + std::to_string(message);
  }
}

std::vector<std::string> EntryReports(const std::wstring& title, EntryAction action, int steps, bool succeeds) {
  std::vector<std::string> log = {Item("item_start", title, action)};
  log.insert(log.end(), static_cast<size_t>(steps), "step");
  log.push_back(Item(succeeds ? "success" : "fail", title, action));
  return log;
}

std::vector<std::string> Sequence(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

void RecordingReporter::RunStarted() { log.push_back("start"); }
void RecordingReporter::ItemStarted(const std::wstring& title, EntryAction action) {
  log.push_back(Item("item_start", title, action));
}
void RecordingReporter::Step() { log.push_back("step"); }
void RecordingReporter::ItemSucceeded(const std::wstring& title, EntryAction action) {
  log.push_back(Item("success", title, action));
}
bool RecordingReporter::ItemFailed(const std::wstring& title, EntryAction action) {
  log.push_back(Item("fail", title, action));
  return goOnAfterFailedItem;
}
bool RecordingReporter::ContainerFailed(const std::wstring& path) {
  log.push_back("unpack_fail " + Narrow(path));
  return goOnAfterFailedContainer;
}
void RecordingReporter::RunFinished(unsigned unregistered) {
  log.push_back(unregistered == 0 ? "finish" : "finish " + std::to_string(unregistered));
}

ProtocolWindow::ProtocolWindow() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  hwnd_ = CreateWindowExW(0, kWindowClass, L"install run", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                          wc.hInstance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ProtocolWindow::~ProtocolWindow() { Destroy(); }

void ProtocolWindow::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT CALLBACK ProtocolWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ProtocolWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || message < WM_INSTALL_START || message > WM_INSTALL_ABORTED) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_INSTALL_ABORTED) {
    ++self->abortedPosts;
    return 0;
  }
  // The worker waits in SendMessageW for every message of the run.
  if ((InSendMessageEx(nullptr) & ISMEX_SEND) == 0) ++self->notSent;
  ++self->received[message];
  if (self->keepLog) {
    self->log.push_back(DescribeReport(message, static_cast<uintptr_t>(wParam), static_cast<intptr_t>(lParam)));
  }
  const auto it = self->answers.find(message);
  return it == self->answers.end() ? 1 : it->second;
}

DWORD RunPumping(LPTHREAD_START_ROUTINE routine, void* param, DWORD timeoutMs) {
  HANDLE thread = CreateThread(nullptr, 0, routine, param, 0, nullptr);
  if (thread == nullptr) return 0xDEADu;
  MSG msg;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) break;  // the thread ended, or it hangs
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Messages the thread posted before it ended.
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DWORD code = 0xBADu;
  if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return code;
}

}  // namespace testsupport
