// Stands in for the web browser in the wizard's tests: the shell starts it for http URLs, and it
// writes the URL it was given to url_sink.txt beside itself (UTF-8), then ends.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring url = (args && count > 1) ? args[1] : L"";
  if (args) LocalFree(args);

  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring log(path);
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"url_sink.txt";

  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, url.c_str(), static_cast<int>(url.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, url.c_str(), static_cast<int>(url.size()), text.data(), bytes, nullptr, nullptr);
  HANDLE file = CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
