#include "wizard/logic/wizard_logic.h"

#include "engine/plan/install_messages.h"
#include "wizard/logic/status_lines.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_commands.h"
#include "wizard/logic/wizard_pages.h"
#include "wizard/logic/wizard_texts.h"

void WizardLogic::CheckEnvironment() {
  if (!environment_.IsHostInstalled()) {
    ShowHostMissingPage();
    return;
  }
  const int planned = environment_.GetPlannedItemCount();
  if (planned > 0) {
    if (planned == 1) singleItem_ = true;
    ShowWelcomePage();
  } else if (planned == 0) {
    ShowUpToDatePage();
  } else {
    surface_.ShowMessageBox(wizard_text::kStartupFailed, nullptr);
    surface_.Quit(2);
  }
}

void WizardLogic::ShowPage(WizardState page, const std::wstring& argument) {
  PageLayout layout;
  if (!FindPageLayout(page, layout)) return;
  ApplyPage(layout, singleItem_, argument, surface_);
  state_ = page;
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
  PageLayout layout;
  if (!FindPageLayout(WizardState::Running, layout)) return;
  ApplyPage(layout, singleItem_, {}, surface_);
  surface_.SetProgressRange(environment_.GetPlannedBlockTotal());
  const bool started = environment_.StartWorker();
  state_ = WizardState::Running;
  if (!started) ShowIncompletePage();
}

bool WizardLogic::OnCommand(int controlId, int notification, intptr_t& result) {
  WizardCommand command;
  intptr_t answer = 0;
  if (!FindCommand(controlId, notification, command, answer)) return false;
  const CommandOutcome outcome = DecideCommand(state_, command);
  switch (outcome.action) {
    case CommandAction::Ignore:
      break;
    case CommandAction::StartInstall:
      StartInstall();
      break;
    case CommandAction::OpenDownloadPageAndQuit:
      environment_.OpenDownloadPage();
      surface_.Quit(outcome.quitCode);
      break;
    case CommandAction::HandOffAndQuit:
      if (surface_.IsTicked(WizardControl::RunHost)) {
        surface_.HideDialog();
        environment_.HandOffToHost();
      }
      surface_.Quit(outcome.quitCode);
      break;
    case CommandAction::Quit:
      // Nothing to install, so no run repairs what an interrupted one left: the wizard does it as
      // it ends, so that no dictionary stays under its backup name.
      if (state_ == WizardState::UpToDate) environment_.RepairInterruptedRun();
      surface_.Quit(outcome.quitCode);
      break;
  }
  result = answer;
  return true;
}

void WizardLogic::AddStatusLine(const std::wstring& line) {
  if (singleItem_) {
    surface_.SetText(WizardControl::TipInfo, line);
  } else {
    surface_.AddListLine(line);
  }
}

intptr_t WizardLogic::OnWorkerReport(unsigned message, const wchar_t* text, intptr_t action) {
  switch (message) {
    case WM_INSTALL_START:
      surface_.SetProgressPos(0);
      return 1;
    case WM_INSTALL_FINISH:
      surface_.SetProgressPos(environment_.GetPlannedBlockTotal());
      ShowFinishedPage();
      return 1;
    case WM_INSTALL_STEP:
      surface_.StepProgress();
      return 1;
    case WM_ITEM_START:
    case WM_ITEM_SUCCESS:
    case WM_ITEM_FAIL: {
      const wchar_t* format = nullptr;
      if (!FindItemLineFormat(message, action, format)) return 0;
      AddStatusLine(FormatText(format, text));
      return 1;
    }
    case WM_UNPACK_FAIL: {
      // Always to the list, even in single-item mode where the list stays hidden: there the
      // message box alone shows it.
      const std::wstring line = FormatText(wizard_text::kUnpackFailed, text);
      surface_.AddListLine(line);
      surface_.ShowMessageBox(line, wizard_text::kErrorCaption);
      return 1;
    }
    default:
      return 0;
  }
}

void WizardLogic::OnInstallAborted() {
  // Posted after the run; only a run still waiting for its end has anything to undo.
  if (state_ == WizardState::Running) ShowIncompletePage();
}
