// Starting a program, or opening a web page, for the person at the desktop rather than as the
// elevated wizard: through the interactive desktop's shell (desktop_shell.h), else not at all.
#pragma once

#include <string>

// Opens file ("open") for the desktop's user, with folder as the working folder (empty: none),
// never with the wizard's own token nor as any user but the desktop shell's owner. True when the
// shell took it; false, nothing started and a diagnostic saying why, without an interactive
// window station (a service, SYSTEM in a start-up script) or when a step of the shell's chain fails.
bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& folder);

// Opens file with parameters as the wizard's own child with its token, in folder (empty: ours).
// True when the shell reports it started. Only for what must run elevated (the repair tool).
bool OpenDirectly(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder);
