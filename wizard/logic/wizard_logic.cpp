#include "wizard/logic/wizard_logic.h"

#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_commands.h"
#include "wizard/logic/wizard_pages.h"
#include "wizard/logic/wizard_texts.h"

void WizardLogic::CheckEnvironment() {
  if (!environment_.IsHostInstalled()) {
    Log(log_text::kHostMissing);
    ShowHostMissingPage();
    return;
  }
  const int planned = environment_.GetPlannedItemCount();
  if (planned > 0) {
    Log(FormatText(log_text::kPlanned, std::to_wstring(planned).c_str()));
    if (planned == 1) singleItem_ = true;
    ShowWelcomePage();
  } else if (planned == 0 && Unattended() && !environment_.HasContainer()) {
    // Nothing to install because nothing is there: a script pointed at the wrong folder, which
    // must not read as success. The run ends before any page (exit code 4).
    Log(log_text::kNoContainer);
    Quit(2);
  } else if (planned == 0) {
    Log(log_text::kUpToDate);
    ShowUpToDatePage();
  } else {
    Log(log_text::kStartupFailed);
    // Unattended, nobody would close the box: the lines logged stand for it. A package that is
    // not as sealed shows the damaged-package box, naming the first file refused.
    std::wstring refused;
    if (environment_.GetRefusedPackageFile(refused)) {
      const std::wstring line = FormatText(wizard_text::kUnpackFailed, refused.c_str());
      Log(FormatText(log_text::kStatus, line.c_str()));
      if (!Unattended()) surface_.ShowMessageBox(line, wizard_text::kErrorCaption);
    } else if (!Unattended()) {
      surface_.ShowMessageBox(wizard_text::kStartupFailed, nullptr);
    }
    Quit(2);
  }
}

void WizardLogic::Log(const std::wstring& event) {
  if (log_ != nullptr) log_->Write(event);
}

void WizardLogic::Quit(int interactiveCode) {
  quitCode_ = DecideExitCode(mode_, WizardOutcome::DialogEnded, EndWith(interactiveCode));
  quit_ = true;
  surface_.Quit(quitCode_);
}

bool WizardLogic::QuitCode(int& code) const {
  if (!quit_) return false;
  code = quitCode_;
  return true;
}

DialogEnd WizardLogic::EndWith(int quitCode) const { return {quitCode, state_, failed_, unregistered_}; }

void WizardLogic::ShowPage(WizardState page, const std::wstring& argument) {
  PageLayout layout;
  if (!FindPageLayout(page, layout)) return;
  ApplyPage(layout, singleItem_, argument, surface_);
  state_ = page;
  ProceedUnattended();
}

void WizardLogic::ProceedUnattended() {
  UnattendedStep step;
  if (!Unattended() || !FindUnattendedStep(state_, step)) return;
  std::wstring event = step.logText;
  if (step.setsRunHost) {
    const bool startHost = mode_ == RunMode::SilentStartHost;
    automation_.SetTicked(WizardControl::RunHost, startHost);
    event += startHost ? log_text::kStartsHost : log_text::kLeavesHost;
  }
  Log(event);
  automation_.PostClick(step.button);
}

void WizardLogic::ShowWelcomePage() {
  std::wstring summary;
  environment_.GetPlanSummary(summary);
  ShowPage(WizardState::Welcome, summary);
}

void WizardLogic::ShowUpToDatePage() { ShowPage(WizardState::UpToDate, {}); }
void WizardLogic::ShowHostMissingPage() { ShowPage(WizardState::HostMissing, {}); }
void WizardLogic::ShowFinishedPage() { ShowPage(WizardState::Finished, {}); }

void WizardLogic::ShowIncompletePage() {
  AddStatusLine(wizard_text::kRunIncomplete);
  // The list does not follow its lines by itself; this last one must be seen.
  if (!singleItem_) surface_.RevealLastListLine();
  ShowPage(WizardState::Incomplete, {});
}

void WizardLogic::StartInstall() {
  ShowPage(WizardState::Running, {});
  surface_.SetProgressRange(environment_.GetPlannedBlockTotal());
  if (!environment_.StartWorker()) ShowIncompletePage();
}

bool WizardLogic::OnCommand(int controlId, int notification, intptr_t& result) {
  WizardCommand command;
  intptr_t answer = 0;
  if (!FindCommand(controlId, notification, command, answer)) return false;
  const CommandOutcome outcome = DecideCommand(state_, command);
  if (outcome.repairs) RepairLeftovers();
  switch (outcome.action) {
    case CommandAction::Ignore:
      break;
    case CommandAction::StartInstall:
      StartInstall();
      break;
    case CommandAction::OpenDownloadPageAndQuit:
      environment_.OpenDownloadPage();
      Quit(outcome.quitCode);
      break;
    case CommandAction::HandOffAndQuit:
      if (surface_.IsTicked(WizardControl::RunHost)) HandOff();
      [[fallthrough]];
    case CommandAction::Quit:
      Quit(outcome.quitCode);
      break;
  }
  result = answer;
  return true;
}

void WizardLogic::RepairLeftovers() {
  // Before the hand-off: the host started then finds every dictionary under its own name.
  Log(log_text::kRepair);
  environment_.RepairLeftovers();
}

void WizardLogic::HandOff() {
  surface_.HideDialog();
  Log(log_text::kHandOff);
  Log(environment_.HandOffToHost() ? log_text::kHandOffDone : log_text::kHandOffNoTray);
}

void WizardLogic::AddStatusLine(const std::wstring& line) {
  Log(FormatText(log_text::kStatus, line.c_str()));
  if (singleItem_) {
    surface_.SetText(WizardControl::TipInfo, line);
  } else {
    surface_.AddListLine(line);
  }
}

bool WizardLogic::AddItemLine(ItemReport report, const std::wstring& title, EntryAction action) {
  const wchar_t* format = nullptr;
  if (!FindItemLineFormat(report, action, format)) return false;
  AddStatusLine(FormatText(format, title.c_str()));
  return true;
}

void WizardLogic::RunStarted() { surface_.SetProgressPos(0); }

void WizardLogic::ItemStarted(const std::wstring& title, EntryAction action) {
  AddItemLine(ItemReport::Started, title, action);
}

void WizardLogic::Step() { surface_.StepProgress(); }

void WizardLogic::ItemSucceeded(const std::wstring& title, EntryAction action) {
  if (AddItemLine(ItemReport::Succeeded, title, action)) ++succeeded_;
}

bool WizardLogic::ItemFailed(const std::wstring& title, EntryAction action) {
  if (!AddItemLine(ItemReport::Failed, title, action)) return false;
  ++failed_;
  return true;
}

bool WizardLogic::UnpackFailed(const std::wstring& path) {
  // Always to the list, even in single-item mode where the list stays hidden: there the message
  // box alone shows it.
  const std::wstring line = FormatText(wizard_text::kUnpackFailed, path.c_str());
  ++failed_;
  Log(FormatText(log_text::kStatus, line.c_str()));
  surface_.AddListLine(line);
  // Unattended, the worker goes on at once: its line in the log stands for the box.
  if (!Unattended()) surface_.ShowMessageBox(line, wizard_text::kErrorCaption);
  return true;
}

void WizardLogic::RunFinished(unsigned unregistered) {
  unregistered_ = unregistered;
  std::wstring event = FormatText(log_text::kRunFinished, std::to_wstring(succeeded_).c_str());
  if (failed_ > 0) event += FormatText(log_text::kRunFailures, std::to_wstring(failed_).c_str());
  if (unregistered_ > 0) event += FormatText(log_text::kRunUnregistered, std::to_wstring(unregistered_).c_str());
  Log(event);
  surface_.SetProgressPos(environment_.GetPlannedBlockTotal());
  ShowFinishedPage();
}

void WizardLogic::RunAborted() {
  // Posted after the run; only a run still waiting for its end has anything to undo.
  if (state_ == WizardState::Running) ShowIncompletePage();
}
