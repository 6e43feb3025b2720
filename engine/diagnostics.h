// Diagnostics composed by failing engine steps ("InitFileLists-3: read dir fail"). They go to the
// debugger trace channel, and to the one sink the program may register (the wizard's log); the
// engine knows nothing of what the sink does with them.
#pragma once

#include <string>

void TraceDiagnostic(const std::wstring& text);

// A 32-bit code (an HRESULT, a trust answer) as diagnostics show it: "0x" and eight hex digits.
std::wstring HexCode(long code);

// Called for every diagnostic, on whichever thread composed it (the installation worker's too).
using DiagnosticSink = void (*)(const std::wstring& text, void* context);

// Registers the sink (null: none). Set it before the worker starts and clear it only once the
// run is over: the worker reads it without a lock.
void SetDiagnosticSink(DiagnosticSink sink, void* context);
