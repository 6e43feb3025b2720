// The command table (which WM_COMMAND the dialog handles and what it answers) and the state
// table (what each command does on each page), as data. Portable.
#pragma once

#include <cstdint>

#include "wizard/logic/wizard_state.h"

enum class WizardCommand : int {
  Enter,     // IDOK: Enter on a control that is not a push button
  Cancel,    // IDCANCEL: Esc, the close box, Alt+F4, the system menu's Close
  Next,      // the Next button
  Download,  // the download button
  Close,     // the Cancel / Close / Finish button
};

// Win32's values, so that this file needs no Win32 header.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kButtonClicked = 0;  // BN_CLICKED

// Which command a WM_COMMAND carries and the dialog's answer to it; false when the dialog
// leaves the message to default processing.
bool FindCommand(int controlId, int notification, WizardCommand& command, intptr_t& result);

enum class CommandAction : int {
  Ignore,
  StartInstall,
  Quit,                     // destroy the dialog, post the quit code
  OpenDownloadPageAndQuit,  // the host's download page first
  HandOffAndQuit,           // the hand-off first, when the check box is ticked
};

struct CommandOutcome {
  CommandAction action;
  int quitCode;  // for the quitting actions
  // A quitting action at an end the user confirmed (the up-to-date or finished page): what an
  // interrupted run left is repaired first, so that the host finds its dictionaries.
  bool repairs = false;
};

CommandOutcome DecideCommand(WizardState state, WizardCommand command);
