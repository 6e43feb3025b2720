#include "wizard/logic/wizard_commands.h"

#include <iterator>

#include "wizard/res/resource.h"

namespace {

struct CommandRow {
  int controlId;
  bool anyNotification;  // otherwise BN_CLICKED only
  WizardCommand command;
  intptr_t result;
};

constexpr CommandRow kCommands[] = {
    {kIdOk, true, WizardCommand::Enter, 0},
    {kIdCancel, true, WizardCommand::Cancel, 1},
    {IDC_BTN_MAINDLG_NEXT, false, WizardCommand::Next, 0},
    {IDC_BTN_MAINDLG_DOWNLOAD, false, WizardCommand::Download, 0},
    {IDC_BTN_MAINDLG_CLOSE, false, WizardCommand::Close, 1},
};

// One column per command and one row per page, counted from the enums' last members.
constexpr int kCommandCount = static_cast<int>(WizardCommand::Close) + 1;
constexpr int kStateCount = static_cast<int>(WizardState::Incomplete) + 1;
static_assert(std::size(kCommands) == kCommandCount, "one row of kCommands per command");

using A = CommandAction;
constexpr CommandOutcome kIgnore = {A::Ignore, 0};
constexpr CommandOutcome kQuit1 = {A::Quit, 1};
constexpr CommandOutcome kQuit2 = {A::Quit, 2};
// The same at an end the user confirmed: the repair runs first.
constexpr CommandOutcome kEnd1 = {A::Quit, 1, true};
constexpr CommandOutcome kEnd2 = {A::Quit, 2, true};

// clang-format off
// Rows: WizardState by value. Columns: Enter, Cancel, Next, Download, Close.
// Running refuses every way of closing: the worker uses the engine the dialog owns. A run that
// did not complete ends with 2 whichever way it is closed, and never hands off. Leaving the
// up-to-date or finished page, however it is left, repairs what an interrupted run left; leaving
// before the user chose to install writes nothing into the host.
constexpr CommandOutcome kStateTable[kStateCount][kCommandCount] = {
    /* Initial     */ {kQuit1,  kQuit2,  kIgnore,              kQuit1,                          kQuit1},
    /* Welcome     */ {kQuit1,  kQuit2,  {A::StartInstall, 0}, kQuit1,                          kQuit1},
    /* Running     */ {kIgnore, kIgnore, kIgnore,              kIgnore,                         kIgnore},
    /* Finished    */ {kEnd1,   kEnd2,   kIgnore,              kEnd1,                           {A::HandOffAndQuit, 1, true}},
    /* UpToDate    */ {kEnd1,   kEnd2,   kIgnore,              kEnd1,                           kEnd1},
    /* HostMissing */ {kQuit1,  kQuit2,  kIgnore,              {A::OpenDownloadPageAndQuit, 1}, kQuit1},
    /* Incomplete  */ {kQuit2,  kQuit2,  kIgnore,              kQuit2,                          kQuit2},
};
// clang-format on

}  // namespace

bool FindCommand(int controlId, int notification, WizardCommand& command, intptr_t& result) {
  for (const CommandRow& row : kCommands) {
    if (row.controlId != controlId) continue;
    if (!row.anyNotification && notification != kButtonClicked) return false;
    command = row.command;
    result = row.result;
    return true;
  }
  return false;
}

CommandOutcome DecideCommand(WizardState state, WizardCommand command) {
  const int row = static_cast<int>(state);
  const int column = static_cast<int>(command);
  if (row < 0 || row >= kStateCount || column < 0 || column >= kCommandCount) return kIgnore;
  return kStateTable[row][column];
}
