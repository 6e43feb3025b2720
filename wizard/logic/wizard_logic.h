// The wizard's decisions: the start-up check, the pages, the commands and the handling of the
// worker's reports, run against a control surface. The dialog owns the state and the flag;
// this object keeps references to them. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "wizard/logic/wizard_environment.h"
#include "wizard/logic/wizard_state.h"
#include "wizard/logic/wizard_surface.h"

class WizardLogic {
 public:
  WizardLogic(WizardState& state, bool& singleItem, WizardSurface& surface, WizardEnvironment& environment)
      : state_(state), singleItem_(singleItem), surface_(surface), environment_(environment) {}

  // Picks the first page; a failed inventory ends the wizard with 2.
  void CheckEnvironment();

  void ShowWelcomePage();
  void ShowUpToDatePage();
  void ShowHostMissingPage();
  void ShowFinishedPage();
  // Next on the welcome page: the running page, the progress range, the worker.
  void StartInstall();

  // A WM_COMMAND; false when the dialog leaves it to default processing.
  bool OnCommand(int controlId, int notification, intptr_t& result);

  // A worker report, WM_INSTALL_START to WM_UNPACK_FAIL; returns the worker's answer. The text
  // (wParam) is read only during the call.
  intptr_t OnWorkerReport(unsigned message, const wchar_t* text, intptr_t action);
  // The worker ended without WM_INSTALL_FINISH.
  void OnInstallAborted();

 private:
  void ShowPage(WizardState page, const std::wstring& argument);
  void ShowIncompletePage();
  // The status line: the tip text in single-item mode, a new line of the status list otherwise.
  void AddStatusLine(const std::wstring& line);

  WizardState& state_;
  bool& singleItem_;
  WizardSurface& surface_;
  WizardEnvironment& environment_;
};
