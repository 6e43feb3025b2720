// The unattended run and the log, without a window: the command line, the log's lines and name,
// the plan in the log's words, and the wizard's logic clicking for itself through a queue that
// stands for the dialog's message queue.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/plan/install_messages.h"
#include "tests/wizard/recording_surface.h"
#include "wizard/logic/command_line.h"
#include "wizard/logic/plan_description.h"
#include "wizard/logic/run_log_format.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_logic.h"

namespace {

// --- The existing recording surface and fake environment, reached only through these ---

struct Recorded {
  std::vector<std::wstring> calls;
  wizardtest::RecordingSurface surface{calls};
  wizardtest::FakeEnvironment environment{calls};
};
void FailWorkerStart(Recorded& r) { r.environment.workerStartSucceeds = false; }
int HandOffs(const Recorded& r) { return r.environment.handOffs; }
int BoxCount(const Recorded& r) { return static_cast<int>(r.surface.boxes.size()); }
const std::vector<int>& QuitCodes(const Recorded& r) { return r.surface.quitCodes; }
bool RunHostTicked(Recorded& r) { return r.surface.IsTicked(WizardControl::RunHost); }
void SetTickedOn(Recorded& r, WizardControl box, bool ticked) { r.surface.controls[box].ticked = ticked; }

// --- Command line ---

std::vector<std::wstring> Split(const std::wstring& line) { return SplitCommandLine(line); }

TEST(CommandLineTest, SplitsAsTheRuntimeDoes) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(Split(L"pakorra.exe"), V{});
  EXPECT_EQ(Split(L"\"C:\\My Files\\pakorra.exe\"  /S\t-log"), (V{L"/S", L"-log"}));
  EXPECT_EQ(Split(L"C:\\a\\pakorra.exe /S"), V{L"/S"});
  EXPECT_EQ(Split(L"p \"/LOG=C:\\Program Files\\a.log\" /LOG=\"C:\\x y\\b.log\""),
            (V{L"/LOG=C:\\Program Files\\a.log", L"/LOG=C:\\x y\\b.log"}));
  EXPECT_EQ(Split(L"p a\\\\b \\\\\\\"x\\\" \"c\\\\\" \"\""), (V{L"a\\\\b", L"\\\"x\"", L"c\\", L""}));
  EXPECT_EQ(Split(L"p /LOG=C:\\logs\\ /S"), (V{L"/LOG=C:\\logs\\", L"/S"}));
  EXPECT_EQ(Split(L"\"unclosed program /S"), V{});
  EXPECT_EQ(Split(L"p \"unclosed /S"), V{L"unclosed /S"});
}

// Switches in either spelling; a problem names the first argument that cannot be taken, and the
// rest is still read, so that /S and /LOG decide how it is reported.
TEST(CommandLineTest, SwitchesAndProblems) {
  using P = CommandLineProblem;
  struct Case {
    const wchar_t* line;
    P problem;
    const wchar_t* argument;
    bool silent, startHost, log;
    const wchar_t* logPath;
  };
  const Case cases[] = {
      {L"p", P::None, L"", false, false, false, L""},
      {L"p -s -Start \"\" /log", P::None, L"", true, true, true, L""},
      {L"p /LoG=C:\\a=b.log", P::None, L"", false, false, true, L"C:\\a=b.log"},
      {L"p /Q /S /LOG=x.log", P::UnknownSwitch, L"/Q", true, false, true, L"x.log"},
      {L"p /S=1", P::UnknownSwitch, L"/S=1", false, false, false, L""},
      {L"p /LOG:C:\\a.log", P::UnknownSwitch, L"/LOG:C:\\a.log", false, false, false, L""},
      {L"p S /", P::UnknownSwitch, L"S", false, false, false, L""},
      {L"p /SILENT /X", P::UnknownSwitch, L"/SILENT", false, false, false, L""},
      {L"p /S -s", P::RepeatedSwitch, L"-s", true, false, false, L""},
      {L"p /LOG=a /LOG=b", P::RepeatedSwitch, L"/LOG=b", false, false, true, L"a"},
      {L"p /start", P::StartWithoutSilent, L"/start", false, true, false, L""},
      {L"p /LOG= /S", P::LogPathMissing, L"/LOG=", true, false, false, L""},
  };
  for (const Case& c : cases) {
    const WizardOptions o = ReadCommandLine(c.line);
    const std::string line = testing::PrintToString(std::wstring(c.line));
    EXPECT_EQ(o.problem, c.problem) << line;
    EXPECT_EQ(o.problemArgument, c.argument) << line;
    EXPECT_EQ(std::make_tuple(o.silent, o.startHost, o.log, o.logPath),
              std::make_tuple(c.silent, c.startHost, c.log, std::wstring(c.logPath)))
        << line;
    const std::wstring problem = DescribeCommandLineProblem(o);
    EXPECT_EQ(problem.empty(), c.problem == P::None) << line;
    EXPECT_EQ(problem.find(std::wstring(L"“") + c.argument + L"”") != std::wstring::npos, c.problem != P::None);
  }
  EXPECT_TRUE(ReadCommandLine(L"p /S -? /X").help);
}

// The switches in the box are the unattended Wine test's; here, that no exit code goes undocumented.
TEST(CommandLineTest, HelpDescribesEveryExitCode) {
  const std::wstring help = ComposeCommandLineHelp();
  for (int code : {0, 2, 3, 4, 5, 6}) {
    const wchar_t* meaning = nullptr;
    ASSERT_TRUE(DescribeUnattendedExit(code, meaning)) << code;
    EXPECT_NE(help.find(L"\r\n" + std::to_wstring(code) + L"\t" + meaning), std::wstring::npos) << code;
  }
  const wchar_t* meaning = nullptr;
  EXPECT_FALSE(DescribeUnattendedExit(1, meaning));
}

// --- The log's lines and name ---

TEST(RunLogFormatTest, TimeStampedOneLinePerEvent) {
  const LogTime t = {2024, 5, 1, 8, 3, 9, 7};
  EXPECT_EQ(FormatLogLine(t, L"状态：甲"), L"2024-05-01 08:03:09.007 状态：甲\r\n");
  EXPECT_EQ(FormatLogLine(t,
                          L"a\r\nb\nc\x2028"
                          L"d\x85"
                          L"e"),
            L"2024-05-01 08:03:09.007 a  b c d e\r\n");
  EXPECT_EQ(DefaultLogFileName(t, 1), L"pakorra-20240501-080309.log");
  EXPECT_EQ(DefaultLogFileName(t, 2), L"pakorra-20240501-080309-2.log");
  EXPECT_EQ(DefaultLogFileName({2024, 12, 31, 23, 59, 59, 999}, 1), L"pakorra-20241231-235959.log");
}

// --- The plan in the log's words ---

PackageEntry PlannedEntry(const std::wstring& id, EntryAction action, const std::wstring& target) {
  PackageEntry entry;
  entry.id = id;
  entry.ext = L".dic";
  entry.title = L"《" + id + L"》";
  entry.date = L"2009-11-13";
  entry.action = action;
  entry.targetPath = target;
  return entry;
}

TEST(PlanDescriptionTest, EveryContainerAndEntryWithDecisionTargetAndDates) {
  std::vector<PackageFile> files(2);
  files[0].path = L"C:\\pkg\\main.dir";
  files[0].entries = std::vector<PackageEntry>{PlannedEntry(L"new", EntryAction::Install, L"C:\\h\\new.dic"),
                                               PlannedEntry(L"old", EntryAction::Upgrade, L"C:\\h\\Old.dic"),
                                               PlannedEntry(L"same", EntryAction::Skip, L"C:\\h\\same.dic"),
                                               PlannedEntry(L"lost", EntryAction::Upgrade, L"C:\\h\\lost.dic")};
  (*files[0].entries)[0].date = L"2009.11.13";  // no namesake: the plan left its dots
  (*files[0].entries)[2].date.clear();
  files[1].path = L"C:\\pkg\\empty.dir";
  std::vector<InstalledDict> installed(3);
  installed[0].path = L"C:\\h\\Old.dic";
  installed[0].date = {2008, 1, 2, 0};
  installed[1].path = L"C:\\h\\same.dic";
  installed[1].date = {2010, 11, 13, 4};
  installed[2].path = L"C:\\h\\lost.dic";  // its stamp was unreadable: zero

  std::vector<std::wstring> lines;
  DescribePlan(files, installed, lines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{
                       L"词典包：C:\\pkg\\main.dir，4 个词典",
                       L"词典：new.dic《《new》》，日期 2009-11-13，安装到 C:\\h\\new.dic",
                       L"词典：old.dic《《old》》，日期 2009-11-13，升级 C:\\h\\Old.dic（已安装的日期 2008-01-02）",
                       L"词典：same.dic《《same》》，日期 （无），跳过 C:\\h\\same.dic（已安装的日期 2010-11-13-4）",
                       L"词典：lost.dic《《lost》》，日期 2009-11-13，升级 C:\\h\\lost.dic（已安装的日期 无法读取）",
                       L"词典包：C:\\pkg\\empty.dir，没有词典",
                   }));
}

// --- The logic, unattended ---

// The dialog's message queue: clicks wait here until the current message has been answered.
// The check box is the recorded surface's.
class QueuedAutomation : public WizardAutomation {
 public:
  explicit QueuedAutomation(Recorded& recorded) : recorded_(recorded) {}
  void PostClick(WizardControl button) override { queue.push_back(static_cast<int>(button)); }
  void SetTicked(WizardControl box, bool ticked) override { SetTickedOn(recorded_, box, ticked); }
  std::deque<int> queue;

 private:
  Recorded& recorded_;
};

class LogLines : public RunLog {
 public:
  void Write(const std::wstring& event) override { lines.push_back(event); }
  bool Has(const std::wstring& text) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.find(text) != l.npos; });
  }
  std::vector<std::wstring> lines;
};

class UnattendedTest : public ::testing::Test {
 protected:
  void Start(RunMode mode) {
    logic = std::make_unique<WizardLogic>(state, singleItem, recorded.surface, recorded.environment, automation, &log,
                                          mode);
    logic->CheckEnvironment();
  }
  // Runs the queued clicks as the message loop would, each through the command table.
  void DeliverClicks() {
    while (!automation.queue.empty()) {
      const int id = automation.queue.front();
      automation.queue.pop_front();
      intptr_t result = 0;
      logic->OnCommand(id, 0 /* BN_CLICKED */, result);
    }
  }
  intptr_t Report(unsigned message, const wchar_t* title = nullptr, intptr_t action = 0) {
    return logic->OnWorkerReport(message, title, action);
  }

  Recorded recorded;
  QueuedAutomation automation{recorded};
  LogLines log;
  WizardState state = WizardState::Initial;
  bool singleItem = false;
  std::unique_ptr<WizardLogic> logic;
};

TEST_F(UnattendedTest, WholeRunWithAFailureEndsWithFiveWithoutBoxOrHost) {
  Start(RunMode::Silent);
  EXPECT_EQ(state, WizardState::Welcome);
  EXPECT_EQ(automation.queue, std::deque<int>{static_cast<int>(WizardControl::Next)}) << "queued, not run inside";
  DeliverClicks();
  EXPECT_EQ(state, WizardState::Running);
  EXPECT_EQ(Report(WM_INSTALL_START), 1);
  EXPECT_EQ(Report(WM_ITEM_START, L"甲", 1), 1);
  EXPECT_EQ(Report(WM_ITEM_FAIL, L"甲", 1), 1) << "go on";
  EXPECT_EQ(Report(WM_UNPACK_FAIL, L"C:\\pkg\\b.dir"), 1) << "go on, at once";
  EXPECT_EQ(Report(WM_INSTALL_FINISH), 1);
  EXPECT_EQ(state, WizardState::Finished);
  EXPECT_TRUE(QuitCodes(recorded).empty()) << "the click on 完成 waits until the worker has its answer";
  EXPECT_FALSE(RunHostTicked(recorded)) << "without /START the box is cleared before the click";
  DeliverClicks();
  EXPECT_EQ(QuitCodes(recorded), std::vector<int>{5});
  EXPECT_EQ(HandOffs(recorded), 0);
  EXPECT_EQ(BoxCount(recorded), 0);
  EXPECT_TRUE(log.Has(L"状态：安装《甲》失败!"));
  EXPECT_TRUE(log.Has(L"状态：“C:\\pkg\\b.dir” 解压缩失败"));
  EXPECT_TRUE(log.Has(L"安装结束：成功 0 个，失败 2 个"));
  EXPECT_TRUE(log.Has(L"无人值守：完成，不启动 Lumidex"));
}

TEST_F(UnattendedTest, WorkerThatCannotStartEndsWithFive) {
  FailWorkerStart(recorded);
  Start(RunMode::SilentStartHost);
  DeliverClicks();
  EXPECT_EQ(QuitCodes(recorded), std::vector<int>{5});
  EXPECT_EQ(HandOffs(recorded), 0);
}

TEST_F(UnattendedTest, RunThatEndsWithoutItsEndReportEndsWithFive) {
  Start(RunMode::SilentStartHost);
  DeliverClicks();
  Report(WM_ITEM_START, L"甲", 1);
  logic->OnInstallAborted();
  EXPECT_EQ(state, WizardState::Incomplete);
  DeliverClicks();
  EXPECT_EQ(QuitCodes(recorded), std::vector<int>{5});
  EXPECT_EQ(HandOffs(recorded), 0) << "no hand-off after an incomplete run";
  EXPECT_TRUE(log.Has(L"状态：安装未能完成。"));
}

}  // namespace
