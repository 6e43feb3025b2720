// The one UTF-8 converter of the wizard and dirpack: UTF-8 on disk, in the run log and on the
// command line; UTF-16 code units in container fields; wide strings for paths (UTF-16 on Windows,
// code points elsewhere). Strict reading: no overlong forms, encoded surrogates or beyond U+10FFFF.
#pragma once

#include <string>

// Field texts hold one UTF-16 code unit per wchar_t, as FieldText gives them. Lone surrogates,
// which no UTF-8 can carry, become U+FFFD.
std::string UnitsToUtf8(const std::wstring& units);
// Only dirpack uses these two; the wizard never calls them.
bool Utf8ToUnits(const std::string& utf8, std::wstring& units);
// Whether the units pair up into whole characters.
bool UnitsAreWellFormed(const std::wstring& units);

bool Utf8ToPath(const std::string& utf8, std::wstring& path);
// What no UTF-8 can carry (a lone surrogate, a value beyond U+10FFFF) becomes U+FFFD: for messages,
// and for paths that came from UTF-8.
std::string PathToUtf8(const std::wstring& path);
// The same, false instead when the path holds anything no UTF-8 can carry: for naming a file.
bool PathToUtf8(const std::wstring& path, std::string& utf8);
// Only dirpack uses these two; the wizard never calls them.
// A field text as a path component; false when it holds a lone surrogate.
bool UnitsToPath(const std::wstring& units, std::wstring& path);
// The text for a message, control characters and lone surrogates escaped: a hostile name can
// neither disturb the terminal nor hide what it is.
std::string DisplayUnits(const std::wstring& units);
