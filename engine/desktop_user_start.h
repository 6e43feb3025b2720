// Starting a program, or opening a web page, for the person at the desktop rather than as the
// elevated wizard: through the interactive desktop's shell (desktop_shell.h), else directly.
#pragma once

#include <string>

// Opens file ("open") for the desktop's user, with folder as the working folder (empty: none).
// - No interactive window station (a service, SYSTEM in a start-up script): nothing is started,
//   a diagnostic says so, false.
// - A step of the shell's chain fails: a diagnostic names it, and the file is opened directly.
// True when the shell or the direct start took it.
bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& folder);

// Opens file with parameters from this process, as the wizard's own child with its token, with
// folder as the working folder (empty: ours). True when the shell reports it started.
bool OpenDirectly(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder);
