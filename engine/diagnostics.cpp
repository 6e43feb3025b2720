#include "engine/diagnostics.h"

#include <windows.h>

#include <cwchar>

namespace {

DiagnosticSink registeredSink = nullptr;
void* sinkContext = nullptr;

}  // namespace

void TraceDiagnostic(const std::wstring& text) {
  OutputDebugStringW((text + L"\n").c_str());
  if (registeredSink != nullptr) registeredSink(text, sinkContext);
}

std::wstring HexCode(long code) {
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(code));
  return text;
}

void SetDiagnosticSink(DiagnosticSink sink, void* context) {
  registeredSink = sink;
  sinkContext = context;
}
