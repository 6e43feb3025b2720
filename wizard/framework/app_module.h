// The application module: the instance handle and the message loop of the main thread.
#pragma once

#include <windows.h>

#include "wizard/framework/message_loop.h"

class CAppModule {
 public:
  void Init(HINSTANCE instance) { instance_ = instance; }
  HINSTANCE GetModuleInstance() const { return instance_; }

  // One loop, registered for the thread that runs it.
  bool AddMessageLoop(CMessageLoop* loop);
  void RemoveMessageLoop();
  // The loop registered for the calling thread, or null.
  CMessageLoop* GetMessageLoop() const;

 private:
  HINSTANCE instance_ = nullptr;
  CMessageLoop* loop_ = nullptr;
  DWORD loopThread_ = 0;
};

extern CAppModule g_module;
