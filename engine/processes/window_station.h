// Whether this process runs on a window station a person can see: the interactive desktop's
// (WinSta0) is visible; a service's, or SYSTEM's in a computer start-up script, is not.
#pragma once

// True when the process's window station carries WSF_VISIBLE; false when not, or unknown.
bool IsInteractiveWindowStation();
