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
// through sameImageDialog (the data section shared by processes of this very program file) or the
// handle published with PublishWizardDialog, and brings it to the front once it exists; only a
// dialog of a process running the wizard counts (single_instance.cpp). When the first wizard ends
// during the wait, this one takes the claim and runs.
//
// The claim is a mutex in a private namespace bounded by the Administrators group at high
// integrity, so a process without elevation can neither create nor hold it. Where the system has
// no private namespaces, a machine-wide name of its own stands in.
WizardTurn TakeWizardTurn(const volatile HWND& sameImageDialog);

// The same claim for an unattended wizard, which shows nothing and brings nothing forward: a
// running wizard is given the same wait to end. True when this process holds the claim.
bool TakeWizardTurnQuietly();

// Makes the running wizard's dialog known to second starts from other program files.
void PublishWizardDialog(HWND dialog);
