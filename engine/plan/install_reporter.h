// Where the installation run reports its steps (the messages of engine/install_messages.h).
// The wizard reports to its dialog window; tests record the sequence instead.
#pragma once

#include <windows.h>

#include <cstdint>

class InstallReporter {
 public:
  // Delivers one message synchronously and returns the receiver's answer.
  virtual intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;

 protected:
  ~InstallReporter() = default;
};

// SendMessageW to the dialog, from the worker thread: the dialog handles each message on its own
// thread while the worker waits. A window that has gone answers 0, which stops the run at the
// next message whose answer counts.
class WindowReporter final : public InstallReporter {
 public:
  explicit WindowReporter(HWND window) : window_(window) {}
  intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    return static_cast<intptr_t>(
        SendMessageW(window_, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)));
  }

 private:
  HWND window_;
};
