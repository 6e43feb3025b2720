#include "wizard/framework/app_module.h"

CAppModule g_module;

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  if (loop == nullptr || loop_ != nullptr) return false;
  loop_ = loop;
  loopThread_ = GetCurrentThreadId();
  return true;
}

void CAppModule::RemoveMessageLoop() {
  if (loopThread_ != GetCurrentThreadId()) return;
  loop_ = nullptr;
  loopThread_ = 0;
}

CMessageLoop* CAppModule::GetMessageLoop() const { return loopThread_ == GetCurrentThreadId() ? loop_ : nullptr; }
