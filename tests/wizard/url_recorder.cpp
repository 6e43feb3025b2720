#include "tests/wizard/url_recorder.h"

#include <windows.h>

#include "engine/host_paths.h"
#include "tests/support/win_test_support.h"
#include "tests/wizard/wizard_process.h"

namespace wizardtest {

namespace {

constexpr const wchar_t* kHandlerKey = L"Software\\Classes\\http\\shell\\open\\command";

std::wstring SinkLog() { return testsupport::ExeDir() + L"url_sink.txt"; }

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
  SetHandler(L"\"" + testsupport::ExeDir() + L"url_sink.exe\" \"%1\"");
}

UrlRecorder::~UrlRecorder() {
  if (hadCommand_) SetHandler(savedCommand_);
  DeleteFileW(SinkLog().c_str());
}

bool UrlRecorder::WaitForUrl(std::wstring& url, unsigned timeoutMs) const {
  std::string bytes;
  if (!WaitUntil([&] { return testsupport::ReadFileBytes(SinkLog(), bytes) && !bytes.empty(); }, timeoutMs))
    return false;
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  url.assign(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), url.data(), length);
  return true;
}

}  // namespace wizardtest
