#include "tests/support/files.h"

#include <shlobj.h>

#include <algorithm>

namespace testsupport {
namespace {

std::wstring ExeStem() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  name = name.substr(name.find_last_of(L'\\') + 1);
  return name.substr(0, name.find_last_of(L'.'));
}

const std::wstring& ScratchRoot() {
  static const std::wstring root = [] {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"pk_" + ExeStem();
    RemoveTree(path);
    MakeDirs(path);
    return path;
  }();
  return root;
}

// Runs the Unix program (its Windows path through drive Z:) with the command line and waits until
// `done` tells its effect is there (up to 10 s). Wine neither passes a Unix program's exit status
// on nor always waits for its end on the handle it gives.
template <typename Done>
bool RunUnixProgram(const std::wstring& program, std::wstring commandLine, Done done) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 200 && !done(); ++i) Sleep(50);
  return done();
}

// Where the folder's name leads now, as the system resolves it; empty when it leads nowhere.
std::wstring FolderFinalPath(const std::wstring& folder) {
  HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return L"";
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetFinalPathNameByHandleW(handle, path, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(handle);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : L"";
}

}  // namespace

std::wstring ExeDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

std::wstring BuiltFile(const std::wstring& relative) { return ExeDir() + relative; }

ScratchDir::ScratchDir(const std::wstring& tag) {
  static unsigned counter = 0;
  do path_ = ScratchRoot() + L"\\" + tag + std::to_wstring(++counter);
  while (!CreateDirectoryW(path_.c_str(), nullptr) && counter < 100000);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string result;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) result.append(buffer, got);
  CloseHandle(file);
  bytes.swap(result);
  return true;
}

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  return ReadFileBytes(path, bytes) ? bytes : "<missing>";
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MakeDirs(const std::wstring& path) {
  const int rc = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::wstring& path) {
  for (const std::wstring& name : ListFolder(path)) {
    const std::wstring child = path + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(child.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      RemoveTree(child);
    } else {
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(child.c_str());
    }
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

std::vector<std::wstring> ListFolder(const std::wstring& path) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// Through Wine's own export of kernel32.
bool UnixPathOf(const std::wstring& path, std::string& out) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return false;
  char* unix = toUnix(path.c_str());
  if (unix == nullptr) return false;
  out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return true;
}

bool MakeUnixSymlink(const std::wstring& target, const std::wstring& link) {
  std::string from, to;
  if (!UnixPathOf(target, from) || !UnixPathOf(link, to)) return false;
  return RunUnixProgram(L"Z:\\bin\\ln", L"/bin/ln -s \"" + Wide(from) + L"\" \"" + Wide(to) + L"\"",
                        [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

bool RepointUnixSymlink(const std::wstring& target, const std::wstring& link) {
  std::string from, to;
  if (!UnixPathOf(target, from) || !UnixPathOf(link, to)) return false;
  const std::wstring wanted = FolderFinalPath(target);
  const std::wstring script = L"ln -s '" + Wide(from) + L"' '" + Wide(to) + L".new' && mv -T '" + Wide(to) + L".new' '" +
                              Wide(to) + L"'";
  return !wanted.empty() &&
         RunUnixProgram(L"Z:\\bin\\sh", L"/bin/sh -c \"" + script + L"\"", [&] { return FolderFinalPath(link) == wanted; });
}

bool RunUnixShell(const std::wstring& script, const std::wstring& made) {
  return RunUnixProgram(L"Z:\\bin\\sh", L"/bin/sh -c \"" + script + L"\"", [&] { return FileExists(made); });
}

bool TruncateOnUnixSide(const std::wstring& path, uint64_t size) {
  std::string file;
  return UnixPathOf(path, file) &&
         RunUnixProgram(L"Z:\\usr\\bin\\truncate",
                        L"/usr/bin/truncate -s " + std::to_wstring(size) + L" \"" + Wide(file) + L"\"", [&] {
                          WIN32_FILE_ATTRIBUTE_DATA data = {};
                          return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
                                 ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size;
                        });
}

bool UnixLinkFlipper::Start(const std::wstring& link, const std::wstring& first, const std::wstring& second) {
  std::string to, a, b;
  if (!stop_.empty() || !UnixPathOf(link, to) || !UnixPathOf(first, a) || !UnixPathOf(second, b)) return false;
  running_ = link + L".running";
  stop_ = link + L".stop";
  const auto quoted = [](const std::string& path) { return L"'" + Wide(path) + L"'"; };
  const std::wstring linkName = quoted(to), fresh = quoted(to + ".new");
  const std::wstring running = quoted(to + ".running"), stop = quoted(to + ".stop");
  // Each new link is renamed over the old one, so the name always leads somewhere. In the
  // background, so that the shell Wine waits for ends at once.
  const auto pointTo = [&](const std::string& target) {
    return L"ln -sfn " + quoted(target) + L" " + fresh + L"; mv -Tf " + fresh + L" " + linkName + L"; ";
  };
  const std::wstring script = L"(touch " + running + L"; while [ ! -e " + stop + L" ]; do " + pointTo(a) + pointTo(b) +
                              L"done; rm -f " + running + L" " + stop + L") >/dev/null 2>&1 &";
  return RunUnixShell(script, running_);
}

bool UnixLinkFlipper::Stop() {
  if (stop_.empty()) return true;
  if (!FileExists(running_)) return false;
  WriteFileBytes(stop_, "");
  for (int i = 0; i < 200 && FileExists(running_); ++i) Sleep(50);
  const bool ended = !FileExists(running_);
  if (ended) stop_.clear();
  return ended;
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  std::vector<wchar_t> value(32768);
  GetPrivateProfileStringW(section, key, kNoIniValue, value.data(), static_cast<DWORD>(value.size()), file.c_str());
  return value.data();
}

std::string Narrow(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
  return text;
}

}  // namespace testsupport
