// The engine side of the hand-off against the simulated host under Wine: its service stopped
// (process_control_test covers how), the configuration switched on, the host program started
// through the shell, its tray window awaited and the broadcast received by it.
#include "engine/processes/host_handoff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/host_paths.h"
#include "engine/install_engine.h"
#include "engine/processes/desktop_shell.h"
#include "engine/testing_seams.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/poll_pause.h"
#include "tests/support/processes.h"

namespace testsupport {
namespace {

constexpr DWORD kLogTimeoutMs = 15000;
constexpr const wchar_t* kHostExeName = L"TestHost.exe";
constexpr const char* kManagerShown = "dict manager shown";

PackageEntry Entry(const std::wstring& id, EntryAction action) {
  PackageEntry entry;
  entry.id = id;
  entry.ext = L".dic";
  entry.action = action;
  return entry;
}

PackageFile Container(const std::wstring& name, std::vector<PackageEntry> entries) {
  PackageFile file;
  file.fileName = name;
  file.path = L"C:\\package\\" + name;
  file.entries = std::move(entries);
  return file;
}

// A package of three containers: one with entries of every action, one whose container could
// not be read again during the run (its entries are still known), and one that never had any.
InstallEngine EngineWithPackage() {
  InstallEngine engine;
  engine.listsReady = true;
  engine.packageFiles.push_back(
      Container(L"main.dir", {Entry(L"newsdict", EntryAction::Install), Entry(L"lawdict", EntryAction::Upgrade),
                              Entry(L"olddict", EntryAction::Skip)}));
  engine.packageFiles.push_back(Container(L"gone.dir", {Entry(L"medicdict", EntryAction::Install)}));
  PackageFile empty;
  empty.fileName = L"empty.dir";
  engine.packageFiles.push_back(empty);
  return engine;
}

const std::vector<std::wstring> kPackagedIds = {L"newsdict", L"lawdict", L"olddict", L"medicdict"};

// The host program under a name of its own: only what the key names is started.
testsupport::HostSetup HostNamed(const wchar_t* exeName) {
  testsupport::HostSetup setup;
  setup.exeName = exeName;
  return setup;
}

class HandOff : public ::testing::Test {
 protected:
  FakeHost host{HostNamed(kHostExeName)};

  void SetUp() override {
    // Sections as the installation run left them, one switched off by its package.
    testsupport::WriteFileBytes(host.ConfigPath(),
                                "[newsdict]\r\nid=newsdict\r\nenable=0\r\n[lawdict]\r\nid=lawdict\r\n"
                                "[foreign]\r\nid=foreign\r\nenable=0\r\n");
  }

  std::string HostLog() const { return testsupport::ReadLog(host.HostLogPath()); }
  bool HostStarted(DWORD timeoutMs = kLogTimeoutMs) const {
    return testsupport::WaitForLog(host.HostLogPath(), "started", timeoutMs);
  }
  void ExpectEveryPackagedIdEnabled() const {
    for (const std::wstring& id : kPackagedIds) {
      EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), id.c_str(), L"enable"), L"1") << testsupport::Narrow(id);
    }
    EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), L"foreign", L"enable"), L"0")
        << "a dictionary outside the package";
  }
};

using Launch = HandOff;
using Tray = HandOff;
using EnableAll = HandOff;

TEST_F(Launch, StartsTheHostThroughTheShell) {
  EXPECT_TRUE(LaunchHost());
  EXPECT_TRUE(HostStarted());
  EXPECT_EQ(testsupport::CountProcesses(kHostExeName), 1);
  testsupport::StartRecord start;
  ASSERT_TRUE(testsupport::WaitForStartRecord(host.HostLogPath(), start, kLogTimeoutMs));
  EXPECT_EQ(start.parentName, "explorer.exe") << "the desktop's shell started it";
  EXPECT_EQ(start.folder, host.dir());
}

void Collect(const std::wstring& text, void* lines) { static_cast<std::wstring*>(lines)->append(text + L"\n"); }

// A step of the desktop shell's chain that fails: the host is not started at all (the wizard's own
// child would run with its token), and the diagnostic names the step and the program.
TEST_F(Launch, FailedShellStepStartsNothing) {
  for (ShellStep step : {ShellStep::FindDesktop, ShellStep::Execute}) {
    std::wstring diagnostics;
    SetDiagnosticSink(Collect, &diagnostics);
    FailShellStepForTesting(step);
    EXPECT_FALSE(LaunchHost()) << ShellStepName(step);
    FailShellStepForTesting(ShellStep::None);
    SetDiagnosticSink(nullptr, nullptr);
    // A direct start would have made its process before the start returned.
    EXPECT_EQ(testsupport::CountProcesses(kHostExeName), 0) << ShellStepName(step);
    EXPECT_FALSE(testsupport::FileExists(host.HostLogPath())) << ShellStepName(step);
    EXPECT_NE(diagnostics.find(std::wstring(L"failed at ") + ShellStepName(step)), std::wstring::npos)
        << testsupport::Narrow(diagnostics);
    EXPECT_NE(diagnostics.find(L"not started: "), std::wstring::npos)
        << testsupport::Narrow(diagnostics);
  }
}

TEST_F(Launch, MissingExecutableIsNotStarted) {
  ASSERT_TRUE(DeleteFileW(host.HostExe().c_str()));
  EXPECT_FALSE(LaunchHost());
  testsupport::HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  EXPECT_FALSE(LaunchHost());
}

TEST_F(Tray, RunningHostIsFoundAtOnceAndShowsItsManager) {
  ASSERT_TRUE(LaunchHost());
  ASSERT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "tray window up", kLogTimeoutMs));
  // A pause before the first search would take this long.
  testsupport::PollPause longPause(60000);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(WaitForTrayAndShowDictManager());
  EXPECT_LT(GetTickCount64() - start, 60000u);
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), kManagerShown, kLogTimeoutMs));
  EXPECT_NE(FindWindowW(nullptr, L"词典管理"), nullptr);
}

TEST_F(Tray, LateTrayWindowIsWaitedFor) {
  host.SetHostOptions(true, 1500);
  ASSERT_TRUE(LaunchHost());
  testsupport::PollPause shorterPause(200);
  EXPECT_TRUE(WaitForTrayAndShowDictManager());
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), kManagerShown, kLogTimeoutMs));
}

TEST_F(Tray, HostWithoutTrayGetsNoBroadcast) {
  host.SetHostOptions(false, 0);
  ASSERT_TRUE(LaunchHost());
  ASSERT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "listening without tray", kLogTimeoutMs));
  testsupport::PollPause shortPolls;
  EXPECT_FALSE(WaitForTrayAndShowDictManager());
  Sleep(1000);  // a broadcast, had there been one, would have arrived by now
  EXPECT_EQ(HostLog().find(kManagerShown), std::string::npos);
}

TEST_F(Tray, NoHostRunningEndsAfterThePolls) {
  testsupport::PollPause shortPolls;
  EXPECT_FALSE(WaitForTrayAndShowDictManager());
}

TEST_F(EnableAll, TickedPathFromServiceToDictionaryManager) {
  ChildProcess service;
  ASSERT_TRUE(StartService(service, host.ServiceExe()));
  InstallEngine engine = EngineWithPackage();

  EXPECT_TRUE(engine.EnableAllDicts());
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(service.WaitForExit(kLogTimeoutMs, exitCode)) << "the service was stopped";
  ExpectEveryPackagedIdEnabled();

  EXPECT_TRUE(WaitForTrayAndShowDictManager());
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), kManagerShown, kLogTimeoutMs));
  // The host read its configuration after the hand-off had written it.
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "dictionary olddict enable=1", kLogTimeoutMs));
  EXPECT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "dictionary medicdict enable=1", 0));
}

TEST_F(EnableAll, HostWithoutTrayEndsAfterThePolls) {
  host.SetHostOptions(false, 0);
  InstallEngine engine = EngineWithPackage();
  EXPECT_TRUE(engine.EnableAllDicts());
  ExpectEveryPackagedIdEnabled();
  ASSERT_TRUE(testsupport::WaitForLog(host.HostLogPath(), "listening without tray", kLogTimeoutMs));
  testsupport::PollPause shortPolls;
  EXPECT_FALSE(WaitForTrayAndShowDictManager());
  Sleep(1000);
  EXPECT_EQ(HostLog().find(kManagerShown), std::string::npos);
}

TEST_F(EnableAll, MissingConfigurationIsCreatedWithoutByteOrderMark) {
  ASSERT_TRUE(DeleteFileW(host.ConfigPath().c_str()));
  InstallEngine engine = EngineWithPackage();
  EXPECT_TRUE(engine.EnableAllDicts());
  for (const std::wstring& id : kPackagedIds)
    EXPECT_EQ(testsupport::IniValue(host.ConfigPath(), id.c_str(), L"enable"), L"1");
  std::string bytes;
  ASSERT_TRUE(testsupport::ReadFileBytes(host.ConfigPath(), bytes));
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes[0], '[');
}

TEST_F(EnableAll, ReadOnlyConfigurationIsMadeWritable) {
  ASSERT_TRUE(SetFileAttributesW(host.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
  InstallEngine engine = EngineWithPackage();
  EXPECT_TRUE(engine.EnableAllDicts());
  EXPECT_EQ(GetFileAttributesW(host.ConfigPath().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  ExpectEveryPackagedIdEnabled();
}

TEST_F(EnableAll, SurvivingServiceLeavesEverythingAsItWas) {
  ChildProcess one, two;
  ASSERT_TRUE(StartService(one, host.ServiceExe(), {L"--ignore-stop"}));
  ASSERT_TRUE(StartService(two, host.ServiceExe(), {L"--ignore-stop"}));
  std::string before;
  ASSERT_TRUE(testsupport::ReadFileBytes(host.ConfigPath(), before));
  testsupport::PollPause shortPolls;

  InstallEngine engine = EngineWithPackage();
  EXPECT_FALSE(engine.EnableAllDicts());
  std::string after;
  ASSERT_TRUE(testsupport::ReadFileBytes(host.ConfigPath(), after));
  EXPECT_EQ(after, before);
  Sleep(500);
  EXPECT_FALSE(testsupport::FileExists(host.HostLogPath())) << "the host was not started";
}

TEST_F(EnableAll, MissingHostExecutableStillEnables) {
  ASSERT_TRUE(DeleteFileW(host.HostExe().c_str()));
  InstallEngine engine = EngineWithPackage();
  EXPECT_FALSE(engine.EnableAllDicts());
  ExpectEveryPackagedIdEnabled();
}

TEST_F(EnableAll, NoHostKeyWritesNothing) {
  std::string before;
  ASSERT_TRUE(testsupport::ReadFileBytes(host.ConfigPath(), before));
  testsupport::HostRegistry::Remove();
  ResetHostPathCachesForTesting();
  InstallEngine engine = EngineWithPackage();
  EXPECT_FALSE(engine.EnableAllDicts());
  std::string after;
  ASSERT_TRUE(testsupport::ReadFileBytes(host.ConfigPath(), after));
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace testsupport
