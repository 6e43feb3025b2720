// The processes of the Wine session, counted and ended by image name or by folder.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Processes whose executable file name equals imageName, letters compared without case.
int CountProcesses(const wchar_t* imageName);
// Terminates every such process and waits for each to end.
void TerminateAll(const wchar_t* imageName);
// Terminates every process whose executable lies in the folder (or below it).
void TerminateProgramsIn(const std::wstring& folder);

}  // namespace testsupport
