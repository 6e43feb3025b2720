#include "wizard/run_log_file.h"

#include "wizard/logic/run_log_format.h"

namespace {

constexpr int kNameAttempts = 100;  // runs started in the same second

LogTime LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

// %TEMP% as the wizard's environment gives it, else the system's temporary folder.
std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = GetEnvironmentVariableW(L"TEMP", folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring text(folder, length);
  if (text.back() != L'\\' && text.back() != L'/') text += L'\\';
  return text;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

RunLogFile::RunLogFile() { InitializeCriticalSection(&lock_); }

RunLogFile::~RunLogFile() {
  if (IsOpen()) CloseHandle(file_);
  DeleteCriticalSection(&lock_);
}

bool RunLogFile::Open(const std::wstring& path, DWORD disposition, DWORD flags) {
  path_ = FullPath(path);
  // Readable while it is written: an administrator may follow the log of a running wizard.
  file_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags,
                      nullptr);
  if (!IsOpen()) return false;
  // Notepad and older shells read a file without the mark in the ANSI code page.
  WriteAll(file_, "\xEF\xBB\xBF");
  return true;
}

bool RunLogFile::Create(const std::wstring& path) { return Open(path, CREATE_ALWAYS, 0); }

bool RunLogFile::CreateInTemp() {
  const std::wstring folder = TempFolder();
  const LogTime now = LocalNow();
  if (folder.empty()) {
    path_ = DefaultLogFileName(now, 1);
    return false;
  }
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    // CREATE_NEW on the name itself, not on what a link there points to: a link planted in a
    // shared folder cannot make the elevated wizard create or replace a file elsewhere.
    if (Open(folder + DefaultLogFileName(now, attempt), CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RunLogFile::Write(const std::wstring& event) {
  if (!IsOpen()) return;
  const std::string line = Utf8(FormatLogLine(LocalNow(), event));
  EnterCriticalSection(&lock_);
  WriteAll(file_, line);
  LeaveCriticalSection(&lock_);
}
