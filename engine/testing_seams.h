// Every hook the engine offers to tests, and only to tests: the program never calls these. Each is
// defined beside the state it touches; keeping the declarations here makes the seams easy to see
// and keeps them out of the headers the program uses.
#pragma once

#include <cstdint>
#include <string>

// Forget the cached registry texts of host_paths, as at program start.
void ResetHostPathCachesForTesting();

// Make GetModuleDir answer this folder (ending with a backslash) instead of the executable's
// own; an empty text restores the real answer.
void SetModuleDirForTesting(const std::wstring& dir);

// The bounded polls of poll_policy with another pause; the attempt count never changes.
void SetPollPauseForTesting(unsigned pauseMs);

// Make target files fail as on a full disk. With TargetFault::Write, writes fail once afterBytes
// bytes have been written since this call (the part that still fits is written); with
// TargetFault::Close, every close reports failure. TargetFault::None ends the fault. Call it
// before the installing thread starts.
enum class TargetFault { None, Write, Close };
void InjectTargetFaultForTesting(TargetFault fault, uint64_t afterBytes);

// Every file-system step of the installation run and of its repair of an interrupted run, in the
// order they happen, each reported just before it is made (install_files.h). A test can record the
// order, or end the process at any step to see what is left on disk.
enum class FileStep { Create, Write, Flush, Close, SetAttributes, Move, Delete, ProfileWrite };
using FileStepObserver = void (*)(FileStep step, const std::wstring& path, const std::wstring& other, void* context);
void ObserveFileStepsForTesting(FileStepObserver observer, void* context);

// Make one step of the desktop shell's chain (desktop_shell.h) fail as if the shell had answered
// E_FAIL, so that the direct start behind it is seen; ShellStep::None ends the fault.
enum class ShellStep : int;
void FailShellStepForTesting(ShellStep step);

// Called with the relative name just before each file is opened below a held package folder
// (pinned_file.h), after the folder itself is held; a test can point a link elsewhere right then.
using PinObserver = void (*)(const std::wstring& relative, void* context);
void ObservePinsForTesting(PinObserver observer, void* context);

// Called once the copy of vintora.dll was checked, just before it is loaded (probe_binding.h).
using ProbeCheckedObserver = void (*)(void* context);
void ObserveProbeCheckedForTesting(ProbeCheckedObserver observer, void* context);

// Forget the package's seal as read, so that the next question reads it again from the package
// folder (package_seal.h), as at program start.
void ResetPackageSealForTesting();
