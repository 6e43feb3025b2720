// The unattended run (/S): the interactive wizard's start-up check, pages and installation on a
// dialog that is never shown. On every page it reaches, the wizard clicks what the step table
// says; message boxes become lines of the log. Here too the one decision of the process exit
// code, in either mode, from how the run ended. Decisions as data. Portable.
#pragma once

#include <cstddef>

#include "wizard/logic/wizard_state.h"
#include "wizard/logic/wizard_surface.h"

enum class RunMode : int {
  Interactive,      // no /S: the wizard as it has always been
  Silent,           // /S: ends without starting the host
  SilentStartHost,  // /S /START: ends with the hand-off, as the finish button would with the box ticked
};

// What the unattended run does on a page.
struct UnattendedStep {
  WizardState page;
  WizardControl button;  // clicked through the dialog's own command table
  bool setsRunHost;      // the run-host box is set to /START first
  const wchar_t* logText;
};

// The step for a page; false for the pages that are left by the worker (Running) or have none.
bool FindUnattendedStep(WizardState page, UnattendedStep& step);

// Exit codes of an unattended run. An unusable command line ends with 2 in both modes.
enum class UnattendedExit : int {
  Installed = 0,           // every planned entry installed, or nothing to do
  BadCommandLine = 2,      // an argument that cannot be taken; nothing done
  HostMissing = 3,         // the host is not installed or incomplete; nothing done
  StartupCheckFailed = 4,  // a damaged or refused package; nothing done
  NotAllInstalled = 5,     // an entry or container failed, or the run did not complete
  AnotherWizardRuns = 6,   // another wizard is running; nothing done
};

struct UnattendedExitMeaning {
  UnattendedExit code;
  const wchar_t* meaning;
};

// Every exit code with its meaning, in order of the codes; what help, log and README tell.
const UnattendedExitMeaning* UnattendedExitMeanings(size_t& count);
// The meaning of an exit code; false for a code that is not one of them.
bool DescribeUnattendedExit(int code, const wchar_t*& meaning);

// The exit code of an unattended run that ends on `page`, with `failures` failed entries or
// containers reported by the worker.
UnattendedExit UnattendedExitAt(WizardState page, unsigned failures);

// How the wizard's process ended.
enum class WizardOutcome : int {
  HelpShown,         // /?: the help, and nothing else
  BadCommandLine,    // an argument that cannot be taken; nothing done
  OtherWizardRuns,   // another wizard runs (interactive: it was brought forward, or is busy)
  NoDialog,          // the dialog could not be created, and posted no quit code
  DialogEnded,       // the wizard's logic ended the dialog, with the quit code it decided
  EndedFromOutside,  // a quit the logic did not post ended the dialog's message loop
};

// Where the dialog was when its message loop ended (DialogEnded, EndedFromOutside).
struct DialogEnd {
  int quitCode = 0;  // the quit code that ended the loop
  WizardState page = WizardState::Initial;
  unsigned failures = 0;      // entries and containers the worker reported failed
  unsigned unregistered = 0;  // entries installed whose section or image was not written
};

// The process exit code. Interactive: the dialog's quit code, 0 for every other end but a bad
// command line. Unattended: a code of the table above, from the page reached and the failures.
int DecideExitCode(RunMode mode, WizardOutcome outcome, const DialogEnd& end);
