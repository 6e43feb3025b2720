#include "wizard/run_log_file.h"

#include "engine/format/utf8_text.h"
#include "engine/inventory/pinned_file.h"
#include "engine/module_function.h"
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

using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);

// The system's temporary folder for this process, with a trailing backslash. GetTempPath2W, where
// the system has it, gives SYSTEM a folder of its own rather than one an environment names.
std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const auto tempPath2 = ModuleFunction<GetTempPath2Fn>(L"kernel32.dll", "GetTempPath2W");
  const DWORD length = tempPath2 ? tempPath2(MAX_PATH + 1, folder) : GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring text(folder, length);
  if (text.back() != L'\\' && text.back() != L'/') text += L'\\';
  return text;
}

// The final path the file at `fullPath` must have: its folder as asked, short names made long,
// in the form GetFinalPathNameByHandleW gives ("\\?\C:\...", "\\?\UNC\server\...").
std::wstring ExpectedFinalPath(const std::wstring& fullPath) {
  const size_t slash = fullPath.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  std::wstring folder = fullPath.substr(0, slash + 1);
  wchar_t longFolder[MAX_PATH * 2] = {};
  const DWORD length = GetLongPathNameW(folder.c_str(), longFolder, MAX_PATH * 2);
  if (length > 0 && length < MAX_PATH * 2) folder.assign(longFolder, length);
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.back() != L'\\') folder += L'\\';
  const std::wstring file = folder + fullPath.substr(slash + 1);
  if (file.rfind(L"\\\\?\\", 0) == 0) return file;
  if (file.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + file.substr(2);
  return L"\\\\?\\" + file;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

RunLogFile::RunLogFile() { InitializeCriticalSection(&lock_); }

RunLogFile::~RunLogFile() {
  if (IsOpen()) CloseHandle(file_);
  DeleteCriticalSection(&lock_);
}

bool RunLogFile::Open(const std::wstring& path, DWORD disposition) {
  path_ = FullPath(path);
  // Readable while it is written: an administrator may follow the log of a running wizard. The
  // name itself is opened, never what a link there points to, and a file made new is never made
  // through a link. A file made here is made with the right to delete it, so that one refused is
  // deleted through its own handle: its name may lead elsewhere by then (a folder on the way
  // re-pointed), and another file of that name must not go instead. A reader of such a log shares
  // deletion with it.
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  const DWORD makeAccess = GENERIC_WRITE | DELETE;
  bool made = disposition == CREATE_NEW;
  HANDLE file = CreateFileW(path_.c_str(), made ? makeAccess : GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                            flags, nullptr);
  if (file == INVALID_HANDLE_VALUE && disposition == OPEN_EXISTING && GetLastError() == ERROR_FILE_NOT_FOUND) {
    file = CreateFileW(path_.c_str(), makeAccess, FILE_SHARE_READ, nullptr, CREATE_NEW, flags, nullptr);
    made = true;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  // A link, a file of several names or one that resolves elsewhere would let the elevated wizard
  // write into a file someone else chose: only the plain file asked for is cut and written.
  if (!PinRefusal(FactsOfOpenedFile(file, ExpectedFinalPath(path_))).empty()) {
    if (made) {
      FILE_DISPOSITION_INFO remove = {TRUE};
      SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof(remove));
    }
    CloseHandle(file);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!made && (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !SetEndOfFile(file))) {
    CloseHandle(file);
    return false;
  }
  file_ = file;
  // Notepad and older shells read a file without the mark in the ANSI code page.
  WriteAll(file_, "\xEF\xBB\xBF");
  return true;
}

bool RunLogFile::Create(const std::wstring& path) { return Open(path, OPEN_EXISTING); }

bool RunLogFile::CreateInTemp() {
  const std::wstring folder = TempFolder();
  const LogTime now = LocalNow();
  if (folder.empty()) {
    path_ = DefaultLogFileName(now, 1);
    return false;
  }
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    if (Open(folder + DefaultLogFileName(now, attempt), CREATE_NEW)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RunLogFile::Write(const std::wstring& event) {
  if (!IsOpen()) return;
  const std::string line = UnitsToUtf8(FormatLogLine(LocalNow(), event));
  EnterCriticalSection(&lock_);
  WriteAll(file_, line);
  LeaveCriticalSection(&lock_);
}
