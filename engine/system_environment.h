// Expands "%NAME%" references with the system's environment variables only. The wizard runs
// elevated but is started by the user, so its own environment holds that user's variables: a
// variable set without elevation must not decide where the elevated wizard loads or starts programs.
#pragma once

#include <string>

// Each %NAME% whose NAME is a system variable (letters compared without case) is replaced by its
// value; any other "%" is kept, as the platform's own expansion does. False, and out untouched,
// when the system environment cannot be read.
bool ExpandWithSystemEnvironment(const std::wstring& text, std::wstring& out);
