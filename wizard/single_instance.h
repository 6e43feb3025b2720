// One wizard at a time per program file.
#pragma once

#include <windows.h>

// Decides whether this process may run the wizard. True when no other instance of the same
// program file is running; this process then holds the claim until it ends. False for a second
// start: it waits (at most 20 attempts of 500 ms, which covers the first instance's start-up
// check) for the first instance's dialog, read from runningDialog, and shows it and brings it to
// the front once it exists; it stops waiting early when the first instance ends.
bool TakeWizardTurn(const volatile HWND& runningDialog);
