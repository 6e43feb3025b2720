// The harness under Windows (Wine): CreateProcessW with the wide command line, output to files.
#include <windows.h>

#include <algorithm>
#include <string>

#include "tests/dirpack/dirpack_harness.h"
#include "tests/support/win_test_support.h"

namespace dirpacktest {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], n);
  return text;
}

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE InheritableFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

std::string ProgramFolder() {
  const std::wstring folder = testsupport::ExeDir();
  return testsupport::Narrow(folder.substr(0, folder.size() - 1));
}

RunResult RunDirpack(const std::vector<std::string>& args) {
  RunResult result;
  Scratch outputs;
  const std::string outPath = outputs / "out", errPath = outputs / "err";
  const std::wstring program = testsupport::ExeDir() + L"dirpack.exe";
  std::wstring commandLine = Quoted(program);
  for (const std::string& arg : args) commandLine += L" " + Quoted(Wide(arg));

  HANDLE out = InheritableFile(Wide(outPath));
  HANDLE err = InheritableFile(Wide(errPath));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  const BOOL started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                       CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &startup, &process);
  const DWORD startError = GetLastError();
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) {
    result.err = "not started: error " + std::to_string(startError);
    return result;
  }
  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code)) {
    result.status = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ReadBytes(outPath, result.out);
  ReadBytes(errPath, result.err);
  return result;
}

Scratch::Scratch() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::wstring path = std::wstring(temp) + L"dirpack_\u8BCD\u5178_" + std::to_wstring(GetCurrentProcessId()) +
                              L"_" + std::to_wstring(++counter);
    if (CreateDirectoryW(path.c_str(), nullptr)) {
      m_path = testsupport::Narrow(path);
      break;
    }
  }
}

Scratch::~Scratch() {
  if (!m_path.empty()) testsupport::RemoveTree(Wide(m_path));
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  return testsupport::WriteFileBytes(Wide(path), bytes);
}

bool ReadBytes(const std::string& path, std::string& bytes) { return testsupport::ReadFileBytes(Wide(path), bytes); }

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeFolder(const std::string& path) { return CreateDirectoryW(Wide(path).c_str(), nullptr) != FALSE; }

bool RemoveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != FALSE; }

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((Wide(path) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(testsupport::Narrow(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace dirpacktest
