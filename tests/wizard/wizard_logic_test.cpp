// The wizard's pages, commands, state table and status lines, driven through a recording
// surface without a window. This is where what each page shows is checked; the tests of the
// real program only tell the pages apart.
#include "wizard/logic/wizard_logic.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/plan/inventory_records.h"
#include "engine/plan/plan_summary.h"
#include "tests/wizard/recording_surface.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_commands.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace {

using wizardtest::Wizard;
using C = WizardControl;
using S = WizardState;
using A = EntryAction;
namespace text = wizard_text;

constexpr int kNext = IDC_BTN_MAINDLG_NEXT;
constexpr int kDownload = IDC_BTN_MAINDLG_DOWNLOAD;
constexpr int kClose = IDC_BTN_MAINDLG_CLOSE;

const S kEveryPage[] = {S::Initial, S::Welcome, S::Running, S::Finished, S::UpToDate, S::HostMissing, S::Incomplete};

class WizardTest : public ::testing::Test, public Wizard {};

// Runs check(wizard, page) on a fresh wizard brought to each page but `skipped`.
template <typename Check>
void OnEveryPageBut(WizardState skipped, Check check) {
  for (WizardState page : kEveryPage) {
    if (page == skipped) continue;
    Wizard wizard;
    wizard.Reach(page);
    ASSERT_EQ(wizard.state, page);
    check(wizard, page);
  }
}

// --- The start-up check and the first pages ---

TEST_F(WizardTest, MissingHostShowsDownloadPageWithoutTakingStock) {
  Reach(S::HostMissing);
  EXPECT_EQ(state, S::HostMissing);
  EXPECT_EQ(environment.plannedCountCalls, 0);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Download, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), text::kHostMissing);
  EXPECT_EQ(Text(C::Download), text::kDownload);
  EXPECT_EQ(Text(C::Close), text::kClose);
  EXPECT_TRUE(surface.tipGrown);
  EXPECT_TRUE(surface.boxes.empty());
  EXPECT_TRUE(surface.quitCodes.empty());
}

TEST_F(WizardTest, NothingPlannedShowsUpToDatePageWithOnlyClose) {
  Reach(S::UpToDate);
  EXPECT_EQ(state, S::UpToDate);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), text::kUpToDate);
  EXPECT_EQ(Text(C::Close), text::kClose);
  EXPECT_TRUE(surface.tipGrown);
}

TEST_F(WizardTest, WelcomePageCarriesThePlanSummary) {
  environment.planSummary = L"安装《新华字典》升级《英汉大词典》";
  Reach(S::Welcome);
  EXPECT_EQ(state, S::Welcome);
  EXPECT_FALSE(singleItem);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Next, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), FormatText(text::kWelcomeFormat, environment.planSummary.c_str()));
  EXPECT_EQ(Text(C::Next), text::kNext);
  EXPECT_EQ(Text(C::Close), text::kCancel);
  EXPECT_TRUE(Enabled(C::Next));
  EXPECT_TRUE(surface.tipGrown);
}

// The welcome text's summary of a plan: its planned entries in order, Skip entries left out.
std::vector<PackageFile> PlannedFiles(const std::vector<std::pair<std::wstring, EntryAction>>& entries) {
  std::vector<PackageFile> files(2);  // the first without entries, as a container with none
  files[1].entries.emplace();
  for (const auto& [title, action] : entries) {
    PackageEntry entry;
    entry.title = title;
    entry.action = action;
    files[1].entries->push_back(entry);
  }
  return files;
}

TEST(PlanSummary, NamesPlannedEntriesInOrder) {
  std::wstring summary = L"stale";
  ComposePlanSummary(PlannedFiles({{L"新词典", A::Install}, {L"跳过", A::Skip}, {L"Old One", A::Upgrade}}), summary);
  EXPECT_EQ(summary, FormatText(plan_text::kPlanSummaryInstall, L"新词典") +
                         FormatText(plan_text::kPlanSummaryUpgrade, L"Old One"));
  ComposePlanSummary(PlannedFiles({{L"跳过", A::Skip}}), summary);
  EXPECT_EQ(summary, L"");
}

// However many entries a package plans, the summary stays short: whole pieces up to the limit,
// then the cut mark.
TEST(PlanSummary, HugePlanIsCutAtAWholePiece) {
  std::vector<std::pair<std::wstring, EntryAction>> entries;
  for (int i = 0; i < 5000; ++i) entries.emplace_back(L"Title" + std::to_wstring(i), A::Install);
  std::wstring summary;
  ComposePlanSummary(PlannedFiles(entries), summary);
  const std::wstring cut = plan_text::kPlanSummaryCut;
  const std::wstring first = FormatText(plan_text::kPlanSummaryInstall, L"Title0");
  EXPECT_LE(summary.size(), kPlanSummaryMaxChars + cut.size());
  ASSERT_GT(summary.size(), kPlanSummaryMaxChars / 2) << "filled up to near the limit";
  EXPECT_EQ(summary.compare(summary.size() - cut.size(), cut.size(), cut), 0);
  EXPECT_EQ(summary.compare(0, first.size(), first), 0);
  const std::wstring whole = summary.substr(0, summary.size() - cut.size());
  EXPECT_EQ(whole.back(), FormatText(plan_text::kPlanSummaryInstall, L"").back()) << "no piece is cut in two";
}

// Every text with a title, a path or the summary in it is filled this way; those may hold a "%"
// of their own.
TEST(TextFormat, FillsThePlaceholdersLiterally) {
  struct Case {
    const wchar_t* format;
    const wchar_t* argument;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"安装《%s》", L"%s %d %n", L"安装《%s %d %n》"},
      {L"安装《%s》", nullptr, L"安装《》"},
      {L"“%s” 与 %s", L"甲", L"“甲” 与 %s"},
      {L"没有占位", L"甲", L"没有占位"},
      {L"%s", L"", L""},
      {nullptr, L"甲", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatText(c.format, c.argument), c.text);
  // Several arguments fill the placeholders in turn; one's own "%s" is never filled by the next.
  EXPECT_EQ(FormatText(L"%s《%s》，%s", {L"a%s", L"%s", L"c"}), L"a%s《%s》，c");
  EXPECT_EQ(FormatText(L"%s与%s", {L"甲"}), L"甲与%s");
  EXPECT_EQ(FormatText(L"无", {L"甲", L"乙"}), L"无");
  const std::wstring longTitle(5000, L'词');
  EXPECT_EQ(FormatText(L"《%s》", longTitle.c_str()), L"《" + longTitle + L"》");
}

TEST_F(WizardTest, ExactlyOnePlannedEntryMeansSingleItemMode) {
  for (int planned : {1, 2, 1000}) {
    Wizard wizard;
    wizard.environment.plannedItems = planned;
    wizard.Reach(S::Welcome);
    EXPECT_EQ(wizard.state, S::Welcome) << planned;
    EXPECT_EQ(wizard.singleItem, planned == 1) << planned;
  }
}

TEST_F(WizardTest, FailedInventoryShowsFailBoxThenQuitsWithTwo) {
  for (int failure : {-1, -2, INT_MIN}) {
    Wizard wizard;
    wizard.environment.plannedItems = failure;
    wizard.logic.CheckEnvironment();
    ASSERT_EQ(wizard.surface.boxes.size(), 1u) << failure;
    EXPECT_EQ(wizard.surface.boxes[0].text, text::kStartupFailed);
    EXPECT_EQ(wizard.surface.boxes[0].caption, L"<default>");
    EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{2});
    EXPECT_TRUE(wizard.InOrder(L"box: " + std::wstring(text::kStartupFailed), L"quit"))
        << "the box first, then the end";
    EXPECT_EQ(wizard.state, S::Initial);
  }
}

// --- Next: the running page and the worker ---

TEST_F(WizardTest, NextInMultiItemModeSwapsTipForListThenStartsWorker) {
  environment.blockTotal = 1234;
  Reach(S::Welcome);
  EXPECT_EQ(Click(C::Next), 0);
  EXPECT_EQ(state, S::Running);
  EXPECT_EQ(Visible(), (std::set<C>{C::StatusList, C::Progress, C::Next, C::Close}));
  EXPECT_FALSE(Enabled(C::Next));
  EXPECT_FALSE(Enabled(C::Close));
  EXPECT_FALSE(surface.systemCloseEnabled);
  EXPECT_FALSE(surface.tipGrown);
  EXPECT_EQ(surface.progressMax, 1234u);
  EXPECT_EQ(environment.workerStarts, 1);
  EXPECT_TRUE(InOrder(L"range", L"start worker")) << "the worker's first step must find the range set";
}

TEST_F(WizardTest, NextInSingleItemModeKeepsTheTipTextAndNeverShowsTheList) {
  environment.plannedItems = 1;
  Reach(S::Running);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Progress, C::Next, C::Close}));
  EXPECT_FALSE(surface.tipGrown);
  EXPECT_EQ(environment.workerStarts, 1);
}

TEST_F(WizardTest, NextOutsideWelcomeDoesNothing) {
  OnEveryPageBut(S::Welcome, [](Wizard& wizard, WizardState page) {
    const int startsBefore = wizard.environment.workerStarts;
    const size_t logBefore = wizard.calls.size();
    bool handled = false;
    EXPECT_EQ(wizard.Command(kNext, kButtonClicked, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(wizard.state, page);
    EXPECT_EQ(wizard.environment.workerStarts, startsBefore);
    EXPECT_EQ(wizard.calls.size(), logBefore) << "state " << static_cast<int>(page);
  });
}

// --- The command table ---

TEST_F(WizardTest, OkAndCancelAreHandledWithAnyNotificationCode) {
  Reach(S::Running);  // where both are handled and do nothing
  bool handled = false;
  for (int code : {0, 1, 0x300, 0xFFFF}) {
    EXPECT_EQ(Command(kIdOk, code, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Command(kIdCancel, code, &handled), 1);
    EXPECT_TRUE(handled);
  }
  EXPECT_TRUE(surface.quitCodes.empty());
}

TEST_F(WizardTest, ButtonsAnswerOnlyClicks) {
  Reach(S::HostMissing);
  bool handled = true;
  for (int id : {kNext, kDownload, kClose}) {
    for (int code : {1, 5, 6, 7, 0x300}) {  // BN_PAINT, BN_SETFOCUS, BN_KILLFOCUS, ...
      Command(id, code, &handled);
      EXPECT_FALSE(handled) << id << " " << code;
    }
  }
  for (int id : {IDC_STC_MAINDLG_TIPINFO, IDC_PRG_MAINDLG_PROGRESS, IDC_LST_MAINDLG_STATUS, IDC_CHK_MAINDLG_RUNHOST, 0,
                 3, 0xFFFF}) {
    Command(id, kButtonClicked, &handled);
    EXPECT_FALSE(handled) << id;
  }
  EXPECT_TRUE(surface.quitCodes.empty());
  EXPECT_EQ(environment.downloadPagesOpened, 0);
}

TEST_F(WizardTest, CommandResultsFollowTheTable) {
  Reach(S::Welcome);
  EXPECT_EQ(Click(C::Download), 0);
  Reach(S::Welcome);
  EXPECT_EQ(Click(C::Close), 1);
  Reach(S::Welcome);
  EXPECT_EQ(Command(kIdOk, 0), 0);
  Reach(S::Welcome);
  EXPECT_EQ(Command(kIdCancel, 0), 1);
}

// --- The state table: what a command does on a page ---

// What one command did on a fresh wizard brought to `page`.
struct Outcome {
  std::vector<int> quitCodes;
  int handOffs = 0;
  int downloadPages = 0;
  bool lastCallQuits = false;  // quitting is the last step
  int repairs = 0;
};

Outcome After(WizardState page, int id) {
  Wizard wizard;
  wizard.Reach(page);
  wizard.Command(id, id == kIdOk || id == kIdCancel ? 0x1234 : kButtonClicked);
  EXPECT_EQ(wizard.state, page) << "a command that ends the wizard leaves its page as it is";
  return {wizard.surface.quitCodes, wizard.environment.handOffs, wizard.environment.downloadPagesOpened,
          !wizard.calls.empty() && wizard.calls.back() == L"quit", wizard.environment.repairs};
}

// Every end the user confirmed (the up-to-date and finished pages, left in any way) repairs what
// an interrupted run left, once, before the wizard ends; no other command writes into the host.
TEST(StateTable, ConfirmedEndsRepairOnceAndNothingElseDoes) {
  for (S page : kEveryPage) {
    for (int id : {kIdOk, kIdCancel, kNext, kDownload, kClose}) {
      if (page == S::Welcome && id == kNext) continue;  // starts the run (above)
      const Outcome outcome = After(page, id);
      const bool confirmedEnd = (page == S::UpToDate || page == S::Finished) && !outcome.quitCodes.empty();
      EXPECT_EQ(outcome.repairs, confirmedEnd ? 1 : 0) << static_cast<int>(page) << " " << id;
    }
  }
  EXPECT_EQ(After(S::UpToDate, kClose).quitCodes, std::vector<int>{1}) << "the repair changes no exit code";
}

// The worker uses the engine the dialog owns: nothing may end the wizard while it runs.
TEST(StateTable, NothingEndsTheWizardWhileTheWorkerRuns) {
  for (int id : {kIdOk, kIdCancel, kNext, kDownload, kClose}) {
    EXPECT_TRUE(After(S::Running, id).quitCodes.empty()) << id;
  }
}

// Esc, the close box, Alt+F4 and the system menu's Close end the wizard with 2, on every page but
// the running one, without handing off.
TEST(StateTable, CancelEndsWithTwo) {
  for (S page : {S::Initial, S::Welcome, S::Finished, S::UpToDate, S::HostMissing}) {
    const Outcome outcome = After(page, kIdCancel);
    EXPECT_EQ(outcome.quitCodes, std::vector<int>{2}) << static_cast<int>(page);
    EXPECT_TRUE(outcome.lastCallQuits);
    EXPECT_EQ(outcome.handOffs, 0);
  }
}

// Enter, the Cancel/Close button and a download button of a page that hides it end with 1.
TEST(StateTable, EnterAndTheButtonsEndWithOne) {
  for (S page : {S::Initial, S::Welcome, S::UpToDate}) {
    for (int id : {kIdOk, kDownload, kClose}) {
      const Outcome outcome = After(page, id);
      EXPECT_EQ(outcome.quitCodes, std::vector<int>{1}) << static_cast<int>(page) << " " << id;
      EXPECT_TRUE(outcome.lastCallQuits);
      EXPECT_EQ(outcome.downloadPages, 0);
    }
  }
}

// Only the Finish button hands off (below); Enter on the finished page ends without it.
TEST(StateTable, OnlyFinishHandsOff) {
  for (int id : {kIdOk, kIdCancel, kDownload}) EXPECT_EQ(After(S::Finished, id).handOffs, 0) << id;
  EXPECT_EQ(After(S::Finished, kIdOk).quitCodes, std::vector<int>{1});
}

// The download button opens the page only where the host is missing (below).
TEST(StateTable, DownloadOpensThePageOnlyWhereTheHostIsMissing) {
  EXPECT_EQ(After(S::HostMissing, kClose).downloadPages, 0);
  EXPECT_EQ(After(S::Finished, kDownload).downloadPages, 0);
}

// A run that did not complete ends with 2 whichever way the wizard is closed, and never hands off.
TEST(StateTable, AnIncompleteRunEndsWithTwoHoweverItIsClosed) {
  for (int id : {kIdOk, kIdCancel, kDownload, kClose}) {
    const Outcome outcome = After(S::Incomplete, id);
    EXPECT_EQ(outcome.quitCodes, std::vector<int>{2}) << id;
    EXPECT_EQ(outcome.handOffs, 0);
  }
  EXPECT_TRUE(After(S::Incomplete, kNext).quitCodes.empty());
}

TEST_F(WizardTest, FinishWithTickedBoxHidesDialogThenHandsOffThenQuits) {
  Reach(S::Finished);
  EXPECT_EQ(Click(C::Close), 1);
  EXPECT_TRUE(InOrder(L"repair", L"hide dialog")) << "the host started finds what the repair put back";
  EXPECT_TRUE(InOrder(L"hide dialog", L"hand-off"));
  EXPECT_TRUE(InOrder(L"hand-off", L"quit"));
  EXPECT_EQ(surface.quitCodes, std::vector<int>{1});
}

TEST_F(WizardTest, FinishWithUntickedBoxEndsWithoutHandOff) {
  Reach(S::Finished);
  surface.controls[C::RunHost].ticked = false;  // the user un-ticked it
  Click(C::Close);
  EXPECT_EQ(environment.handOffs, 0);
  EXPECT_TRUE(surface.dialogVisible);
  EXPECT_EQ(surface.quitCodes, std::vector<int>{1});
}

TEST_F(WizardTest, DownloadOpensThePageBeforeQuitting) {
  Reach(S::HostMissing);
  Click(C::Download);
  EXPECT_TRUE(InOrder(L"open download page", L"quit"));
  EXPECT_EQ(surface.quitCodes, std::vector<int>{1});
}

// --- The worker's reports ---

const std::wstring kTitle = L"新编双解";

struct ItemCase {
  const char* name;
  void (*report)(WizardLogic&, const std::wstring&, EntryAction);
  EntryAction action;
  const wchar_t* format;
};

void Started(WizardLogic& logic, const std::wstring& title, EntryAction action) { logic.ItemStarted(title, action); }
void Succeeded(WizardLogic& logic, const std::wstring& title, EntryAction action) {
  logic.ItemSucceeded(title, action);
}
void Failed(WizardLogic& logic, const std::wstring& title, EntryAction action) {
  EXPECT_TRUE(logic.ItemFailed(title, action)) << "the run goes on";
}

const ItemCase kItemCases[] = {
    {"InstallStarted", Started, A::Install, text::kInstallStarting},
    {"UpgradeStarted", Started, A::Upgrade, text::kUpgradeStarting},
    {"InstallSucceeded", Succeeded, A::Install, text::kInstallSucceeded},
    {"UpgradeSucceeded", Succeeded, A::Upgrade, text::kUpgradeSucceeded},
    {"InstallFailed", Failed, A::Install, text::kInstallFailed},
    {"UpgradeFailed", Failed, A::Upgrade, text::kUpgradeFailed},
};

class ItemReportTest : public ::testing::TestWithParam<std::tuple<ItemCase, bool>> {};

TEST_P(ItemReportTest, WritesItsLineWhereTheModeShowsIt) {
  const auto [report, single] = GetParam();
  Wizard wizard;
  wizard.environment.plannedItems = single ? 1 : 3;
  wizard.Reach(S::Running);
  const std::wstring tipBefore = wizard.Text(C::TipInfo);
  report.report(wizard.logic, kTitle, report.action);
  const std::wstring line = FormatText(report.format, kTitle.c_str());
  if (single) {
    EXPECT_EQ(wizard.Text(C::TipInfo), line);
    EXPECT_TRUE(wizard.surface.listLines.empty());
  } else {
    EXPECT_EQ(wizard.surface.listLines, std::vector<std::wstring>{line});
    EXPECT_EQ(wizard.Text(C::TipInfo), tipBefore);
  }
  EXPECT_EQ(wizard.state, S::Running);
}

INSTANTIATE_TEST_SUITE_P(Lines, ItemReportTest, ::testing::Combine(::testing::ValuesIn(kItemCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<ItemCase, bool>>& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_SingleItem" : "_MultiItem");
                         });

// The worker reports Install and Upgrade entries only: a Skip entry gets no line and does not
// count.
TEST_F(WizardTest, ReportsOfOtherActionsGetNoLine) {
  Reach(S::Running);
  logic.ItemStarted(kTitle, A::Skip);
  logic.ItemSucceeded(kTitle, A::Skip);
  EXPECT_FALSE(logic.ItemFailed(kTitle, A::Skip));
  EXPECT_TRUE(surface.listLines.empty());
  logic.RunFinished(0);
  EXPECT_EQ(log.lines.back(), FormatText(log_text::kRunFinished, L"0")) << "neither a success nor a failure";
}

TEST_F(WizardTest, SingleItemLinesReplaceEachOther) {
  environment.plannedItems = 1;
  Reach(S::Running);
  logic.ItemStarted(L"甲", A::Install);
  logic.ItemSucceeded(L"甲", A::Install);
  EXPECT_EQ(Text(C::TipInfo), FormatText(text::kInstallSucceeded, L"甲"));
  EXPECT_TRUE(surface.listLines.empty());
}

TEST_F(WizardTest, MultiItemLinesStayInOrder) {
  Reach(S::Running);
  logic.ItemStarted(L"甲", A::Install);
  logic.ItemSucceeded(L"甲", A::Install);
  logic.ItemStarted(L"乙", A::Upgrade);
  logic.ItemFailed(L"乙", A::Upgrade);
  EXPECT_EQ(
      surface.listLines,
      (std::vector<std::wstring>{FormatText(text::kInstallStarting, L"甲"), FormatText(text::kInstallSucceeded, L"甲"),
                                 FormatText(text::kUpgradeStarting, L"乙"), FormatText(text::kUpgradeFailed, L"乙")}));
}

TEST_F(WizardTest, StartAndStepsMoveTheBar) {
  environment.blockTotal = 3;
  Reach(S::Running);
  surface.progressPos = 2;  // as if left over
  logic.RunStarted();
  EXPECT_EQ(surface.progressPos, 0u);
  for (int i = 0; i < 5; ++i) logic.Step();
  EXPECT_EQ(surface.progressPos, 3u) << "steps beyond the maximum leave the bar full";
  EXPECT_EQ(state, S::Running);
}

TEST_F(WizardTest, FinishFillsTheBarThenShowsFinishedPage) {
  for (bool single : {false, true}) {
    Wizard wizard;
    wizard.environment.plannedItems = single ? 1 : 2;
    wizard.environment.blockTotal = 77;
    wizard.Reach(S::Running);
    wizard.logic.RunStarted();
    wizard.logic.RunFinished(0);
    EXPECT_EQ(wizard.state, S::Finished);
    EXPECT_EQ(wizard.surface.progressPos, 77u);
    EXPECT_EQ(wizard.Visible(), (std::set<C>{single ? C::TipInfo : C::StatusList, C::RunHost, C::Close}));
    EXPECT_EQ(wizard.Text(C::RunHost), text::kRunHost);
    EXPECT_TRUE(wizard.surface.controls[C::RunHost].ticked);
    EXPECT_EQ(wizard.Text(C::Close), text::kFinish);
    EXPECT_TRUE(wizard.Enabled(C::Close));
    EXPECT_TRUE(wizard.Enabled(C::Next));
    EXPECT_TRUE(wizard.surface.systemCloseEnabled);
  }
}

TEST_F(WizardTest, UnpackFailureGoesToTheListThenABoxInBothModes) {
  for (bool single : {false, true}) {
    Wizard wizard;
    wizard.environment.plannedItems = single ? 1 : 4;
    wizard.Reach(S::Running);
    wizard.logic.ItemStarted(L"甲", A::Install);
    const std::wstring tipBefore = wizard.Text(C::TipInfo);
    EXPECT_TRUE(wizard.logic.UnpackFailed(L"C:\\包\\a.dir")) << "the run goes on";
    const std::wstring line = FormatText(text::kUnpackFailed, L"C:\\包\\a.dir");
    EXPECT_EQ(wizard.surface.listLines.back(), line);
    ASSERT_EQ(wizard.surface.boxes.size(), 1u);
    EXPECT_EQ(wizard.surface.boxes[0].text, line);
    EXPECT_EQ(wizard.surface.boxes[0].caption, text::kErrorCaption);
    EXPECT_TRUE(wizard.InOrder(L"list: " + line, L"box: " + line)) << "the line is in the list while the box is up";
    EXPECT_EQ(wizard.Text(C::TipInfo), tipBefore) << "single-item mode leaves the tip text";
    EXPECT_EQ(wizard.surface.controls[C::StatusList].visible, !single);
    EXPECT_EQ(wizard.state, S::Running);
  }
}

// --- A run that does not complete ---

TEST_F(WizardTest, AbortedRunUnlocksCloseWithALastLine) {
  Reach(S::Running);
  logic.ItemStarted(L"甲", A::Install);
  logic.RunAborted();
  EXPECT_EQ(state, S::Incomplete);
  EXPECT_EQ(surface.listLines.back(), text::kRunIncomplete);
  EXPECT_TRUE(InOrder(L"list: " + std::wstring(text::kRunIncomplete), L"reveal last line"));
  EXPECT_EQ(Text(C::Close), text::kClose);
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  EXPECT_EQ(Visible(), (std::set<C>{C::StatusList, C::Progress, C::Close}));
}

TEST_F(WizardTest, AbortedSingleItemRunSaysSoInTheTipText) {
  environment.plannedItems = 1;
  Reach(S::Running);
  logic.RunAborted();
  EXPECT_EQ(Text(C::TipInfo), text::kRunIncomplete);
  EXPECT_TRUE(surface.listLines.empty());
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Progress, C::Close}));
}

TEST_F(WizardTest, WorkerThatCannotStartLeavesTheWizardClosable) {
  environment.workerStartSucceeds = false;
  Reach(S::Running);
  EXPECT_EQ(state, S::Incomplete);
  EXPECT_EQ(surface.listLines, std::vector<std::wstring>{text::kRunIncomplete});
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  Click(C::Close);
  EXPECT_EQ(surface.quitCodes, std::vector<int>{2});
  EXPECT_EQ(environment.handOffs, 0);
}

TEST_F(WizardTest, AbortOutsideARunChangesNothing) {
  OnEveryPageBut(S::Running, [](Wizard& wizard, WizardState page) {
    const size_t before = wizard.calls.size();
    wizard.logic.RunAborted();
    EXPECT_EQ(wizard.calls.size(), before) << "state " << static_cast<int>(page);
    EXPECT_EQ(wizard.state, page);
  });
}

}  // namespace
