// Process control against real processes under Wine: the simulated service, started directly,
// and the simulated repair tool, started by the code under test through the shell.
#include "engine/processes/process_control.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "engine/host_paths.h"
#include "engine/testing_seams.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/poll_pause.h"
#include "tests/support/processes.h"

namespace testsupport {
namespace {

constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kTerminatedExitCode = 4;
constexpr DWORD kStoppedOnRequestExitCode = 0;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { EndSimulatedProcesses(); }
  void TearDown() override { EndSimulatedProcesses(); }
  static void EndSimulatedProcesses() {
    testsupport::TerminateAll(L"zrdsvc.exe");
    testsupport::TerminateAll(L"ZRDRepair.exe");
  }
  // A copy of the built service under another file name, in folder.
  static std::wstring ServiceCopy(const ScratchDir& folder, const std::wstring& name) {
    const std::wstring path = folder / name;
    EXPECT_TRUE(CopyFileW(testsupport::BuiltFile(testsupport::kSimulatedService).c_str(), path.c_str(), FALSE));
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
  ASSERT_TRUE(StartService(service, testsupport::BuiltFile(testsupport::kSimulatedService)));
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

// Letter case is ignored on both sides, beyond the ASCII letters as the system folds them.
TEST_F(FindProcess, LetterCaseIsIgnored) {
  ScratchDir folder(L"caps");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"ZRDSVC.EXE", L"zrdsvc.exe"}, {L"ZRDSVC.EXE", L"ZrdSvc.Exe"}, {L"ÜBERSVC.EXE", L"übersvc.exe"}};
  for (const auto& [fileName, asked] : cases) {
    ChildProcess service;
    ASSERT_TRUE(StartService(service, ServiceCopy(folder, fileName)));
    DWORD id = 0;
    EXPECT_TRUE(FindProcessByName(asked, id)) << testsupport::Narrow(asked);
    EXPECT_EQ(id, service.id());
  }
}

TEST_F(FindProcess, CallersNameIsNotLowered) {
  ChildProcess service;
  ASSERT_TRUE(StartService(service, testsupport::BuiltFile(testsupport::kSimulatedService)));
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
  ASSERT_TRUE(StartService(service, testsupport::BuiltFile(testsupport::kSimulatedService)));
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
  ASSERT_TRUE(StartService(service, testsupport::BuiltFile(testsupport::kSimulatedService), {L"--ignore-stop"}));
  EXPECT_TRUE(KillProcessByName(L"ZRDSVC.exe"));
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
  EXPECT_EQ(testsupport::CountProcesses(L"zrdsvc.exe"), 0);
}

// A process that survives its termination cannot be made under Wine; the second process of the
// name plays the survivor: only the first found is terminated, and the poll waits in vain.
TEST_F(KillProcess, SecondProcessOfTheNameSurvivesAndFailsThePoll) {
  ChildProcess one, two;
  ASSERT_TRUE(StartService(one, testsupport::BuiltFile(testsupport::kSimulatedService), {L"--ignore-stop"}));
  ASSERT_TRUE(StartService(two, testsupport::BuiltFile(testsupport::kSimulatedService), {L"--ignore-stop"}));
  DWORD first = 0;
  ASSERT_TRUE(FindProcessByName(L"zrdsvc.exe", first));
  ChildProcess& found = first == one.id() ? one : two;
  ChildProcess& other = first == one.id() ? two : one;

  testsupport::PollPause shortPolls;
  EXPECT_FALSE(KillProcessByName(L"zrdsvc.exe"));
  EXPECT_EQ(ExitCodeOf(found), kTerminatedExitCode);
  EXPECT_TRUE(other.Running());

  EXPECT_TRUE(KillProcessByName(L"zrdsvc.exe")) << "the survivor is now the first found";
  EXPECT_EQ(ExitCodeOf(other), kTerminatedExitCode);
}

TEST_F(RepairTool, NoNameFails) {
  FakeHost host;
  EXPECT_FALSE(StopServiceWithRepairTool(nullptr));
  EXPECT_FALSE(StopServiceWithRepairTool(L""));
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(RepairTool, ServiceNotRunningToolNotStarted) {
  FakeHost host;
  EXPECT_TRUE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(RepairTool, ServiceStopsOnTheToolsRequest) {
  FakeHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_EQ(ExitCodeOf(service), kStoppedOnRequestExitCode);
  EXPECT_TRUE(testsupport::WaitForLog(host.RepairLogPath(), "run -S\r\n", kExitTimeoutMs));
  EXPECT_TRUE(testsupport::WaitForLog(host.RepairLogPath(), "stop requested from " + std::to_string(service.id()), 0));
  testsupport::StartRecord repair;
  ASSERT_TRUE(testsupport::WaitForStartRecord(host.RepairLogPath(), repair, kExitTimeoutMs));
  EXPECT_EQ(repair.folder, host.dir()) << "the repair tool works in the host's folder";
}

TEST_F(RepairTool, IgnoredRequestFailsAfterThePolls) {
  FakeHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), {L"--ignore-stop"}));
  testsupport::PollPause shortPolls;
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
  EXPECT_TRUE(testsupport::WaitForLog(host.ServiceLogPath(), "stop request ignored", kExitTimeoutMs))
      << "the tool was started and reached the service";
  EXPECT_TRUE(service.Running());
}

TEST_F(RepairTool, MissingToolFails) {
  FakeHost host;
  ASSERT_TRUE(host.RemoveRepairTool());
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
}

TEST_F(RepairTool, NoHostKeyFails) {
  FakeHost host;
  testsupport::HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_FALSE(StopServiceWithRepairTool(L"zrdsvc.exe"));
  EXPECT_TRUE(service.Running());
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(DictService, NotRunningSucceedsWithoutTheTool) {
  FakeHost host;
  EXPECT_TRUE(StopDictService());
  EXPECT_TRUE(host.RepairToolNeverRan());
}

TEST_F(DictService, StoppedThroughTheRepairTool) {
  FakeHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kStoppedOnRequestExitCode) << "ended by its own stop, not terminated";
}

TEST_F(DictService, ServiceIgnoringTheToolIsTerminated) {
  FakeHost host;
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe(), {L"--ignore-stop"}));
  testsupport::PollPause shortPolls;
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
  EXPECT_TRUE(testsupport::WaitForLog(host.RepairLogPath(), "run -S", kExitTimeoutMs)) << "the tool was tried first";
}

TEST_F(DictService, WithoutRepairToolTheServiceIsTerminated) {
  FakeHost host;
  ASSERT_TRUE(host.RemoveRepairTool());
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  EXPECT_TRUE(StopDictService());
  EXPECT_EQ(ExitCodeOf(service), kTerminatedExitCode);
}

TEST_F(DictService, SurvivingServiceFails) {
  FakeHost host;
  ChildProcess one, two;
  ASSERT_TRUE(StartService(one, host.ServiceExe(), {L"--ignore-stop"}));
  ASSERT_TRUE(StartService(two, host.ServiceExe(), {L"--ignore-stop"}));
  testsupport::PollPause shortPolls;
  EXPECT_FALSE(StopDictService());
  EXPECT_EQ(testsupport::CountProcesses(L"zrdsvc.exe"), 1);
}

}  // namespace
}  // namespace testsupport
