// The main thread's message loop with its message filters.
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

class CMessageLoop {
 public:
  void AddMessageFilter(CMessageFilter* filter);
  void RemoveMessageFilter(CMessageFilter* filter);

  // Runs until WM_QUIT and returns its wParam.
  int Run();

 private:
  BOOL PreTranslateMessage(MSG* msg);

  std::vector<CMessageFilter*> filters_;
};
