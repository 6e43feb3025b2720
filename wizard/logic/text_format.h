// Fills the "%s" of a wizard text. Portable.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The format with its first "%s" replaced by the argument taken literally (a "%" in the
// argument stays as it is); a null argument counts as empty. No length limit.
std::wstring FormatText(const wchar_t* format, const wchar_t* argument);
// The same for several arguments: each "%s" in turn takes the next one; a "%s" beyond the last
// argument stays as it is.
std::wstring FormatText(const wchar_t* format, std::initializer_list<std::wstring_view> arguments);
