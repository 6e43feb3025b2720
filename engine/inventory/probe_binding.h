// The wizard's binding of the version probe library vintora.dll: at first use its file beside the
// running executable is pinned (pinned_file.h) and copied into a new folder only administrators
// and SYSTEM can write (private_copy.h); a signed wizard takes the copy only signed by its own
// certificate (publisher_signature.h). The copy is loaded by its full path, its four exports
// looked up by name, and kept until ReleaseVersionProbe. One binding per process, dialog thread only.
#pragma once

#include <windows.h>

#include "probe/vintora_exports.h"

struct ProbeBinding {
  bool bound;      // all four exports found; none of the entry points is used while false
  HMODULE module;  // the loaded copy of vintora (private_copy.h), or null
  InitDbcoreFn init_dbcore;
  GetDictDatetimeFn get_dict_datetime;
  CompareDateFn compare_date;
  StringToDateFn string_to_date;
};

// True when the binding exists, made now or earlier. A failed attempt leaves nothing loaded or
// held and is made again at the next call, unless the file was refused.
bool BindVersionProbe();

// True once a vintora.dll beside the wizard was refused: not pinned (a link, several links,
// elsewhere than named, held open for writing) or not signed as the wizard is. Final for the
// process; the start-up check fails on it as on a damaged package. A missing file is a refusal
// only for a wizard that expects its publisher's library (WizardExpectsPublisher).
bool ProbeLibraryRefused();

// Binds the probe and hands it the full path of the host's database core library. True when
// vintora loaded the core and found its entry points.
bool InitDBCore(const wchar_t* corePath);

// Unloads vintora and deletes its copy and folder, as before the first call. Called when the
// wizard ends, once nothing uses the entry points any more.
void ReleaseVersionProbe();

// Callers use the entry points only after BindVersionProbe() returned true.
const ProbeBinding& GetProbeBinding();

// Where vintora.dll is looked for: the folder of `programPath` (`length` characters, as
// GetModuleFileNameW filled it), then "\vintora.dll". False, `out` untouched, when that call failed
// or truncated the path (whose folder would be an ancestor's), the path has no "\", or the result
// and its terminator do not fit 260 characters.
bool ProbePathBesideProgram(const wchar_t* programPath, DWORD length, wchar_t (&out)[MAX_PATH]);
