// Text in the ANSI code page of the host's configuration file (where an id it cannot carry lands
// in a section named with "?" or a look-alike) and of a dictconfig.ini without a UTF-16 BOM.
#pragma once

#include <string>

// Whether a text converts to the code page without a default or best-fit character and back to
// itself. Windows asks the system's code page; elsewhere (dirpack on a publisher's machine) the
// answer is for code page 936, the one our users' systems use.
bool SurvivesAnsiCodePage(const std::wstring& text);

// Bytes in the code page, as the profile functions read a file without a UTF-16 byte-order mark,
// as UTF-16 code units, one per wchar_t; an undefined sequence becomes a replacement character.
std::wstring AnsiToUnits(const std::string& bytes);

// Whether every byte sequence is defined in the code page.
// Only dirpack uses this; the wizard never calls it.
bool IsAnsiText(const std::string& bytes);
