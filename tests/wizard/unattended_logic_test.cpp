// The unattended run and the log, without a window: the command line, the log's lines and name,
// the plan in the log's words, and the wizard's logic clicking for itself through a queue that
// stands for the dialog's message queue.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "tests/wizard/recording_surface.h"
#include "wizard/logic/command_line.h"
#include "wizard/logic/plan_description.h"
#include "wizard/logic/run_log_format.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/unattended.h"
#include "wizard/logic/wizard_logic.h"
#include "wizard/logic/wizard_texts.h"

namespace {

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
                                               PlannedEntry(L"lost", EntryAction::Upgrade, L"C:\\h\\lost.dic"),
                                               PlannedEntry(L"pair", EntryAction::Skip, L"C:\\h\\pair.dic")};
  (*files[0].entries)[0].date = L"2009.11.13";  // no namesake: the plan left its dots
  (*files[0].entries)[2].date.clear();
  files[1].path = L"C:\\pkg\\empty.dir";
  std::vector<InstalledDict> installed(4);
  installed[0].path = L"C:\\h\\Old.dic";
  installed[0].date = {2008, 1, 2, 0};
  installed[1].path = L"C:\\h\\same.dic";
  installed[1].date = {2010, 11, 13, 4};
  installed[2].path = L"C:\\h\\lost.dic";  // its stamp was unreadable: zero
  installed[3].path = L"C:\\h\\pair.dic";  // beside its backup, whose stamp is told too
  installed[3].date = {2011, 2, 3, 0};
  installed[3].backupBeside = true;
  installed[3].backupDate = {2007, 5, 6, 0};

  std::vector<std::wstring> lines;
  DescribePlan(files, installed, lines);
  // An entry's line, by its id, date and decision on its target.
  const auto entry = [](const std::wstring& id, const wchar_t* date, const wchar_t* decision, const wchar_t* target) {
    return FormatText(log_text::kEntry, {id + L".dic", L"《" + id + L"》", date, FormatText(decision, target)});
  };
  const auto installedOn = [](const wchar_t* date) { return FormatText(log_text::kInstalledDate, date); };
  EXPECT_EQ(lines,
            (std::vector<std::wstring>{
                FormatText(log_text::kContainer, {L"C:\\pkg\\main.dir", FormatText(log_text::kContainerEntries, L"5")}),
                entry(L"new", L"2009-11-13", log_text::kInstallTo, L"C:\\h\\new.dic"),
                entry(L"old", L"2009-11-13", log_text::kUpgrade, L"C:\\h\\Old.dic") + installedOn(L"2008-01-02"),
                entry(L"same", log_text::kNoDate, log_text::kSkip, L"C:\\h\\same.dic") + installedOn(L"2010-11-13-4"),
                entry(L"lost", L"2009-11-13", log_text::kUpgrade, L"C:\\h\\lost.dic") +
                    installedOn(log_text::kDateUnreadable),
                entry(L"pair", L"2009-11-13", log_text::kSkip, L"C:\\h\\pair.dic") + installedOn(L"2011-02-03") +
                    FormatText(log_text::kBackupDate, L"2007-05-06"),
                FormatText(log_text::kContainer, {L"C:\\pkg\\empty.dir", log_text::kContainerEmpty}),
            }));
}

// --- The logic, unattended ---

std::wstring Status(const std::wstring& line) { return FormatText(log_text::kStatus, line.c_str()); }

using wizardtest::Wizard;
using S = WizardState;

TEST(UnattendedTest, WholeRunWithAFailureEndsWithFiveWithoutBoxOrHost) {
  Wizard wizard(RunMode::Silent);
  wizard.logic.CheckEnvironment();
  EXPECT_EQ(wizard.state, S::Welcome);
  EXPECT_EQ(wizard.automation.queue, std::deque<WizardControl>{WizardControl::Next}) << "queued, not run inside";
  wizard.DeliverClicks();
  EXPECT_EQ(wizard.state, S::Running);
  wizard.logic.RunStarted();
  wizard.logic.ItemStarted(L"甲", EntryAction::Install);
  EXPECT_TRUE(wizard.logic.ItemFailed(L"甲", EntryAction::Install)) << "go on";
  EXPECT_TRUE(wizard.logic.UnpackFailed(L"C:\\pkg\\b.dir")) << "go on, at once";
  wizard.logic.RunFinished(0);
  EXPECT_EQ(wizard.state, S::Finished);
  EXPECT_TRUE(wizard.surface.quitCodes.empty()) << "the click on Finish waits until the worker has its answer";
  EXPECT_FALSE(wizard.surface.IsTicked(WizardControl::RunHost)) << "without /START the box is cleared before the click";
  wizard.DeliverClicks();
  EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{5});
  EXPECT_EQ(wizard.environment.handOffs, 0);
  EXPECT_TRUE(wizard.surface.boxes.empty());
  EXPECT_TRUE(wizard.log.Has(Status(FormatText(wizard_text::kInstallFailed, L"甲"))));
  EXPECT_TRUE(wizard.log.Has(Status(FormatText(wizard_text::kUnpackFailed, L"C:\\pkg\\b.dir"))));
  EXPECT_TRUE(wizard.log.Has(FormatText(log_text::kRunFinished, L"0") + FormatText(log_text::kRunFailures, L"2")));
  EXPECT_TRUE(wizard.log.Has(std::wstring(log_text::kUnattendedFinish) + log_text::kLeavesHost));
}

// Nothing to install is an end as well: what an interrupted run left is put in order before the
// run ends with 0, and the log says so.
TEST(UnattendedTest, NothingToDoRepairsThenEndsWithZero) {
  Wizard wizard(RunMode::Silent);
  wizard.environment.plannedItems = 0;
  wizard.logic.CheckEnvironment();
  EXPECT_EQ(wizard.state, S::UpToDate);
  EXPECT_EQ(wizard.environment.repairs, 0) << "not inside the start-up check";
  wizard.DeliverClicks();
  EXPECT_EQ(wizard.environment.repairs, 1);
  EXPECT_TRUE(wizard.InOrder(L"repair", L"quit"));
  EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{0});
  EXPECT_TRUE(wizard.log.Has(log_text::kRepair));
}

TEST(UnattendedTest, WorkerThatCannotStartEndsWithFive) {
  Wizard wizard(RunMode::SilentStartHost);
  wizard.environment.workerStartSucceeds = false;
  wizard.logic.CheckEnvironment();
  wizard.DeliverClicks();
  EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{5});
  EXPECT_EQ(wizard.environment.handOffs, 0);
}

TEST(UnattendedTest, RunThatEndsWithoutItsEndReportEndsWithFive) {
  Wizard wizard(RunMode::SilentStartHost);
  wizard.logic.CheckEnvironment();
  wizard.DeliverClicks();
  wizard.logic.ItemStarted(L"甲", EntryAction::Install);
  wizard.logic.RunAborted();
  EXPECT_EQ(wizard.state, S::Incomplete);
  wizard.DeliverClicks();
  EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{5});
  EXPECT_EQ(wizard.environment.handOffs, 0) << "no hand-off after an incomplete run";
  EXPECT_TRUE(wizard.log.Has(Status(wizard_text::kRunIncomplete)));
}

// --- The exit code ---

// Every way a process ends, in both modes: interactively the dialog's quit code, or 0; unattended
// always a code of the documented table, from the page reached and the failures.
TEST(ExitCodeTest, OneDecisionForEveryEnd) {
  using O = WizardOutcome;
  constexpr RunMode kI = RunMode::Interactive;
  constexpr RunMode kS = RunMode::Silent;
  constexpr RunMode kSH = RunMode::SilentStartHost;
  struct Row {
    RunMode mode;
    O outcome;
    DialogEnd end;  // quit code, page, failures, unregistered
    int code;
  };
  // clang-format off
  const Row rows[] = {
      {kI,  O::HelpShown,        {},                         0},
      {kS,  O::HelpShown,        {},                         0},
      {kI,  O::BadCommandLine,   {},                         2},
      {kSH, O::BadCommandLine,   {},                         2},
      {kI,  O::OtherWizardRuns,  {},                         0},
      {kS,  O::OtherWizardRuns,  {},                         6},
      {kI,  O::NoDialog,         {},                         0},
      {kS,  O::NoDialog,         {},                         5},
      {kI,  O::DialogEnded,      {1, S::Finished, 3, 0},     1},
      {kI,  O::DialogEnded,      {2, S::Initial, 0, 0},      2},
      {kI,  O::EndedFromOutside, {7, S::Running, 0, 0},      7},
      {kS,  O::DialogEnded,      {1, S::Finished, 0, 0},     0},
      {kS,  O::DialogEnded,      {1, S::Finished, 2, 0},     5},
      {kSH, O::DialogEnded,      {1, S::Finished, 0, 1},     5},
      {kS,  O::DialogEnded,      {1, S::UpToDate, 0, 0},     0},
      {kS,  O::DialogEnded,      {1, S::HostMissing, 0, 0},  3},
      {kS,  O::DialogEnded,      {2, S::Initial, 0, 0},      4},
      {kSH, O::DialogEnded,      {1, S::Incomplete, 0, 0},   5},
      {kS,  O::EndedFromOutside, {7, S::Running, 0, 0},      5},
      {kSH, O::EndedFromOutside, {0, S::Finished, 0, 0},     0},
  };
  // clang-format on
  for (const Row& row : rows) {
    const int code = DecideExitCode(row.mode, row.outcome, row.end);
    EXPECT_EQ(code, row.code) << static_cast<int>(row.mode) << " " << static_cast<int>(row.outcome) << " "
                              << static_cast<int>(row.end.page);
    const wchar_t* meaning = nullptr;
    if (row.mode != kI) {
      EXPECT_TRUE(DescribeUnattendedExit(code, meaning)) << code;
    }
  }
}

}  // namespace
