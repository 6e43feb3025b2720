#include "tests/wizard/url_recorder.h"

#include <windows.h>

#include "engine/host_paths.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"

namespace wizardtest {

namespace {

// The default page is https, a publisher's may be http: both schemes go to the sink.
constexpr const wchar_t* kHandlerKeys[] = {L"Software\\Classes\\http\\shell\\open\\command",
                                           L"Software\\Classes\\https\\shell\\open\\command"};

std::wstring SinkLog() { return testsupport::BuiltFile(L"url_sink.txt"); }

void SetHandler(const wchar_t* handlerKey, const std::wstring& command) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, handlerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace

UrlRecorder::UrlRecorder() {
  for (size_t i = 0; i < kSchemes; ++i)
    hadCommand_[i] = ReadRegistryString(HKEY_LOCAL_MACHINE, kHandlerKeys[i], nullptr, savedCommand_[i]);
  DeleteFileW(SinkLog().c_str());
  for (const wchar_t* handlerKey : kHandlerKeys)
    SetHandler(handlerKey, testsupport::QuoteArgument(testsupport::BuiltFile(L"url_sink.exe")) + L" \"%1\"");
}

UrlRecorder::~UrlRecorder() {
  for (size_t i = 0; i < kSchemes; ++i)
    if (hadCommand_[i]) SetHandler(kHandlerKeys[i], savedCommand_[i]);
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
