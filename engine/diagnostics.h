// Diagnostics composed by failing engine steps ("InitFileLists-3: read dir fail"). They go to the
// debugger trace channel only: nothing shows, logs or stores them.
#pragma once

#include <string>

void TraceDiagnostic(const std::wstring& text);
