#include "wizard/framework/message_loop.h"

#include <algorithm>

namespace {

template <class T>
void RemoveFrom(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) { filters_.push_back(filter); }
void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { RemoveFrom(filters_, filter); }
void CMessageLoop::AddIdleHandler(CIdleHandler* handler) { idleHandlers_.push_back(handler); }
void CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { RemoveFrom(idleHandlers_, handler); }

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
  // A filter may remove itself while it runs (its window destroyed by a key), so walk a copy.
  const std::vector<CMessageFilter*> filters = filters_;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
    if ((*it)->PreTranslateMessage(msg)) return TRUE;
  }
  return FALSE;
}

BOOL CMessageLoop::OnIdle() {
  const std::vector<CIdleHandler*> handlers = idleHandlers_;
  BOOL more = FALSE;
  for (CIdleHandler* handler : handlers) {
    if (handler->OnIdle()) more = TRUE;
  }
  return more;
}

int CMessageLoop::Run() {
  MSG msg = {};
  bool doIdle = true;
  for (;;) {
    while (doIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle()) doIdle = false;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;  // nothing was retrieved
    if (!got) break;
    if (!PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    doIdle = true;
  }
  return static_cast<int>(msg.wParam);
}
