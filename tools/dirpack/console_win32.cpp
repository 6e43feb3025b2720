// Arguments and output on Windows. The arguments come from the wide command line, since the
// narrow argv is in the ANSI code page and loses what it cannot spell. A console gets wide text;
// a pipe or file gets UTF-8, whatever the code page.
// shellapi.h needs the declarations of windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "engine/format/utf8_text.h"
#include "tools/dirpack/console.h"

namespace {

void WriteText(DWORD which, const std::string& utf8) {
  HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  const std::string line = utf8 + "\n";
  DWORD mode = 0, written = 0;
  std::wstring wide;
  if (GetConsoleMode(out, &mode) && Utf8ToPath(line, wide)) {
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

bool CommandArgs(int, char**, std::vector<std::string>& args) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return false;
  std::vector<std::string> result;
  bool ok = true;
  for (int i = 1; i < count; ++i) {
    const std::wstring arg = wide[i];
    if (!UnitsAreWellFormed(arg)) ok = false;
    result.push_back(UnitsToUtf8(arg));
  }
  LocalFree(wide);
  if (ok) args.swap(result);
  return ok;
}

void PrintLine(const std::string& utf8) { WriteText(STD_OUTPUT_HANDLE, utf8); }

void PrintError(const std::string& utf8) { WriteText(STD_ERROR_HANDLE, utf8); }
