// The wizard's decisions: the start-up check, the pages, the commands and the worker's reports
// (decoded by the dialog from its messages), run against a control surface. The dialog owns the
// state and the flag; this object keeps references to them. An unattended run (unattended.h)
// clicks for itself through the automation; either mode may keep a log. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "engine/plan/inventory_records.h"
#include "wizard/logic/run_log.h"
#include "wizard/logic/status_lines.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_automation.h"
#include "wizard/logic/wizard_environment.h"
#include "wizard/logic/wizard_state.h"
#include "wizard/logic/wizard_surface.h"

class WizardLogic {
 public:
  // `log` may be null: no log. The automation is used only when the mode is not Interactive.
  WizardLogic(WizardState& state, bool& singleItem, WizardSurface& surface, WizardEnvironment& environment,
              WizardAutomation& automation, RunLog* log, RunMode mode)
      : state_(state),
        singleItem_(singleItem),
        surface_(surface),
        environment_(environment),
        automation_(automation),
        log_(log),
        mode_(mode) {}

  // Picks the first page; a failed inventory ends the wizard with 2 (unattended: 4).
  void CheckEnvironment();

  void ShowWelcomePage();
  void ShowUpToDatePage();
  void ShowHostMissingPage();
  void ShowFinishedPage();
  // Next on the welcome page: the running page, the progress range, the worker.
  void StartInstall();

  // A WM_COMMAND; false when the dialog leaves it to default processing.
  bool OnCommand(int controlId, int notification, intptr_t& result);

  // The worker's reports, in the order of a run (engine/install/install_reporter.h). Each is handled
  // while the worker waits for the dialog's answer.
  void RunStarted();
  // An entry whose action is Install or Upgrade; a Skip entry is never reported and gets no line.
  void ItemStarted(const std::wstring& title, EntryAction action);
  void Step();
  void ItemSucceeded(const std::wstring& title, EntryAction action);
  // True: the worker goes on with the next entry.
  bool ItemFailed(const std::wstring& title, EntryAction action);
  // A package container that cannot be opened; true: the worker goes on with the next one.
  bool UnpackFailed(const std::wstring& path);
  // The end of a run that was not stopped, with the entries whose registration with the host (their
  // section or their image) failed.
  void RunFinished(unsigned unregistered);
  // The worker ended without RunFinished.
  void RunAborted();

  // The exit code this logic ended the wizard with; false while it has not ended it.
  bool QuitCode(int& code) const;
  // Where the wizard is, for the exit code of a message loop that ended with `quitCode`.
  DialogEnd EndWith(int quitCode) const;

 private:
  bool Unattended() const { return mode_ != RunMode::Interactive; }
  void Log(const std::wstring& event);
  // Destroys the dialog with the exit code for the interactive quit code (DecideExitCode).
  void Quit(int interactiveCode);
  void ShowPage(WizardState page, const std::wstring& argument);
  // An unattended run's click on the page it has just reached.
  void ProceedUnattended();
  void ShowIncompletePage();
  // The status line: the tip text in single-item mode, a new line of the status list otherwise.
  void AddStatusLine(const std::wstring& line);
  // The status line of an entry report; false, and no line, for a Skip entry.
  bool AddItemLine(ItemReport report, const std::wstring& title, EntryAction action);
  // At an end the user confirmed: what an interrupted run left is put in order.
  void RepairLeftovers();
  void HandOff();

  WizardState& state_;
  bool& singleItem_;
  WizardSurface& surface_;
  WizardEnvironment& environment_;
  WizardAutomation& automation_;
  RunLog* log_;
  RunMode mode_;
  // The worker's reports of this run, for the log and an unattended run's exit code.
  unsigned succeeded_ = 0;
  unsigned failed_ = 0;        // entries and containers
  unsigned unregistered_ = 0;  // entries installed whose section or image was not written
  bool quit_ = false;
  int quitCode_ = 0;
};
