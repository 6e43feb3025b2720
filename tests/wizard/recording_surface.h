// A control surface without a window for the wizard's logic tests: it keeps the controls' state
// as the real dialog would show it, and notes the calls whose order matters (with the
// environment's) in one log.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wizard/logic/wizard_environment.h"
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
  uint32_t GetPlannedBlockTotal() override { return blockTotal; }
  bool StartWorker() override {
    ++workerStarts;
    log_.push_back(L"start worker");
    return workerStartSucceeds;
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
  uint32_t blockTotal = 10;
  bool workerStartSucceeds = true;
  int plannedCountCalls = 0;
  int workerStarts = 0;
  int handOffs = 0;
  int downloadPagesOpened = 0;

 private:
  std::vector<std::wstring>& log_;
};

}  // namespace wizardtest
