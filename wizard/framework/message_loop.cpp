#include "wizard/framework/message_loop.h"

#include <algorithm>

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) { filters_.push_back(filter); }

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
  // A filter may remove itself while it runs (its window destroyed by a key), so walk a copy.
  const std::vector<CMessageFilter*> filters = filters_;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
    if ((*it)->PreTranslateMessage(msg)) return TRUE;
  }
  return FALSE;
}

int CMessageLoop::Run() {
  MSG msg = {};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;  // nothing was retrieved
    if (!got) break;
    if (!PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
