#include "engine/diagnostics.h"

#include <windows.h>

namespace {

DiagnosticSink registeredSink = nullptr;
void* sinkContext = nullptr;

}  // namespace

void TraceDiagnostic(const std::wstring& text) {
  OutputDebugStringW((text + L"\n").c_str());
  if (registeredSink != nullptr) registeredSink(text, sinkContext);
}

void SetDiagnosticSink(DiagnosticSink sink, void* context) {
  registeredSink = sink;
  sinkContext = context;
}
