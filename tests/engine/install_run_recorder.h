// Records the installation run's reports as short texts ("item_start 标题 2", "step", ...), either
// straight from the run's calls (RecordingReporter) or as a dialog window on the test's thread
// receives them as messages from the real worker thread (ProtocolWindow).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/plan/install_reporter.h"

struct InstallThreadParam;

namespace installrun {

// One message as text; parameters that should be 0 are shown when they are not.
std::string Describe(unsigned message, uintptr_t wParam, intptr_t lParam);

// The expected texts of one entry: its start, its steps and its end ("success" or "fail").
void ExpectEntry(std::vector<std::string>& log, const std::wstring& title, EntryAction action, int steps, bool succeeds);

class RecordingReporter final : public InstallReporter {
 public:
  void RunStarted() override;
  void ItemStarted(const std::wstring& title, EntryAction action) override;
  void Step() override;
  void ItemSucceeded(const std::wstring& title, EntryAction action) override;
  bool ItemFailed(const std::wstring& title, EntryAction action) override;
  bool ContainerFailed(const std::wstring& path) override;
  void RunFinished() override;

  std::vector<std::string> log;
  bool goOnAfterFailedItem = true;
  bool goOnAfterFailedContainer = true;
};

// A hidden top-level window owned by the test's thread that answers like the dialog (1 unless
// told otherwise) and logs what it receives.
class ProtocolWindow {
 public:
  ProtocolWindow();
  ~ProtocolWindow();
  ProtocolWindow(const ProtocolWindow&) = delete;
  ProtocolWindow& operator=(const ProtocolWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Destroy();

  // Starts InstallThreadProc on a new thread, pumps this thread's messages until the thread has
  // ended and its posted messages are in, and returns the thread's exit code.
  DWORD RunWorker(InstallThreadParam* param);

  std::vector<std::string> log;
  std::map<unsigned, LRESULT> answers;
  int abortedPosts = 0;
  int notSent = 0;  // protocol messages that did not arrive by a send from another thread

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace installrun
