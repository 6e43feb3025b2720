// The common controls library, loaded at run time instead of imported: an import is resolved
// before the program's first line runs, so its own dependencies would be looked for beside the
// wizard before the search is restricted to the system folder.
#pragma once

#include <windows.h>

// Loads the common controls (version 6, as the manifest asks) and registers the given control
// classes, as InitCommonControlsEx does. False when the library or the function is missing.
bool InitCommonControlsAtRunTime(DWORD classes);
