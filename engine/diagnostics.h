// Diagnostics composed by failing engine steps ("InitFileLists-3: read dir fail"), for the debugger
// trace channel and the one sink the program may register (the wizard's log).
#pragma once

#include <string>

void TraceDiagnostic(const std::wstring& text);

// A 32-bit code (an HRESULT, a trust answer) as diagnostics show it: "0x" and eight hex digits.
std::wstring HexCode(long code);

// Called for every diagnostic, on whichever thread composed it (the installation worker's too).
using DiagnosticSink = void (*)(const std::wstring& text, void* context);

// Registers the sink (null: none), set before the worker starts and cleared once the run is over:
// the worker reads it without a lock.
void SetDiagnosticSink(DiagnosticSink sink, void* context);
