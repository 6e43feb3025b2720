// Expands "%NAME%" references with the system's environment variables only: the elevated wizard's
// own environment is its user's, whose variables must not decide where it loads or starts programs.
#pragma once

#include <string>

// Each %NAME% naming a system variable (without case) becomes its value; any other "%" stays, as
// in the platform's own expansion. False, out untouched, when the system environment is unreadable.
bool ExpandWithSystemEnvironment(const std::wstring& text, std::wstring& out);
