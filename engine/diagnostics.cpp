#include "engine/diagnostics.h"

#include <windows.h>

void TraceDiagnostic(const std::wstring& text) { OutputDebugStringW((text + L"\n").c_str()); }
