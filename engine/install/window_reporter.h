// The installation run's reports as window messages (install_messages.h), each sent from the worker
// thread to the dialog while the worker waits. A window that has gone answers 0, which stops the
// run at the next report whose answer counts.
#pragma once

#include <windows.h>

#include "engine/install/install_reporter.h"

class WindowReporter final : public InstallReporter {
 public:
  explicit WindowReporter(HWND window) : window_(window) {}

  void RunStarted() override;
  void ItemStarted(const std::wstring& title, EntryAction action) override;
  void Step() override;
  void ItemSucceeded(const std::wstring& title, EntryAction action) override;
  bool ItemFailed(const std::wstring& title, EntryAction action) override;
  bool ContainerFailed(const std::wstring& path) override;
  void RunFinished(unsigned unregistered) override;

 private:
  LRESULT Send(UINT message, const std::wstring* text, intptr_t action) const;

  HWND window_;
};
