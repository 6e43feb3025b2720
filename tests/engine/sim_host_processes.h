// Driving the simulated host's programs from tests under Wine: a host folder with the simulated
// service, repair tool and host program registered as the installed host, processes started
// without inheriting the test's handles, and every one of them ended when the test is done, also
// when it fails. Independent of the engine's own process code, so that it can judge it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/win_test_support.h"

namespace simhost {

// The simulated programs as built: <test executable's folder>simhost\<fileName>
// ("zrdsvc.exe", "ZRDRepair.exe", "Lumidex.exe").
std::wstring BuiltProgram(const wchar_t* fileName);

// A process started directly, inheriting no handle (so it never holds CTest's output pipe),
// and terminated when the object goes away.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& args);
  DWORD id() const { return id_; }
  bool Running() const;
  // The exit code once the process has ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
  void Terminate();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Starts a simulated service (zrdsvc.exe under any name) with the options of zrdsvc_main.cpp and
// waits until it is ready to take stop requests. A safety lifetime is always added.
bool StartService(ChildProcess& child, const std::wstring& exe, const std::wstring& options = L"");

// Under Wine the first windowed program of a session starts the desktop process, which inherits
// that program's standard output and error and outlives the test, so CTest would wait for it.
// tools/wine/env starts it; this waits until it runs, and when it never comes, has it started by
// a windowed child that holds no output handle of ours (its error stream still goes along).
void EnsureDesktopProcess();

// Does the above once, before a test binary's first test.
class DesktopFirstEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { EnsureDesktopProcess(); }
};

// Processes whose executable file name equals imageName, letters compared without case.
int CountProcesses(const wchar_t* imageName);
// Terminates every such process and waits for each to end.
void TerminateAll(const wchar_t* imageName);

// A run log of the simulated programs (UTF-8); empty when the file is missing.
std::string ReadLog(const std::wstring& path);
// Waits up to timeoutMs for the log to contain text.
bool WaitForLog(const std::wstring& path, const std::string& text, DWORD timeoutMs);

// An installed simulated host: a folder with "plugin\localquery" and "plugin\image", the repair
// tool, the service and the host program under exeName, and the host's registry key naming it.
// On destruction every simulated process is ended and the key and folder are removed.
class SimulatedHost {
 public:
  explicit SimulatedHost(const std::wstring& exeName = L"Lumidex.exe");
  ~SimulatedHost();
  SimulatedHost(const SimulatedHost&) = delete;
  SimulatedHost& operator=(const SimulatedHost&) = delete;

  const std::wstring& dir() const { return dir_.path(); }
  std::wstring operator/(const std::wstring& relative) const { return dir_ / relative; }
  std::wstring ConfigPath() const { return dir_ / L"plugin\\localquery\\localquerydictcfg.ini"; }
  std::wstring ServiceExe() const { return dir_ / L"zrdsvc.exe"; }
  std::wstring HostExe() const { return dir_ / exeName_; }
  std::wstring RepairLogPath() const { return dir_ / L"ZRDRepair.log"; }
  std::wstring HostLogPath() const { return dir_ / L"hostapp.log"; }
  std::wstring ServiceLogPath() const { return dir_ / L"zrdsvc.log"; }

  // Writes hostapp.ini: whether the host shows its tray window, and after how long.
  void SetHostOptions(bool tray, unsigned trayDelayMs);
  bool RemoveRepairTool();
  // True when the repair tool has not run: no such process and no log line.
  bool RepairToolNeverRan() const;

 private:
  testsupport::ScratchDir dir_{L"simhost"};
  std::wstring exeName_;
  testsupport::HostRegistry registry_;
};

}  // namespace simhost
