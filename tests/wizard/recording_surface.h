// The wizard's logic without a window, for its tests: a control surface that keeps the controls'
// state as the real dialog would show it, a scripted environment, a queue that stands for the
// dialog's message queue and a log in memory. The calls whose order matters (the surface's and
// the environment's) are noted in one list.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "wizard/logic/run_log.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_automation.h"
#include "wizard/logic/wizard_commands.h"
#include "wizard/logic/wizard_environment.h"
#include "wizard/logic/wizard_logic.h"
#include "wizard/logic/wizard_surface.h"

namespace wizardtest {

struct ControlState {
  std::wstring text = L"placeholder";
  bool visible = true;  // as in the template: every control starts visible and enabled
  bool enabled = true;
  bool ticked = false;
};

class RecordingSurface : public WizardSurface {
 public:
  explicit RecordingSurface(std::vector<std::wstring>& log) : log_(log) {}

  void SetText(WizardControl c, const std::wstring& text) override {
    controls[c].text = text;
    Changed();
  }
  void Show(WizardControl c) override {
    controls[c].visible = true;
    Changed();
  }
  void Hide(WizardControl c) override {
    controls[c].visible = false;
    Changed();
  }
  void Enable(WizardControl c, bool enable) override {
    controls[c].enabled = enable;
    Changed();
  }
  void Tick(WizardControl c) override {
    controls[c].ticked = true;
    Changed();
  }
  bool IsTicked(WizardControl c) override { return controls[c].ticked; }
  void ResizeTipInfo(bool grow) override {
    tipGrown = grow;
    Changed();
  }
  void AddListLine(const std::wstring& text) override {
    listLines.push_back(text);
    log_.push_back(L"list: " + text);
  }
  void RevealLastListLine() override { log_.push_back(L"reveal last line"); }
  void SetProgressRange(uint32_t total) override {
    progressMax = total;
    if (progressPos > total) progressPos = total;
    log_.push_back(L"range");
  }
  void SetProgressPos(uint32_t pos) override {
    progressPos = pos > progressMax ? progressMax : pos;
    Changed();
  }
  void StepProgress() override {
    if (progressPos < progressMax) ++progressPos;
    Changed();
  }
  void ShowMessageBox(const std::wstring& text, const wchar_t* caption) override {
    boxes.push_back({text, caption ? caption : L"<default>"});
    log_.push_back(L"box: " + text);
  }
  void EnableSystemClose(bool enable) override {
    systemCloseEnabled = enable;
    Changed();
  }
  void HideDialog() override {
    dialogVisible = false;
    log_.push_back(L"hide dialog");
  }
  void Quit(int code) override {
    quitCodes.push_back(code);
    log_.push_back(L"quit");
  }

  std::map<WizardControl, ControlState> controls;
  bool tipGrown = false;  // over the progress bar's place
  std::vector<std::wstring> listLines;
  struct Box {
    std::wstring text;
    std::wstring caption;
  };
  std::vector<Box> boxes;
  uint32_t progressMax = 100;  // the progress control's own default range
  uint32_t progressPos = 0;
  bool systemCloseEnabled = true;
  bool dialogVisible = true;
  std::vector<int> quitCodes;

 private:
  // Any other change to the controls, so that a test can see that nothing happened at all.
  void Changed() { log_.push_back(L"control"); }
  std::vector<std::wstring>& log_;
};

class FakeEnvironment : public WizardEnvironment {
 public:
  explicit FakeEnvironment(std::vector<std::wstring>& log) : log_(log) {}

  bool IsHostInstalled() override { return hostInstalled; }
  int GetPlannedItemCount() override {
    ++plannedCountCalls;
    return plannedItems;
  }
  bool HasContainer() override { return true; }
  void GetPlanSummary(std::wstring& summary) override { summary = planSummary; }
  bool GetRefusedPackageFile(std::wstring& path) override {
    if (refusedFile.empty()) return false;
    path = refusedFile;
    return true;
  }
  uint32_t GetPlannedBlockTotal() override { return blockTotal; }
  bool StartWorker() override {
    ++workerStarts;
    log_.push_back(L"start worker");
    return workerStartSucceeds;
  }
  void RepairLeftovers() override {
    ++repairs;
    log_.push_back(L"repair");
  }
  bool HandOffToHost() override {
    ++handOffs;
    log_.push_back(L"hand-off");
    return true;
  }
  void OpenDownloadPage() override {
    ++downloadPagesOpened;
    log_.push_back(L"open download page");
  }

  bool hostInstalled = true;
  int plannedItems = 2;
  std::wstring planSummary = L"安装《甲》升级《乙》";
  std::wstring refusedFile;  // none refused
  uint32_t blockTotal = 10;
  bool workerStartSucceeds = true;
  int plannedCountCalls = 0;
  int workerStarts = 0;
  int handOffs = 0;
  int repairs = 0;
  int downloadPagesOpened = 0;

 private:
  std::vector<std::wstring>& log_;
};

// An unattended run's clicks wait here until the current message has been answered, as in the
// dialog's message queue; the check box is the surface's.
class QueuedAutomation : public WizardAutomation {
 public:
  explicit QueuedAutomation(RecordingSurface& surface) : surface_(surface) {}
  void PostClick(WizardControl button) override { queue.push_back(button); }
  void SetTicked(WizardControl box, bool ticked) override { surface_.controls[box].ticked = ticked; }

  std::deque<WizardControl> queue;

 private:
  RecordingSurface& surface_;
};

class LogLines : public RunLog {
 public:
  void Write(const std::wstring& event) override { lines.push_back(event); }
  bool Has(const std::wstring& text) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.find(text) != l.npos; });
  }
  std::vector<std::wstring> lines;
};

// One wizard: its logic on the recording surface and the scripted environment, with a log.
struct Wizard {
  explicit Wizard(RunMode runMode = RunMode::Interactive) : mode(runMode) {}

  std::vector<std::wstring> calls;
  RecordingSurface surface{calls};
  FakeEnvironment environment{calls};
  QueuedAutomation automation{surface};
  LogLines log;
  WizardState state = WizardState::Initial;
  bool singleItem = false;
  RunMode mode;
  WizardLogic logic{state, singleItem, surface, environment, automation, &log, mode};

  // Brings the wizard to a page the way the user would get there.
  void Reach(WizardState target) {
    using S = WizardState;
    if (target == S::Initial) return;
    if (target == S::HostMissing) environment.hostInstalled = false;
    if (target == S::UpToDate) environment.plannedItems = 0;
    logic.CheckEnvironment();
    if (target == S::Running || target == S::Finished || target == S::Incomplete) Click(WizardControl::Next);
    if (target == S::Finished) {
      logic.RunStarted();
      logic.RunFinished(0);
    }
    if (target == S::Incomplete) logic.RunAborted();
  }

  intptr_t Command(int id, int notification, bool* handled = nullptr) {
    intptr_t result = -77;
    const bool wasHandled = logic.OnCommand(id, notification, result);
    if (handled) *handled = wasHandled;
    return result;
  }
  intptr_t Click(WizardControl button) { return Command(static_cast<int>(button), kButtonClicked); }
  // Runs the queued clicks as the message loop would, each through the command table.
  void DeliverClicks() {
    while (!automation.queue.empty()) {
      const WizardControl button = automation.queue.front();
      automation.queue.pop_front();
      Click(button);
    }
  }

  std::set<WizardControl> Visible() const {
    std::set<WizardControl> visible;
    for (const auto& [control, s] : surface.controls)
      if (s.visible) visible.insert(control);
    return visible;
  }
  const std::wstring& Text(WizardControl c) { return surface.controls[c].text; }
  bool Enabled(WizardControl c) { return surface.controls[c].enabled; }
  // Whether the calls hold `first`, and `then` after it.
  bool InOrder(const std::wstring& first, const std::wstring& then) const {
    const auto at = std::find(calls.begin(), calls.end(), first);
    return at != calls.end() && std::find(at, calls.end(), then) != calls.end();
  }
};

}  // namespace wizardtest
