// One wizard per machine at a time, whatever path, link or drive it was started from: two wizards
// would install into the same host at once.
#pragma once

#include <windows.h>

enum class WizardTurn {
  Ours,            // no other wizard runs: this process holds the claim until it ends
  BroughtForward,  // another wizard runs; its dialog was shown and brought to the front
  OtherStillBusy,  // another wizard holds the claim but showed no dialog within the wait
};

// Decides whether this process may run the wizard. A second start waits (at most 20 attempts of
// 500 ms, which covers the first wizard's start-up check) for the running wizard's dialog, found
// through sameImageDialog (the data section shared by processes of this very program file) or
// through the handle the running wizard published with PublishWizardDialog, and shows it and
// brings it to the front once it exists. Both places can be written by other programs, so only a
// dialog with the wizard's title, of a process running a program of the wizard's own file name,
// counts; any other window is as none. When the first wizard ends during the wait, this one takes
// the claim and runs.
//
// The claim is a mutex in a private namespace whose boundary is the Administrators group at high
// integrity, so a process without elevation can neither create nor hold it. Where the system offers no private
// namespaces, a machine-wide name of its own stands in.
WizardTurn TakeWizardTurn(const volatile HWND& sameImageDialog);

// The same claim for an unattended wizard, which shows nothing and brings nothing forward: a
// running wizard is given the same wait to end. True when this process holds the claim.
bool TakeWizardTurnQuietly();

// Makes the running wizard's dialog known to second starts from other program files.
void PublishWizardDialog(HWND dialog);
