#include "tests/engine/sim_host_processes.h"

#include <tlhelp32.h>

#include <vector>

namespace simhost {

namespace {

// No simulated process outlives a test run by much, even when a test dies before cleaning up.
constexpr const wchar_t* kServiceSafetyLifetime = L" --lifetime 120000";
constexpr DWORD kReadyTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;
constexpr DWORD kDesktopTimeoutMs = 10000;

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* imageName) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  const std::wstring wanted = Lowered(imageName);
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (Lowered(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

bool CopyBuilt(const wchar_t* fileName, const std::wstring& destination) {
  return CopyFileW(BuiltProgram(fileName).c_str(), destination.c_str(), FALSE) != 0;
}

}  // namespace

std::wstring BuiltProgram(const wchar_t* fileName) { return testsupport::ExeDir() + L"simhost\\" + fileName; }

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& args) {
  Terminate();
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool ChildProcess::Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_, &exitCode) != 0;
}

void ChildProcess::Terminate() {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

bool StartService(ChildProcess& child, const std::wstring& exe, const std::wstring& options) {
  if (!child.Start(exe, options + kServiceSafetyLifetime)) return false;
  const std::wstring event = L"Local\\zrdsvc-stop-" + std::to_wstring(child.id());
  for (DWORD waited = 0; waited < kReadyTimeoutMs; waited += kPollMs) {
    HANDLE handle = OpenEventW(SYNCHRONIZE, FALSE, event.c_str());
    if (handle != nullptr) {
      CloseHandle(handle);
      return true;
    }
    if (!child.Running()) return false;
    Sleep(kPollMs);
  }
  return false;
}

namespace {

bool WaitForProcess(const wchar_t* imageName, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (CountProcesses(imageName) > 0) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

}  // namespace

void EnsureDesktopProcess() {
  constexpr const wchar_t* kDesktopImage = L"explorer.exe";
  if (WaitForProcess(kDesktopImage, kDesktopTimeoutMs)) return;
  // A copy of the simulated host that opens its window and ends at once, logging beside itself.
  testsupport::ScratchDir folder(L"desktop");
  const std::wstring exe = folder / L"desktop_starter.exe";
  if (!CopyBuilt(L"Lumidex.exe", exe)) return;
  testsupport::WriteFileBytes(folder / L"hostapp.ini", "[hostapp]\r\ntray=0\r\nlifetime_ms=1\r\n");
  ChildProcess starter;
  DWORD exitCode = 0;
  if (starter.Start(exe, L"") && starter.WaitForExit(kDesktopTimeoutMs, exitCode)) {
    WaitForProcess(kDesktopImage, kDesktopTimeoutMs);
  }
}

int CountProcesses(const wchar_t* imageName) { return static_cast<int>(ProcessesNamed(imageName).size()); }

void TerminateAll(const wchar_t* imageName) {
  for (DWORD id : ProcessesNamed(imageName)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
  }
}

std::string ReadLog(const std::wstring& path) {
  std::string bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return std::string();
  return bytes;
}

bool WaitForLog(const std::wstring& path, const std::string& text, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (ReadLog(path).find(text) != std::string::npos) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

SimulatedHost::SimulatedHost(const std::wstring& exeName)
    : exeName_(exeName), registry_(dir_.path().c_str(), exeName.c_str()) {
  testsupport::MakeDirs(dir_ / L"plugin\\localquery\\dictdata");
  testsupport::MakeDirs(dir_ / L"plugin\\image");
  CopyBuilt(L"ZRDRepair.exe", dir_ / L"ZRDRepair.exe");
  CopyBuilt(L"zrdsvc.exe", ServiceExe());
  CopyBuilt(L"Lumidex.exe", HostExe());
  SetHostOptions(true, 0);
}

SimulatedHost::~SimulatedHost() {
  TerminateAll(exeName_.c_str());
  TerminateAll(L"zrdsvc.exe");
  TerminateAll(L"ZRDRepair.exe");
}

void SimulatedHost::SetHostOptions(bool tray, unsigned trayDelayMs) {
  const std::string text = "[hostapp]\r\ntray=" + std::string(tray ? "1" : "0") +
                           "\r\ntray_delay_ms=" + std::to_string(trayDelayMs) + "\r\nlifetime_ms=120000\r\n";
  testsupport::WriteFileBytes(dir_ / L"hostapp.ini", text);
}

bool SimulatedHost::RemoveRepairTool() { return DeleteFileW((dir_ / L"ZRDRepair.exe").c_str()) != 0; }

bool SimulatedHost::RepairToolNeverRan() const {
  // Started, the tool is either still listed or has already written its log line.
  return CountProcesses(L"ZRDRepair.exe") == 0 && !testsupport::FileExists(RepairLogPath());
}

}  // namespace simhost
