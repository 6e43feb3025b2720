// Bytes in the ANSI code page, as the system's profile functions read a file that carries no
// UTF-16 byte-order mark. On Windows that is the system's code page (936, GBK, on our users'
// systems); elsewhere it is code page 936 itself.
#pragma once

#include <string>

// The text as UTF-16 code units, one per wchar_t. A byte sequence the code page does not define
// becomes a replacement character rather than ending the text.
std::wstring AnsiToUnits(const std::string& bytes);

// Whether every byte sequence is defined in the code page.
bool IsAnsiText(const std::string& bytes);
