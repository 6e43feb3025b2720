// Starting a program, or opening a web page, for the person at the desktop rather than as the
// elevated wizard: through the interactive desktop's shell (desktop_shell.h), else not at all.
#pragma once

#include <string>

// Opens file ("open") for the desktop's user, with folder as the working folder (empty: none).
// - No interactive window station (a service, SYSTEM in a start-up script): nothing is started,
//   a diagnostic says so, false.
// - A step of the shell's chain fails: nothing is started, a diagnostic names the step, false.
// Never with the wizard's own token, nor as any user but the owner of the desktop's shell.
// True when the shell took it.
bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& folder);

// Opens file with parameters from this process, as the wizard's own child with its token, with
// folder as the working folder (empty: ours). True when the shell reports it started. Only for
// what must run elevated (the repair tool, which stops the service).
bool OpenDirectly(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder);
