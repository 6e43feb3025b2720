// Finding and ending processes by image name, and getting the host's service out of the way
// before its files are touched. Every wait is poll_policy.h's; every search a fresh snapshot.
#pragma once

#include <windows.h>

// The host's service process, which keeps the installed dictionary files open.
constexpr const wchar_t* kDictServiceImageName = L"zrdsvc.exe";

// True, with the process id of the snapshot's first match, when a process runs whose executable
// file name equals name without regard to case; processId untouched otherwise.
bool FindProcessByName(const wchar_t* name, DWORD& processId);

// Terminates the first process of that name (exit code 4) and polls until none is left.
// True when no such process is left, or when the one found cannot be opened for termination.
bool KillProcessByName(const wchar_t* name);

// Starts the host's repair tool with "-S" when a process of that name runs, and polls until none
// is left. True when none ran (the tool not started) or all vanished in time.
bool StopServiceWithRepairTool(const wchar_t* name);

// The service gone, through the repair tool or else by termination. True when not running after,
// as far as the polls tell.
bool StopDictService();
