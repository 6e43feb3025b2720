// UTF-8, the one converter of the wizard and dirpack: UTF-8 on disk, in the run log and on
// dirpack's command line; UTF-16 code units in the container's fields; the platform's wide strings
// for paths (UTF-16 on Windows, whole code points elsewhere, where file names are UTF-8 bytes).
// Strict when reading: no overlong forms, no encoded surrogates, nothing above U+10FFFF.
#pragma once

#include <string>

// Field texts hold one UTF-16 code unit per wchar_t, as FieldText gives them.
// Only dirpack uses this; the wizard never calls it.
bool Utf8ToUnits(const std::string& utf8, std::wstring& units);
// Lone surrogates, which no UTF-8 can carry, become U+FFFD.
std::string UnitsToUtf8(const std::wstring& units);
// Whether the units pair up into whole characters.
// Only dirpack uses this; the wizard never calls it.
bool UnitsAreWellFormed(const std::wstring& units);

bool Utf8ToPath(const std::string& utf8, std::wstring& path);
// What no UTF-8 can carry (a lone surrogate, or a value beyond U+10FFFF) becomes U+FFFD: for
// messages, and for paths that came from UTF-8.
std::string PathToUtf8(const std::wstring& path);
// The same, false instead when the path holds anything no UTF-8 can carry: for naming a file.
bool PathToUtf8(const std::wstring& path, std::string& utf8);
// A field text as a path component; false when it holds a lone surrogate.
// Only dirpack uses this; the wizard never calls it.
bool UnitsToPath(const std::wstring& units, std::wstring& path);

// The text for a message: control characters and lone surrogates written as escapes, so that a
// hostile name cannot disturb the terminal or hide what it is.
// Only dirpack uses this; the wizard never calls it.
std::string DisplayUnits(const std::wstring& units);
