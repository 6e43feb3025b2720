// Process control against real processes under Wine: the simulated service, started directly,
// and the simulated repair tool, started by the code under test through the shell.
#include "engine/process_control.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/host_paths.h"
#include "engine/poll_policy.h"
#include "engine/testing_seams.h"
#include "tests/engine/sim_host_processes.h"
#include "tests/support/win_test_support.h"

using simhost::ChildProcess;
using simhost::SimulatedHost;
using simhost::StartService;
using testsupport::ScratchDir;

namespace {

[[maybe_unused]] const ::testing::Environment* const kDesktopFirst =
    ::testing::AddGlobalTestEnvironment(new simhost::DesktopFirstEnvironment);

constexpr unsigned kRealPauseMs = 500;
// For the waits that are meant to run out: the same 20 attempts, over in about half a second.
constexpr unsigned kShortPauseMs = 20;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kTerminatedExitCode = 4;
constexpr DWORD kStoppedOnRequestExitCode = 0;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EndSimulatedProcesses();
    SetPollPauseForTesting(kRealPauseMs);
  }
  void TearDown() override {
    SetPollPauseForTesting(kRealPauseMs);
    EndSimulatedProcesses();
  }
  static void EndSimulatedProcesses() {
    simhost::TerminateAll(L"zrdsvc.exe");
    simhost::TerminateAll(L"ZRDRepair.exe");
  }
  // A copy of the built service under another file name, in folder.
  static std::wstring ServiceCopy(const ScratchDir& folder, const std::wstring& name) {
    const std::wstring path = folder / name;
    EXPECT_TRUE(CopyFileW(simhost::BuiltProgram(L"zrdsvc.exe").c_str(), path.c_str(), FALSE));
    return path;
  }
  static DWORD ExitCodeOf(const ChildProcess& child) {
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(child.WaitForExit(kExitTimeoutMs, code)) << "the process did not end";
    return code;
  }
};

using FindProcess = ProcessTest;
using KillProcess = ProcessTest;
using RepairTool = ProcessTest;
using DictService = ProcessTest;

TEST_F(FindProcess, RunningServiceIsFoundWithItsId) {
  ChildProcess service;
  ASSERT_TRUE(StartService(service, simhost::BuiltProgram(L"zrdsvc.exe")));
  DWORD id = 0;
  ASSERT_TRUE(FindProcessByName(L"zrdsvc.exe", id));
  EXPECT_EQ(id, service.id());
}

TEST_F(FindProcess, NothingFoundLeavesIdUntouched) {
  DWORD id = 12345;
  EXPECT_FALSE(FindProcessByName(L"zrdsvc.exe", id));
  EXPECT_FALSE(FindProcessByName(L"", id));
  EXPECT_FALSE(FindProcessByName(nullptr, id));
  EXPECT_EQ(id, 12345u);
}

TEST_F(FindProcess, LetterCaseIsIgnoredOnBothSides) {
  ScratchDir folder(L"caps");
  const std::wstring exe = ServiceCopy(folder, L"ZRDSVC.EXE");
  ChildProcess service;
  ASSERT_TRUE(StartService(service, exe));

  DWORD id = 0;
  EXPECT_TRUE(FindProcessByName(L"zrdsvc.exe", id));
  EXPECT_EQ(id, service.id());
  id = 0;
  EXPECT_TRUE(FindProcessByName(L"ZrdSvc.Exe", id));
  EXPECT_EQ(id, service.id());
}

TEST_F(FindProcess, CaseBeyondAsciiLettersFollowsTheSystem) {
  ScratchDir folder(L"accent");
  const std::wstring exe = ServiceCopy(folder, L"ÜBERSVC.EXE");
  ChildProcess service;
  ASSERT_TRUE(StartService(service, exe));
  DWORD id = 0;
  EXPECT_TRUE(FindProcessByName(L"übersvc.exe", id));
  EXPECT_EQ(id, service.id());
}

TEST_F(FindProcess, CallersNameIsNotLowered) {
  ChildProcess service;
  ASSERT_TRUE(StartService(service, simhost::BuiltProgram(L"zrdsvc.exe")));
  const wchar_t name[] = L"ZRDSVC.EXE";
  DWORD id = 0;
  EXPECT_TRUE(FindProcessByName(name, id));
  EXPECT_STREQ(name, L"ZRDSVC.EXE");
}

TEST_F(FindProcess, OnlyWholeNamesMatch) {
  ScratchDir folder(L"names");
  ChildProcess prefixed, suffixed;
  ASSERT_TRUE(StartService(prefixed, ServiceCopy(folder, L"xzrdsvc.exe")));
  ASSERT_TRUE(StartService(suffixed, ServiceCopy(folder, L"zrdsvc.exe.exe")));

  DWORD id = 777;
  EXPECT_FALSE(FindProcessByName(L"zrdsvc.exe", id)) << "names that only contain the service's name";
  EXPECT_EQ(id, 777u);

  ChildProcess service;
  ASSERT_TRUE(StartService(service, simhost::BuiltProgram(L"zrdsvc.exe")));
  for (const wchar_t* part : {L"zrdsvc", L"rdsvc.exe", L"zrdsvc.ex", L"zrdsvc.exe ", L".exe"}) {
    EXPECT_FALSE(FindProcessByName(part, id)) << testsupport::Narrow(part);
  }
  EXPECT_TRUE(FindProcessByName(L"zrdsvc.exe", id));
  EXPECT_EQ(id, service.id());
  EXPECT_TRUE(FindProcessByName(L"xzrdsvc.exe", id));
  EXPECT_EQ(id, prefixed.id());
}

TEST_F(KillProcess, NoNameFails) {
  EXPECT_FALSE(KillProcessByName(nullptr));
  EXPECT_FALSE(KillProcessByName(L""));
}

TEST_F(KillProcess, NothingRunningSucceeds) { EXPECT_TRUE(KillProcessByName(L"zrdsvc.exe")); }

TEST_F(KillProcess, TerminatesWithExitCode4) {
  ChildProcess service;
  ASSERT_TRUE(StartService(service, simhost::BuiltProgram(L"zrdsvc.exe"), L"--ignore-stop"));
  EXPECT_TRUE(KillProcessByName(L"ZRDSVC.exe"));
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
  EXPECT_EQ(simhost::CountProcesses(L"zrdsvc.exe"), 0);
}

// A process that survives its termination cannot be made under Wine; the second process of the
// name plays the survivor: only the first found is terminated, and the poll waits in vain.
TEST_F(KillProcess, SecondProcessOfTheNameSurvivesAndFailsThePoll) {
  ChildProcess one, two;
  ASSERT_TRUE(StartService(one, simhost::BuiltProgram(L"zrdsvc.exe"), L"--ignore-stop"));
  ASSERT_TRUE(StartService(two, simhost::BuiltProgram(L"zrdsvc.exe"), L"--ignore-stop"));
  DWORD first = 0;
  ASSERT_TRUE(FindProcessByName(L"zrdsvc.exe", first));
  ChildProcess& found = first == one.id() ? one : two;
  ChildProcess& other = first == one.id() ? two : one;

  SetPollPauseForTesting(kShortPauseMs);
  EXPECT_FALSE(KillProcessByName(L"zrdsvc.exe"));
  EXPECT_EQ(ExitCodeOf(found), kTerminatedExitCode);
  EXPECT_TRUE(other.Running());

  EXPECT_TRUE(KillProcessByName(L"zrdsvc.exe")) << "the survivor is now the first found";
  EXPECT_EQ(ExitCodeOf(other), kTerminatedExitCode);
}

TEST_F(RepairTool, NoNameFails) {
  SimulatedHost host;
  EXPECT_FALSE(StopServiceWithRepairTool(nullptr));
  EXPECT_FALSE(StopServiceWithRepairTool(L""));
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(RepairTool, ServiceNotRunningToolNotStarted) {
  SimulatedHost host;
  EXPECT_TRUE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(RepairTool, ServiceStopsOnTheToolsRequest) {
  SimulatedHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_EQ(ExitCodeOf(service), kStoppedOnRequestExitCode);
  EXPECT_TRUE(simhost::WaitForLog(host.RepairLogPath(), "run -S\r\n", kExitTimeoutMs));
  EXPECT_TRUE(simhost::WaitForLog(host.RepairLogPath(), "stop requested from " + std::to_string(service.id()), 0));
}

TEST_F(RepairTool, IgnoredRequestFailsAfterThePolls) {
  SimulatedHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), L"--ignore-stop"));
  SetPollPauseForTesting(kShortPauseMs);
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
  EXPECT_TRUE(simhost::WaitForLog(host.ServiceLogPath(), "stop request ignored", kExitTimeoutMs))
      << "the tool was started and reached the service";
  EXPECT_TRUE(service.Running());
}

TEST_F(RepairTool, MissingToolFails) {
  SimulatedHost host;
  ASSERT_TRUE(host.RemoveRepairTool());
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
}

TEST_F(RepairTool, NoHostKeyFails) {
  SimulatedHost host;
  testsupport::HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(DictService, NotRunningSucceedsWithoutTheTool) {
  SimulatedHost host;
  EXPECT_TRUE(StopDictService());
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(DictService, StoppedThroughTheRepairTool) {
  SimulatedHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kStoppedOnRequestExitCode) << "ended by its own stop, not terminated";
}

TEST_F(DictService, ServiceIgnoringTheToolIsTerminated) {
  SimulatedHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), L"--ignore-stop"));
  SetPollPauseForTesting(kShortPauseMs);
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
  EXPECT_TRUE(simhost::WaitForLog(host.RepairLogPath(), "run -S", kExitTimeoutMs)) << "the tool was tried first";
}

TEST_F(DictService, WithoutRepairToolTheServiceIsTerminated) {
  SimulatedHost host;
  ASSERT_TRUE(host.RemoveRepairTool());
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
}

TEST_F(DictService, HeldDictionaryCanBeMovedOnceStopped) {
  SimulatedHost host;
  const std::wstring dict = host / L"plugin\\localquery\\dictdata\\news.dic";
  const std::wstring aside = dict + L"._zev_av_";
  ASSERT_TRUE(testsupport::WriteFileBytes(dict, "dictionary"));
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), L"--hold \"" + dict + L"\""));
  ASSERT_FALSE(MoveFileW(dict.c_str(), aside.c_str())) << "the running service must keep its file from moving";

  EXPECT_TRUE(StopDictService());
  EXPECT_TRUE(MoveFileW(dict.c_str(), aside.c_str()));
}

TEST_F(DictService, SurvivingServiceFails) {
  SimulatedHost host;
  ChildProcess one, two;
  ASSERT_TRUE(StartService(one, host.ServiceExe(), L"--ignore-stop"));
  ASSERT_TRUE(StartService(two, host.ServiceExe(), L"--ignore-stop"));
  SetPollPauseForTesting(kShortPauseMs);
  EXPECT_FALSE(StopDictService());
  EXPECT_EQ(simhost::CountProcesses(L"zrdsvc.exe"), 1);
}

}  // namespace
