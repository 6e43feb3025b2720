// The installation run's reports as short texts ("item_start 标题 2", "step", ...), either
// straight from the run's calls (RecordingReporter) or as a window standing in for the dialog
// receives them as messages from the real worker thread (ProtocolWindow).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/install/install_reporter.h"

namespace testsupport {

// One message as text; parameters that should be 0 are shown when they are not.
std::string DescribeReport(unsigned message, uintptr_t wParam, intptr_t lParam);

// The expected texts of one entry: its start, its steps and its end ("success" or "fail").
std::vector<std::string> EntryReports(const std::wstring& title, EntryAction action, int steps, bool succeeds);
// The parts one after the other: a run's expected reports.
std::vector<std::string> Sequence(std::initializer_list<std::vector<std::string>> parts);

class RecordingReporter final : public InstallReporter {
 public:
  void RunStarted() override;
  void ItemStarted(const std::wstring& title, EntryAction action) override;
  void Step() override;
  void ItemSucceeded(const std::wstring& title, EntryAction action) override;
  bool ItemFailed(const std::wstring& title, EntryAction action) override;
  bool ContainerFailed(const std::wstring& path) override;
  void RunFinished(unsigned unregistered) override;

  std::vector<std::string> log;
  bool goOnAfterFailedItem = true;
  bool goOnAfterFailedContainer = true;
};

// A hidden top-level window of the calling thread that answers the worker's messages like the
// dialog (1 unless told otherwise), counts them and, unless told not to, logs them.
class ProtocolWindow {
 public:
  ProtocolWindow();
  ~ProtocolWindow();

  HWND hwnd() const { return hwnd_; }
  void Destroy();

  std::vector<std::string> log;
  bool keepLog = true;  // a long run's log would weigh on what a benchmark measures
  std::map<unsigned, LRESULT> answers;
  std::map<unsigned, unsigned> received;
  int abortedPosts = 0;
  int notSent = 0;  // protocol messages that did not arrive by a send from another thread

  ProtocolWindow(const ProtocolWindow&) = delete;
  ProtocolWindow& operator=(const ProtocolWindow&) = delete;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Runs routine(param) on a new thread while this thread dispatches its messages, until the
// thread has ended and the messages it posted are in; returns the thread's exit code.
DWORD RunPumping(LPTHREAD_START_ROUTINE routine, void* param, DWORD timeoutMs = 60000);

}  // namespace testsupport
