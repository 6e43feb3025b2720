// Whether a text survives the system's ANSI code page unchanged. The host's configuration file is
// an ANSI file, written through the profile functions: a dictionary id they cannot carry lands in
// a section named with "?" or with a look-alike, where ids collapse onto each other.
#pragma once

#include <string>

// True when the text converts to the ANSI code page without a default or best-fit character and
// back to the same text. Windows asks the system's code page; elsewhere (dirpack on a publisher's
// machine) the answer is for code page 936, the one our users' systems use.
bool SurvivesAnsiCodePage(const std::wstring& text);
