// Every hook the engine offers to tests only: the program never calls these. Each is defined
// beside the state it touches; declared here, out of the headers the program uses.
#pragma once

#include <cstdint>
#include <string>

// Forget the cached registry texts of host_paths, as at program start.
void ResetHostPathCachesForTesting();

// Make GetModuleDir answer this folder (ending with a backslash); an empty text restores the real one.
void SetModuleDirForTesting(const std::wstring& dir);

// The bounded polls of poll_policy with another pause; the attempt count never changes.
void SetPollPauseForTesting(unsigned pauseMs);

// Make target files fail as on a full disk: with Write, writes fail once afterBytes bytes were
// written since this call (the part that fits is written); with Close, every close fails; None
// ends the fault. Call it before the installing thread starts.
enum class TargetFault { None, Write, Close };
void InjectTargetFaultForTesting(TargetFault fault, uint64_t afterBytes);

// Every file-system step of the run and of its repair, reported just before it is made
// (install_files.h): a test can record the order, or end the process at any step.
enum class FileStep { Create, Write, Flush, Close, SetAttributes, Move, Delete, ProfileWrite };
using FileStepObserver = void (*)(FileStep step, const std::wstring& path, const std::wstring& other, void* context);
void ObserveFileStepsForTesting(FileStepObserver observer, void* context);

// Make one step of the desktop shell's chain (desktop_shell.h) answer E_FAIL; None ends the fault.
enum class ShellStep : int;
void FailShellStepForTesting(ShellStep step);

// Called with the relative name just before each file is opened below its held folder
// (pinned_file.h): a test can point a link elsewhere right then.
using PinObserver = void (*)(const std::wstring& relative, void* context);
void ObservePinsForTesting(PinObserver observer, void* context);

// Called once the copy of vintora.dll was checked, just before it is loaded (probe_binding.h).
using ProbeCheckedObserver = void (*)(void* context);
void ObserveProbeCheckedForTesting(ProbeCheckedObserver observer, void* context);

// Forget the package's seal as read (package_seal.h): the next question reads it again.
void ResetPackageSealForTesting();
