#include "tests/support/fake_host.h"

#include <cctype>
#include <sstream>

#include "engine/testing_seams.h"
#include "simhost/zrdsvc/stop_request.h"
#include "tests/support/child_process.h"
#include "tests/support/data_patterns.h"
#include "tests/support/files.h"
#include "tests/support/processes.h"
#include "tests/support/wait.h"

namespace testsupport {
namespace {

constexpr unsigned kServiceReadyMs = 20000;

std::wstring CoreStem(const FakeHost& host) { return host / L"LXDBCoreplus"; }

}  // namespace

HostRegistry::HostRegistry(const wchar_t* location, const wchar_t* exeName, DWORD type) {
  Remove();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (key) RegCloseKey(key);
  if (location) SetRaw(kLocation, location, static_cast<DWORD>((wcslen(location) + 1) * sizeof(wchar_t)), type);
  if (exeName) SetRaw(kExeName, exeName, static_cast<DWORD>((wcslen(exeName) + 1) * sizeof(wchar_t)), type);
  ResetHostPathCachesForTesting();
}

HostRegistry::~HostRegistry() {
  Remove();
  ResetHostPathCachesForTesting();
}

void HostRegistry::SetRaw(const wchar_t* valueName, const void* data, DWORD bytes, DWORD type) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, valueName, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
}

void HostRegistry::Remove() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey); }

HostSetup FolderOnly(const std::wstring& core) {
  HostSetup setup;
  setup.core = core;
  setup.programs = false;
  setup.registered = false;
  return setup;
}

FakeHost::FakeHost(const HostSetup& setup) : exeName_(setup.exeName) {
  if (setup.folder.empty()) {
    scratch_ = std::make_unique<ScratchDir>(L"host");
    dir_ = scratch_->path();
  } else {
    dir_ = setup.folder;
  }
  MakeDirs(DataDir());
  MakeDirs(ImageDir());
  if (!setup.core.empty()) CopyFileW(BuiltFile(setup.core).c_str(), Core().c_str(), FALSE);
  if (setup.programs) {
    CopyFileW(BuiltFile(kSimulatedHostProgram).c_str(), HostExe().c_str(), FALSE);
    CopyFileW(BuiltFile(kSimulatedService).c_str(), ServiceExe().c_str(), FALSE);
    CopyFileW(BuiltFile(kSimulatedRepairTool).c_str(), RepairTool().c_str(), FALSE);
    SetHostOptions(true, 0);
  } else {
    WriteFileBytes(HostExe(), "");
  }
  if (setup.registered) registry_ = std::make_unique<HostRegistry>(dir_.c_str(), exeName_.c_str());
}

FakeHost::~FakeHost() {
  TerminateProgramsIn(dir_);
  registry_.reset();
  RemoveTree(dir_);
}

std::wstring FakeHost::AddFile(const std::wstring& relative, const std::string& bytes) const {
  const std::wstring path = *this / relative;
  WriteFileBytes(path, bytes);
  return path;
}

std::wstring FakeHost::AddInstalledDict(const std::wstring& fileName, const std::string& date,
                                        const std::string& data) const {
  return AddFile(L"plugin\\localquery\\dictdata\\" + fileName, DictionaryFile(date, data));
}

void FakeHost::SetHostOptions(bool tray, unsigned trayDelayMs) const {
  // A host program left behind by a failed test ends by itself.
  AddFile(L"hostapp.ini", "[hostapp]\r\ntray=" + std::string(tray ? "1" : "0") +
                              "\r\ntray_delay_ms=" + std::to_string(trayDelayMs) + "\r\nlifetime_ms=120000\r\n");
}

bool FakeHost::RemoveRepairTool() const { return DeleteFileW(RepairTool().c_str()) != 0; }

bool FakeHost::RepairToolNeverRan() const {
  // Started, the tool is either still listed or has already written its log line.
  return CountProcesses(L"ZRDRepair.exe") == 0 && !FileExists(RepairLogPath());
}

void FakeHost::SetCoreControl(const std::string& settings) const {
  const std::wstring path = CoreStem(*this) + L".sim";
  if (settings.empty()) {
    DeleteFileW(path.c_str());
  } else {
    WriteFileBytes(path, settings);
  }
}

void FakeHost::StartCoreRecord() const { WriteFileBytes(CoreStem(*this) + L".calls", ""); }

std::vector<std::string> FakeHost::CoreCalls() const {
  std::string content;
  ReadFileBytes(CoreStem(*this) + L".calls", content);
  std::vector<std::string> calls;
  size_t start = 0;
  for (size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1) {
    calls.push_back(content.substr(start, end - start));
  }
  return calls;
}

bool StartService(ChildProcess& child, const std::wstring& exe, const std::vector<std::wstring>& options) {
  std::vector<std::wstring> arguments = options;
  arguments.insert(arguments.end(), {L"--lifetime", L"120000"});
  if (!child.Start(exe, arguments)) return false;
  const std::wstring event = ServiceStopEventName(child.id());
  return WaitUntil(
             [&] {
               HANDLE handle = OpenEventW(SYNCHRONIZE, FALSE, event.c_str());
               if (handle != nullptr) CloseHandle(handle);
               return handle != nullptr || !child.Running();
             },
             kServiceReadyMs) &&
         child.Running();
}

std::string ReadLog(const std::wstring& path) {
  std::string bytes;
  return ReadFileBytes(path, bytes) ? bytes : std::string();
}

bool WaitForLog(const std::wstring& path, const std::string& text, unsigned timeoutMs) {
  return WaitUntil([&] { return ReadLog(path).find(text) != std::string::npos; }, timeoutMs);
}

bool WaitForStartRecord(const std::wstring& path, StartRecord& record, unsigned timeoutMs) {
  if (!WaitForLog(path, " folder ", timeoutMs)) return false;
  std::istringstream lines(ReadLog(path));
  std::string pid, word;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    if (!(fields >> pid >> word)) continue;
    std::string rest;
    std::getline(fields >> std::ws, rest);
    if (word == "parent") {
      std::istringstream parent(rest);
      parent >> record.parentId >> record.parentName;
      for (char& c : record.parentName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (word == "folder") {
      record.folder = Wide(rest);
    }
  }
  return true;
}

}  // namespace testsupport
