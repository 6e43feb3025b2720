// Text in the system's ANSI code page. The host's configuration file is an ANSI file, written
// through the profile functions: a dictionary id they cannot carry lands in a section named with
// "?" or with a look-alike, where ids collapse onto each other. A package's dictconfig.ini without
// a UTF-16 byte-order mark is read in the same code page.
#pragma once

#include <string>

// Whether a text survives the code page unchanged: true when the text converts to the ANSI code page without a default or best-fit character and
// back to the same text. Windows asks the system's code page; elsewhere (dirpack on a publisher's
// machine) the answer is for code page 936, the one our users' systems use.
bool SurvivesAnsiCodePage(const std::wstring& text);

// Bytes in the ANSI code page, as the system's profile functions read a file that carries no
// UTF-16 byte-order mark, as UTF-16 code units, one per wchar_t. A byte sequence the code page
// does not define becomes a replacement character rather than ending the text.
std::wstring AnsiToUnits(const std::string& bytes);

// Whether every byte sequence is defined in the code page.
// Only dirpack uses this; the wizard never calls it.
bool IsAnsiText(const std::string& bytes);
