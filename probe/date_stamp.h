// The date stamp inside a dictionary's descriptive text: "<date_time>" date text "</date_time>".
// Portable, so the native tests cover it too.
#pragma once

#include <cstddef>

// Room for a date text of at most 15 characters and its terminator.
constexpr size_t kDateStampChars = 16;

// Copies the text between the first "<date_time>" (case-sensitive) and the first "</date_time>"
// after it into `out`, zero-filled first so the copy is always terminated. False, with `out`
// untouched, for a null text, a missing tag or a date text longer than 15 characters. Reads the
// text only up to its terminator.
bool FindDateStamp(const wchar_t* text, wchar_t (&out)[kDateStampChars]);
