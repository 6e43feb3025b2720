#include "tests/wizard/url_recorder.h"

#include <windows.h>

#include "engine/host_paths.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"

namespace wizardtest {

namespace {

constexpr const wchar_t* kHandlerKey = L"Software\\Classes\\http\\shell\\open\\command";

std::wstring SinkLog() { return testsupport::BuiltFile(L"url_sink.txt"); }

void SetHandler(const std::wstring& command) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHandlerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

UrlRecorder::UrlRecorder() {
  hadCommand_ = ReadRegistryString(HKEY_LOCAL_MACHINE, kHandlerKey, nullptr, savedCommand_);
  DeleteFileW(SinkLog().c_str());
  SetHandler(testsupport::QuoteArgument(testsupport::BuiltFile(L"url_sink.exe")) + L" \"%1\"");
}

UrlRecorder::~UrlRecorder() {
  if (hadCommand_) SetHandler(savedCommand_);
  DeleteFileW(SinkLog().c_str());
}

bool UrlRecorder::WaitForUrl(std::wstring& url, unsigned timeoutMs) const {
  std::string bytes;
  if (!testsupport::WaitUntil([&] { return testsupport::ReadFileBytes(SinkLog(), bytes) && !bytes.empty(); },
                              timeoutMs))
    return false;
  url = testsupport::Wide(bytes);
  return true;
}

}  // namespace wizardtest
