// Where the wizard's process looks for libraries that are loaded by name. The wizard runs as
// administrator from the folder it was delivered in (often Downloads), where a planted library
// named like a system one would otherwise be picked up before the system's own.
#pragma once

// Restricts the loader's search for libraries loaded by name to the system folder, takes the
// current folder out of it, and puts path searches into safe mode. Call first thing at entry,
// before anything else is loaded. Libraries loaded by full path still load from that path.
void RestrictDllSearchToSystem();
