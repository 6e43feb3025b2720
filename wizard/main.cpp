// Program entry of the wizard: the command line, the log, one instance at a time, COM and the
// common controls, the dialog and its message loop. How the run ended decides the exit code
// (DecideExitCode, wizard/logic/unattended.h). Where nobody can see the screen, no box is shown.
#include <windows.h>
// The headers below need windows.h first.
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "engine/diagnostics.h"
#include "engine/inventory/probe_binding.h"
#include "engine/processes/window_station.h"
#include "wizard/common_controls.h"
#include "wizard/dll_search.h"
#include "wizard/framework/app_module.h"
#include "wizard/framework/message_loop.h"
#include "wizard/logic/command_line.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/main_dlg.h"
#include "wizard/run_log_file.h"
#include "wizard/single_instance.h"

// The running instance's dialog, in a data section shared by every process of this program file,
// so that a second start finds it. Never cleared: a second start takes it only for a dialog of a
// running wizard (single_instance.h).
volatile HWND g_hMainDlg __attribute__((section("Shared_S"), shared)) = nullptr;

namespace {

RunMode ModeOf(const WizardOptions& options) {
  if (!options.silent) return RunMode::Interactive;
  return options.startHost ? RunMode::SilentStartHost : RunMode::Silent;
}

// The quit code posted while the dialog was being created (a failed start-up check ends the
// wizard from inside its own initialisation); false when none was posted.
bool TakePostedQuitCode(int& code) {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  code = static_cast<int>(msg.wParam);
  return true;
}

void WriteDiagnosticToLog(const std::wstring& text, void* log) {
  static_cast<RunLog*>(log)->Write(FormatText(log_text::kDiagnostic, text.c_str()));
}

// The log the command line asks for. Unattended, a log that cannot be written is given up
// silently; a user at the screen is told, and the wizard goes on without it.
void OpenLog(const WizardOptions& options, RunLogFile& log) {
  const bool created = options.logPath.empty() ? log.CreateInTemp() : log.Create(options.logPath);
  if (created) {
    log.Write(FormatText(log_text::kStarted, GetCommandLineW()));
    log.Write(FormatText(log_text::kLogFile, log.path().c_str()));
    SetDiagnosticSink(WriteDiagnosticToLog, static_cast<RunLog*>(&log));
  } else if (!options.silent && IsInteractiveWindowStation()) {
    MessageBoxW(nullptr, FormatText(wizard_text::kLogUnwritable, log.path().c_str()).c_str(), wizard_text::kTitle,
                MB_OK | MB_ICONWARNING);
  }
}

// The dialog, from its creation to the end of its message loop; `end` is set for the two outcomes
// of a loop that ended.
WizardOutcome RunDialog(int showCommand, RunMode mode, RunLog& log, DialogEnd& end) {
  CMessageLoop loop;
  g_module.AddMessageLoop(&loop);
  // Lives until the loop has ended; after an unattended run's loop was ended from outside, until
  // the process ends, since the worker may still be reporting to it and using its engine.
  auto dialog = std::make_unique<CMainDlg>(mode, &log);
  int quitCode = 0;
  WizardOutcome outcome = WizardOutcome::DialogEnded;
  if (dialog->Create(nullptr) != nullptr) {
    // An unattended run's dialog is never shown, so a second start must never find (and show) it.
    if (mode == RunMode::Interactive) {
      g_hMainDlg = dialog->m_hWnd;
      PublishWizardDialog(dialog->m_hWnd);
      dialog->ShowWindow(showCommand);
    }
    quitCode = loop.Run();
  } else if (!TakePostedQuitCode(quitCode)) {
    log.Write(log_text::kNoDialog);
    outcome = WizardOutcome::NoDialog;
  }
  if (outcome == WizardOutcome::DialogEnded) {
    int decided = 0;
    if (!dialog->QuitCode(decided) || decided != quitCode) outcome = WizardOutcome::EndedFromOutside;
    end = dialog->EndWith(quitCode);
  }
  if (mode != RunMode::Interactive && outcome == WizardOutcome::EndedFromOutside) {
    log.Write(FormatText(log_text::kEndedFromOutside, std::to_wstring(quitCode).c_str()));
    static_cast<void>(dialog.release());
  }
  g_module.RemoveMessageLoop();
  return outcome;
}

WizardOutcome RunWizard(HINSTANCE instance, int showCommand, const WizardOptions& options, RunLog& log,
                        DialogEnd& end) {
  const RunMode mode = ModeOf(options);
  if (options.problem != CommandLineProblem::None) {
    const std::wstring problem = DescribeCommandLineProblem(options);
    log.Write(FormatText(log_text::kBadCommandLine, problem.c_str()));
    if (mode == RunMode::Interactive && IsInteractiveWindowStation()) {
      MessageBoxW(nullptr, (problem + L"\r\n\r\n" + ComposeCommandLineHelp()).c_str(), wizard_text::kTitle,
                  MB_OK | MB_ICONERROR);
    }
    return WizardOutcome::BadCommandLine;
  }

  // Unattended, nothing is brought forward: another wizard is only busy.
  const WizardTurn turn = mode == RunMode::Interactive ? TakeWizardTurn(g_hMainDlg)
                          : TakeWizardTurnQuietly()    ? WizardTurn::Ours
                                                       : WizardTurn::OtherStillBusy;
  if (turn != WizardTurn::Ours) {
    log.Write(turn == WizardTurn::BroughtForward ? log_text::kOtherWizardShown : log_text::kOtherWizardBusy);
    return WizardOutcome::OtherWizardRuns;
  }

  CoInitialize(nullptr);
  InitCommonControlsAtRunTime(ICC_BAR_CLASSES);
  g_module.Init(instance);
  const WizardOutcome outcome = RunDialog(showCommand, mode, log, end);
  CoUninitialize();
  return outcome;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // Before anything is loaded by name: system libraries only from the system folder.
  RestrictDllSearchToSystem();

  const WizardOptions options = ReadCommandLine(GetCommandLineW());
  // Asked for, the help is shown whatever else the command line holds.
  WizardOutcome outcome = WizardOutcome::HelpShown;
  DialogEnd end;
  RunLogFile log;
  if (options.help) {
    if (IsInteractiveWindowStation())
      MessageBoxW(nullptr, ComposeCommandLineHelp().c_str(), wizard_text::kTitle, MB_OK | MB_ICONINFORMATION);
  } else {
    if (options.log) OpenLog(options, log);
    outcome = RunWizard(instance, showCommand, options, log, end);
    // The dialog has ended and the worker reads no dates: vintora's private copy goes.
    ReleaseVersionProbe();
  }
  const int result = DecideExitCode(ModeOf(options), outcome, end);

  // The log, when there is one (never for the help), ends with the code.
  std::wstring shown = std::to_wstring(result);
  const wchar_t* meaning = nullptr;
  const bool ownCode = options.silent || options.problem != CommandLineProblem::None;
  if (ownCode && DescribeUnattendedExit(result, meaning)) shown += FormatText(log_text::kResultMeaning, meaning);
  log.Write(FormatText(log_text::kResult, shown.c_str()));
  // The worker, if one ran, has long reported its end: nothing composes diagnostics any more.
  SetDiagnosticSink(nullptr, nullptr);
  return result;
}
