// The wizard's installation worker on a real thread, reporting to a window of this thread standing
// in for the dialog: the messages it sends, the abort it posts, its exit codes.
#include "wizard/install_worker.h"

#include <gtest/gtest.h>

#include <utility>

#include "engine/install/install_messages.h"
#include "engine/install_engine.h"
#include "engine/testing_seams.h"
#include "tests/support/data_patterns.h"
#include "tests/support/install_reports.h"
#include "tests/support/planned_install.h"

namespace testsupport {
namespace {

class InstallWorkerTest : public PlannedInstallTest {};

TEST_F(InstallWorkerTest, RunThroughTheDialogWindowSendsEveryMessage) {
  Installed(L"b", "old b");
  InstallEngine engine;
  engine.listsReady = true;
  engine.packageFiles.push_back(Package(L"one.dir", {{L"a", Pattern(2049, 1), EntryAction::Install, L"甲"}}));
  engine.packageFiles.push_back(Package(L"two.dir", {{L"b", Pattern(10, 2), EntryAction::Upgrade, L"乙"}}));
  ProtocolWindow window;
  InstallThreadParam param{window.hwnd(), &engine};
  EXPECT_EQ(RunPumping(InstallThreadProc, &param), 0u);
  EXPECT_EQ(window.log, Sequence({{"start"},
                                  EntryReports(L"甲", EntryAction::Install, 2, true),
                                  EntryReports(L"乙", EntryAction::Upgrade, 1, true),
                                  {"finish"}}));
  EXPECT_EQ(window.notSent, 0) << "every message is sent by the worker and waited for";
  EXPECT_EQ(window.abortedPosts, 0);
  EXPECT_TRUE(FileBytes(Target(L"a")) == Pattern(2049, 1));
  EXPECT_TRUE(FileBytes(Target(L"b")) == Pattern(10, 2));
}

TEST_F(InstallWorkerTest, StoppedRunEndsWithMinusOneAndPostsAborted) {
  InstallEngine engine;
  engine.listsReady = true;
  // The failing entry's data end the container, but it is planned first.
  engine.packageFiles.push_back(Package(
      L"one.dir", {{L"b", "b", EntryAction::Install, L"B"}, {L"a", Pattern(3000, 1), EntryAction::Install, L"A"}}, 1));
  std::swap((*engine.packageFiles[0].entries)[0], (*engine.packageFiles[0].entries)[1]);
  ProtocolWindow window;
  window.answers[WM_ITEM_FAIL] = 0;
  InstallThreadParam param{window.hwnd(), &engine};
  EXPECT_EQ(RunPumping(InstallThreadProc, &param), 0xFFFFFFFFu);
  EXPECT_EQ(window.log, Sequence({{"start"}, EntryReports(L"A", EntryAction::Install, 2, false)}));
  EXPECT_EQ(window.abortedPosts, 1);
  EXPECT_FALSE(FileExists(Target(L"b")));
}

TEST_F(InstallWorkerTest, WindowGoneBeforeTheStartSendsNothing) {
  InstallEngine engine;
  engine.listsReady = true;
  engine.packageFiles.push_back(Package(L"one.dir", {{L"a", Pattern(10, 1), EntryAction::Install, L"A"}}));
  ProtocolWindow gone;
  const HWND stale = gone.hwnd();
  gone.Destroy();
  ProtocolWindow pump;  // keeps a live window on this thread, which must hear nothing either
  InstallThreadParam param{stale, &engine};
  EXPECT_EQ(RunPumping(InstallThreadProc, &param), 0xFFFFFFFFu);
  EXPECT_TRUE(pump.log.empty());
  EXPECT_EQ(pump.abortedPosts, 0);
  EXPECT_FALSE(FileExists(Target(L"a")));
}

TEST_F(InstallWorkerTest, MissingParametersEndWithOne) {
  InstallEngine engine;
  ProtocolWindow window;
  EXPECT_EQ(RunPumping(InstallThreadProc, nullptr), 1u);
  InstallThreadParam noWindow{nullptr, &engine};
  EXPECT_EQ(RunPumping(InstallThreadProc, &noWindow), 1u);
  InstallThreadParam noEngine{window.hwnd(), nullptr};
  EXPECT_EQ(RunPumping(InstallThreadProc, &noEngine), 1u);
  EXPECT_TRUE(window.log.empty());
  EXPECT_EQ(window.abortedPosts, 0);
}

TEST_F(InstallWorkerTest, FailedInventorySendsNothingAndPostsAborted) {
  HostRegistry::Remove();  // no host: the inventory cannot be built
  ResetHostPathCachesForTesting();
  InstallEngine engine;
  ProtocolWindow window;
  InstallThreadParam param{window.hwnd(), &engine};
  EXPECT_EQ(RunPumping(InstallThreadProc, &param), 0xFFFFFFFFu);
  EXPECT_TRUE(window.log.empty());
  EXPECT_EQ(window.abortedPosts, 1);
  EXPECT_FALSE(engine.listsReady);
}

}  // namespace
}  // namespace testsupport
