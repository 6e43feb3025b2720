// The wizard's binding of the version probe library vintora.dll: at first use its file in the
// folder of the running executable is pinned (opened with read sharing only and checked to be a
// plain file right there, engine/inventory/pinned_file.h) and copied into a new folder only administrators
// and SYSTEM can write (engine/inventory/private_copy.h); when the wizard is signed, the copy must be signed
// by the same certificate (engine/inventory/publisher_signature.h). Then the copy is loaded by its full
// path, its four exports looked up by name, and kept loaded until ReleaseVersionProbe. One binding
// per process, used from the dialog's thread only.
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

// True once a vintora.dll beside the wizard was refused: not pinned (a link, a file of several
// links, elsewhere than it is named, held open for writing) or not signed as the wizard is. The
// refusal is final for the process; the start-up check fails on it as on a damaged package. A
// missing file is a refusal only for a wizard that expects its publisher's library
// (WizardExpectsPublisher); a development build goes on without dates.
bool ProbeLibraryRefused();

// Binds the probe and hands it the full path of the host's database core library. True when
// vintora loaded the core and found its entry points.
bool InitDBCore(const wchar_t* corePath);

// Unloads vintora and deletes its copy and the copy's folder; the binding is as before the first
// call. Called when the wizard ends, once nothing uses the entry points any more.
void ReleaseVersionProbe();

// Callers use the entry points only after BindVersionProbe() returned true.
const ProbeBinding& GetProbeBinding();

// Where vintora.dll is looked for: the folder of `programPath`, which GetModuleFileNameW filled
// with `length` characters, then "\vintora.dll". False when GetModuleFileNameW failed or
// truncated the path (its folder would then be an ancestor's), when the path has no "\", or when
// the result and its terminator do not fit 260 characters; `out` is then untouched.
bool ProbePathBesideProgram(const wchar_t* programPath, DWORD length, wchar_t (&out)[MAX_PATH]);
