// Finding and ending processes by image name, and getting the host's service process out of the
// way before its dictionary files or configuration are touched. Every wait is the bounded poll of
// poll_policy.h; every search takes a fresh process snapshot.
#pragma once

#include <windows.h>

// The host's service process, which keeps the installed dictionary files open.
constexpr const wchar_t* kDictServiceImageName = L"zrdsvc.exe";

// True, with the process id, when a process runs whose executable file name equals name,
// letters compared without regard to case. The first match in the snapshot wins; processId is
// untouched when nothing matches.
bool FindProcessByName(const wchar_t* name, DWORD& processId);

// Terminates the first process of that name (exit code 4) and polls until none is left.
// True when no such process is left, or when the one found cannot be opened for termination.
bool KillProcessByName(const wchar_t* name);

// Starts the host's repair tool with "-S" when a process of that name runs, and polls until none
// is left. True when none ran or all vanished in time; the tool is not started when none ran.
bool StopServiceWithRepairTool(const wchar_t* name);

// The service process gone, through the repair tool or else by termination. True when it is not
// running afterwards, as far as the polls can tell.
bool StopDictService();
