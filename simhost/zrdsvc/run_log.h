// The simulated host programs' record of what they did: lines appended to a log file beside the
// running executable, each starting with the process id, so that tests and the demo can read
// what happened inside another process.
#pragma once

#include <string>

// Appends `text` as UTF-8 to the file at `path`, made first when `create`. Shared: several simulated
// processes may append to one file.
void AppendUtf8(const std::wstring& path, const std::wstring& text, bool create);

// Appends "<pid> <line>" (UTF-8, CRLF) to fileName in the executable's folder.
void AppendRunLog(const wchar_t* fileName, const std::wstring& line);

// The running executable's folder, with a trailing backslash.
std::wstring RunningExeDir();
