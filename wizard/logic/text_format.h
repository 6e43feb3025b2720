// Fills the one "%s" of a wizard text. Portable.
#pragma once

#include <string>

// The format with its first "%s" replaced by the argument taken literally (a "%" in the
// argument stays as it is); a null argument counts as empty. No length limit.
std::wstring FormatText(const wchar_t* format, const wchar_t* argument);
