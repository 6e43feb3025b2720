// The main thread's message loop with its message filters and idle handlers.
#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
 public:
  // TRUE when the message was consumed and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CIdleHandler {
 public:
  // Called when the queue is empty; TRUE asks to be called again before the next message.
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  void AddMessageFilter(CMessageFilter* filter);
  void RemoveMessageFilter(CMessageFilter* filter);
  void AddIdleHandler(CIdleHandler* handler);
  void RemoveIdleHandler(CIdleHandler* handler);

  // Runs until WM_QUIT and returns its wParam.
  int Run();

 private:
  BOOL PreTranslateMessage(MSG* msg);
  BOOL OnIdle();

  std::vector<CMessageFilter*> filters_;
  std::vector<CIdleHandler*> idleHandlers_;
};
