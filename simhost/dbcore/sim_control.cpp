#include "simhost/dbcore/sim_control.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "simhost/zrdsvc/run_log.h"

namespace {

// The library's own path without its extension, e.g. "C:\host\LXDBCoreplus".
std::wstring FindLibraryStem() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&FindLibraryStem), &self);
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring stem(path, length < MAX_PATH ? length : 0);
  const size_t dot = stem.find_last_of(L'.');
  const size_t slash = stem.find_last_of(L'\\');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) stem.resize(dot);
  return stem;
}

// Found once: the library never moves while loaded.
const std::wstring& LibraryStem() {
  static const std::wstring stem = FindLibraryStem();
  return stem;
}

std::string ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char buffer[4096];
  DWORD got = 0;
  std::string content;
  if (ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) content.assign(buffer, got);
  CloseHandle(file);
  return content;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Decimal or 0x hexadecimal; a value beyond 32 bits keeps its low bits, as a core's HRESULT would.
int ToResult(const std::string& value) {
  return static_cast<int>(static_cast<unsigned int>(std::strtoll(value.c_str(), nullptr, 0)));
}

void Apply(const std::string& name, const std::string& value, SimSettings& settings) {
  if (name == "initialize") settings.initializeResult = ToResult(value);
  if (name == "getservice") settings.getServiceResult = ToResult(value);
  if (name == "service") settings.nullService = value == "null";
  if (name == "open") settings.openFails = value == "fail";
  if (name == "text") {
    settings.textFails = value == "fail";
    settings.nullText = value == "null";
  }
}

}  // namespace

SimSettings ReadSimSettings() {
  SimSettings settings;
  if (LibraryStem().empty()) return settings;  // its own path unknown: no control file either
  const std::string content = ReadSmallFile(LibraryStem() + L".sim");
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    start = end + 1;
    line = Trim(line.substr(0, line.find('#')));
    const size_t equals = line.find('=');
    if (equals != std::string::npos) Apply(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), settings);
  }
  return settings;
}

void RecordCall(const std::wstring& line) {
  if (LibraryStem().empty()) return;
  // An absent record file is not created, so recording is off.
  AppendUtf8(LibraryStem() + L".calls", line + L"\n", false);
}
