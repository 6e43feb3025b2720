// A control surface without a window for the wizard's logic tests: it keeps the controls' state
// as the real dialog would show it, and logs every call (with the environment's) in order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wizard/logic/wizard_environment.h"
#include "wizard/logic/wizard_surface.h"

namespace wizardtest {

struct ControlState {
  std::wstring text;
  bool visible = true;  // as in the template: every control starts visible and enabled
  bool enabled = true;
  bool ticked = false;
};

class RecordingSurface : public WizardSurface {
 public:
  explicit RecordingSurface(std::vector<std::wstring>& log) : log_(log) {
    for (WizardControl c :
         {WizardControl::TipInfo, WizardControl::Progress, WizardControl::Next, WizardControl::Download,
          WizardControl::Close, WizardControl::StatusList, WizardControl::RunHost}) {
      controls[c].text = L"placeholder";
    }
  }

  void SetText(WizardControl c, const std::wstring& text) override {
    controls[c].text = text;
    log_.push_back(L"text " + Name(c) + L": " + text);
  }
  void Show(WizardControl c) override {
    controls[c].visible = true;
    log_.push_back(L"show " + Name(c));
  }
  void Hide(WizardControl c) override {
    controls[c].visible = false;
    log_.push_back(L"hide " + Name(c));
  }
  void Enable(WizardControl c, bool enable) override {
    controls[c].enabled = enable;
    log_.push_back((enable ? L"enable " : L"disable ") + Name(c));
  }
  void Tick(WizardControl c) override {
    controls[c].ticked = true;
    log_.push_back(L"tick " + Name(c));
  }
  bool IsTicked(WizardControl c) override { return controls[c].ticked; }
  void ResizeTipInfo(bool grow) override {
    tipGrowth += grow ? 30 : -30;
    log_.push_back(grow ? L"grow tip" : L"shrink tip");
  }
  void AddListLine(const std::wstring& text) override {
    listLines.push_back(text);
    log_.push_back(L"list: " + text);
  }
  void RevealLastListLine() override { log_.push_back(L"reveal last line"); }
  void SetProgressRange(uint32_t total) override {
    progressMax = total;
    if (progressPos > total) progressPos = total;
    log_.push_back(L"range " + std::to_wstring(total));
  }
  void SetProgressPos(uint32_t pos) override {
    progressPos = pos > progressMax ? progressMax : pos;
    log_.push_back(L"pos " + std::to_wstring(pos));
  }
  void StepProgress() override {
    if (progressPos < progressMax) ++progressPos;
    log_.push_back(L"step");
  }
  void ShowMessageBox(const std::wstring& text, const wchar_t* caption) override {
    boxes.push_back({text, caption ? caption : L"<default>"});
    log_.push_back(L"box [" + std::wstring(caption ? caption : L"<default>") + L"] " + text);
  }
  void EnableSystemClose(bool enable) override {
    systemCloseEnabled = enable;
    log_.push_back(enable ? L"enable system close" : L"grey system close");
  }
  void HideDialog() override {
    dialogVisible = false;
    log_.push_back(L"hide dialog");
  }
  void Quit(int code) override {
    quitCodes.push_back(code);
    log_.push_back(L"quit " + std::to_wstring(code));
  }

  static std::wstring Name(WizardControl c) {
    switch (c) {
      case WizardControl::TipInfo:
        return L"tip";
      case WizardControl::Progress:
        return L"progress";
      case WizardControl::Next:
        return L"next";
      case WizardControl::Download:
        return L"download";
      case WizardControl::Close:
        return L"close";
      case WizardControl::StatusList:
        return L"list";
      case WizardControl::RunHost:
        return L"check";
    }
    return L"?";
  }

  std::map<WizardControl, ControlState> controls;
  int tipGrowth = 0;  // pixels relative to the template
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
  std::vector<std::wstring>& log_;
};

class FakeEnvironment : public WizardEnvironment {
 public:
  explicit FakeEnvironment(std::vector<std::wstring>& log) : log_(log) {}

  bool IsHostInstalled() override {
    log_.push_back(L"env host check");
    return hostInstalled;
  }
  int GetPlannedItemCount() override {
    log_.push_back(L"env planned count");
    return plannedItems;
  }
  void GetPlanSummary(std::wstring& summary) override { summary = planSummary; }
  uint32_t GetPlannedBlockTotal() override { return blockTotal; }
  bool StartWorker() override {
    ++workerStarts;
    log_.push_back(L"env start worker");
    return workerStartSucceeds;
  }
  bool HandOffToHost() override {
    ++handOffs;
    log_.push_back(L"env hand-off");
    return true;
  }
  void OpenDownloadPage() override {
    ++downloadPagesOpened;
    log_.push_back(L"env open download page");
  }
  void RepairInterruptedRun() override { ++repairs; }

  bool hostInstalled = true;
  int plannedItems = 2;
  std::wstring planSummary = L"安装《甲》升级《乙》";
  uint32_t blockTotal = 10;
  bool workerStartSucceeds = true;
  int workerStarts = 0;
  int handOffs = 0;
  int downloadPagesOpened = 0;
  int repairs = 0;

 private:
  std::vector<std::wstring>& log_;
};

}  // namespace wizardtest
