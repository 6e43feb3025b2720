// The wizard's pages, commands, state table and status lines, driven through a recording
// surface without a window. This is where what each page shows is checked; the tests of the
// real program only tell the pages apart.
#include "wizard/logic/wizard_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>

#include "engine/plan/install_messages.h"
#include "engine/plan/inventory_records.h"
#include "tests/support/expected_texts.h"
#include "tests/wizard/recording_surface.h"
#include "wizard/logic/wizard_commands.h"
#include "wizard/res/resource.h"

namespace {

using wizardtest::FakeEnvironment;
using wizardtest::RecordingSurface;
using C = WizardControl;
using S = WizardState;

constexpr int kNext = IDC_BTN_MAINDLG_NEXT;
constexpr int kDownload = IDC_BTN_MAINDLG_DOWNLOAD;
constexpr int kClose = IDC_BTN_MAINDLG_CLOSE;
constexpr intptr_t kInstall = static_cast<intptr_t>(EntryAction::Install);
constexpr intptr_t kUpgrade = static_cast<intptr_t>(EntryAction::Upgrade);

const S kEveryPage[] = {S::Initial, S::Welcome, S::Running, S::Finished, S::UpToDate, S::HostMissing, S::Incomplete};

// One wizard: its logic on a recording surface and a scripted environment.
struct Wizard {
  std::vector<std::wstring> log;
  RecordingSurface surface{log};
  FakeEnvironment environment{log};
  WizardState state = S::Initial;
  bool singleItem = false;
  WizardLogic logic{state, singleItem, surface, environment};

  // Brings the wizard to a page the way the user would get there.
  void Reach(WizardState target) {
    if (target == S::Initial) return;
    if (target == S::HostMissing) environment.hostInstalled = false;
    if (target == S::UpToDate) environment.plannedItems = 0;
    logic.CheckEnvironment();
    if (target == S::Running || target == S::Finished || target == S::Incomplete) Click(kNext);
    if (target == S::Finished) {
      logic.OnWorkerReport(WM_INSTALL_START, nullptr, 0);
      logic.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0);
    }
    if (target == S::Incomplete) logic.OnInstallAborted();
  }

  intptr_t Command(int id, int notification, bool* handled = nullptr) {
    intptr_t result = -77;
    const bool wasHandled = logic.OnCommand(id, notification, result);
    if (handled) *handled = wasHandled;
    return result;
  }
  intptr_t Click(int id) { return Command(id, kButtonClicked); }

  std::set<C> Visible() const {
    std::set<C> visible;
    for (const auto& [control, s] : surface.controls)
      if (s.visible) visible.insert(control);
    return visible;
  }
  const std::wstring& Text(C c) { return surface.controls[c].text; }
  bool Enabled(C c) { return surface.controls[c].enabled; }
  // Whether the log holds `first`, and `then` after it.
  bool InOrder(const std::wstring& first, const std::wstring& then) const {
    const auto at = std::find(log.begin(), log.end(), first);
    return at != log.end() && std::find(at, log.end(), then) != log.end();
  }
};

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
  EXPECT_EQ(Text(C::TipInfo), expected::kHostMissingText);
  EXPECT_EQ(Text(C::Download), expected::kDownload);
  EXPECT_EQ(Text(C::Close), expected::kClose);
  EXPECT_TRUE(surface.tipGrown);
  EXPECT_TRUE(surface.boxes.empty());
  EXPECT_TRUE(surface.quitCodes.empty());
}

TEST_F(WizardTest, NothingPlannedShowsUpToDatePageWithOnlyClose) {
  Reach(S::UpToDate);
  EXPECT_EQ(state, S::UpToDate);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), expected::kUpToDateText);
  EXPECT_EQ(Text(C::Close), expected::kClose);
  EXPECT_TRUE(surface.tipGrown);
}

TEST_F(WizardTest, WelcomePageCarriesThePlanSummary) {
  environment.planSummary = L"安装《新华字典》升级《英汉大词典》";
  Reach(S::Welcome);
  EXPECT_EQ(state, S::Welcome);
  EXPECT_FALSE(singleItem);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Next, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), expected::WelcomeText(environment.planSummary));
  EXPECT_EQ(Text(C::Next), expected::kNext);
  EXPECT_EQ(Text(C::Close), expected::kCancel);
  EXPECT_TRUE(Enabled(C::Next));
  EXPECT_TRUE(surface.tipGrown);
}

TEST_F(WizardTest, SummaryWithPercentSignsIsTakenLiterally) {
  environment.planSummary = L"安装《%s %d %n》";
  Reach(S::Welcome);
  EXPECT_EQ(Text(C::TipInfo), expected::WelcomeText(environment.planSummary));
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
    EXPECT_EQ(wizard.surface.boxes[0].text, expected::kStartupFailed);
    EXPECT_EQ(wizard.surface.boxes[0].caption, L"<default>");
    EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{2});
    EXPECT_TRUE(wizard.InOrder(L"box: " + expected::kStartupFailed, L"quit")) << "the box first, then the end";
    EXPECT_EQ(wizard.state, S::Initial);
  }
}

// --- Next: the running page and the worker ---

TEST_F(WizardTest, NextInMultiItemModeSwapsTipForListThenStartsWorker) {
  environment.blockTotal = 1234;
  Reach(S::Welcome);
  EXPECT_EQ(Click(kNext), 0);
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

TEST_F(WizardTest, ProgressRangeCarriesTotalsBeyondSixteenBits) {
  for (uint32_t total : {0u, 65535u, 65536u, 70000u, 0xFFFFFFFFu}) {
    Wizard wizard;
    wizard.environment.blockTotal = total;
    wizard.Reach(S::Finished);
    EXPECT_EQ(wizard.surface.progressMax, total);
    EXPECT_EQ(wizard.surface.progressPos, total) << "the bar ends full";
  }
}

TEST_F(WizardTest, NextOutsideWelcomeDoesNothing) {
  OnEveryPageBut(S::Welcome, [](Wizard& wizard, WizardState page) {
    const int startsBefore = wizard.environment.workerStarts;
    const size_t logBefore = wizard.log.size();
    bool handled = false;
    EXPECT_EQ(wizard.Command(kNext, kButtonClicked, &handled), 0);
    EXPECT_TRUE(handled);
    EXPECT_EQ(wizard.state, page);
    EXPECT_EQ(wizard.environment.workerStarts, startsBefore);
    EXPECT_EQ(wizard.log.size(), logBefore) << "state " << static_cast<int>(page);
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
  EXPECT_EQ(Click(kDownload), 0);
  Reach(S::Welcome);
  EXPECT_EQ(Click(kClose), 1);
  Reach(S::Welcome);
  EXPECT_EQ(Command(kIdOk, 0), 0);
  Reach(S::Welcome);
  EXPECT_EQ(Command(kIdCancel, 0), 1);
}

// --- Every command on every page, against the rules a user meets ---

struct Outcome {
  int quitCode = 0;  // 0: the wizard goes on
  bool handOff = false;
  bool download = false;
  bool startsWorker = false;
};

// Nothing closes the wizard while the worker runs; Next acts on the welcome page only; a run
// that did not complete ends with 2 however it is closed; otherwise Esc and the close box end
// with 2 and everything else with 1, the Finish button handing off (its box is ticked) and the
// download button on the host-missing page opening the download page.
Outcome Rule(WizardState page, int id) {
  Outcome outcome;
  if (page == S::Running) return outcome;
  if (id == kNext) {
    outcome.startsWorker = page == S::Welcome;
    return outcome;
  }
  outcome.quitCode = page == S::Incomplete || id == kIdCancel ? 2 : 1;
  outcome.handOff = page == S::Finished && id == kClose;
  outcome.download = page == S::HostMissing && id == kDownload;
  return outcome;
}

class StateTableTest : public ::testing::TestWithParam<std::tuple<WizardState, int>> {};

TEST_P(StateTableTest, CommandOnPage) {
  const auto [page, id] = GetParam();
  const Outcome expected = Rule(page, id);
  Wizard wizard;
  wizard.Reach(page);
  ASSERT_EQ(wizard.state, page);
  const int startsBefore = wizard.environment.workerStarts;
  wizard.Command(id, id == kIdOk || id == kIdCancel ? 0x1234 : kButtonClicked);
  if (expected.quitCode) {
    EXPECT_EQ(wizard.surface.quitCodes, std::vector<int>{expected.quitCode});
    EXPECT_EQ(wizard.log.back(), L"quit") << "quitting is the last step";
    EXPECT_EQ(wizard.state, page);
  } else {
    EXPECT_TRUE(wizard.surface.quitCodes.empty());
    EXPECT_EQ(wizard.state, expected.startsWorker ? S::Running : page);
  }
  EXPECT_EQ(wizard.environment.handOffs, expected.handOff ? 1 : 0);
  EXPECT_EQ(wizard.environment.downloadPagesOpened, expected.download ? 1 : 0);
  EXPECT_EQ(wizard.environment.workerStarts, startsBefore + (expected.startsWorker ? 1 : 0));
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<WizardState, int>>& info) {
  static const char* const kPages[] = {"Initial",  "Welcome",     "Running",   "Finished",
                                       "UpToDate", "HostMissing", "Incomplete"};
  const auto [page, id] = info.param;
  const char* command = id == kIdOk       ? "Ok"
                        : id == kIdCancel ? "Cancel"
                        : id == kNext     ? "Next"
                        : id == kDownload ? "Download"
                                          : "Close";
  return std::string(kPages[static_cast<int>(page)]) + "_" + command;
}

INSTANTIATE_TEST_SUITE_P(EveryPageAndCommand, StateTableTest,
                         ::testing::Combine(::testing::ValuesIn(kEveryPage),
                                            ::testing::Values(kIdOk, kIdCancel, kNext, kDownload, kClose)),
                         CaseName);

TEST_F(WizardTest, FinishWithTickedBoxHidesDialogThenHandsOffThenQuits) {
  Reach(S::Finished);
  EXPECT_EQ(Click(kClose), 1);
  EXPECT_TRUE(InOrder(L"hide dialog", L"hand-off"));
  EXPECT_TRUE(InOrder(L"hand-off", L"quit"));
  EXPECT_EQ(surface.quitCodes, std::vector<int>{1});
}

TEST_F(WizardTest, FinishWithUntickedBoxEndsWithoutHandOff) {
  Reach(S::Finished);
  surface.controls[C::RunHost].ticked = false;  // the user un-ticked it
  Click(kClose);
  EXPECT_EQ(environment.handOffs, 0);
  EXPECT_TRUE(surface.dialogVisible);
  EXPECT_EQ(surface.quitCodes, std::vector<int>{1});
}

TEST_F(WizardTest, DownloadOpensThePageBeforeQuitting) {
  Reach(S::HostMissing);
  Click(kDownload);
  EXPECT_TRUE(InOrder(L"open download page", L"quit"));
}

// --- The worker's reports ---

struct ReportCase {
  unsigned message;
  intptr_t action;
  std::wstring line;  // empty: no line, answer 0
};

class WorkerReportTest : public ::testing::TestWithParam<std::tuple<ReportCase, bool>> {};

TEST_P(WorkerReportTest, ItemReportWritesItsLineAndAnswers) {
  const auto [report, single] = GetParam();
  Wizard wizard;
  wizard.environment.plannedItems = single ? 1 : 3;
  wizard.Reach(S::Running);
  const std::wstring tipBefore = wizard.Text(C::TipInfo);
  const intptr_t answer = wizard.logic.OnWorkerReport(report.message, L"新编双解", report.action);
  if (report.line.empty()) {
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(wizard.surface.listLines.empty());
    EXPECT_EQ(wizard.Text(C::TipInfo), tipBefore);
    return;
  }
  EXPECT_EQ(answer, 1);
  if (single) {
    EXPECT_EQ(wizard.Text(C::TipInfo), report.line);
    EXPECT_TRUE(wizard.surface.listLines.empty());
  } else {
    EXPECT_EQ(wizard.surface.listLines, std::vector<std::wstring>{report.line});
    EXPECT_EQ(wizard.Text(C::TipInfo), tipBefore);
  }
  EXPECT_EQ(wizard.state, S::Running);
}

const std::wstring kTitle = L"新编双解";

INSTANTIATE_TEST_SUITE_P(
    Lines, WorkerReportTest,
    ::testing::Combine(::testing::Values(ReportCase{WM_ITEM_START, kInstall, expected::Installing(kTitle)},
                                         ReportCase{WM_ITEM_START, kUpgrade, expected::Upgrading(kTitle)},
                                         ReportCase{WM_ITEM_SUCCESS, kInstall, expected::Installed(kTitle)},
                                         ReportCase{WM_ITEM_SUCCESS, kUpgrade, expected::Upgraded(kTitle)},
                                         ReportCase{WM_ITEM_FAIL, kInstall, expected::InstallFailed(kTitle)},
                                         ReportCase{WM_ITEM_FAIL, kUpgrade, expected::UpgradeFailed(kTitle)},
                                         // Actions the worker never sends: Skip, out of range.
                                         ReportCase{WM_ITEM_START, static_cast<intptr_t>(EntryAction::Skip), {}},
                                         ReportCase{WM_ITEM_SUCCESS, 3, {}}, ReportCase{WM_ITEM_FAIL, -1, {}},
                                         ReportCase{WM_ITEM_START, INTPTR_MAX, {}}),
                       ::testing::Bool()));

TEST_F(WizardTest, SingleItemLinesReplaceEachOther) {
  environment.plannedItems = 1;
  Reach(S::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", kInstall);
  logic.OnWorkerReport(WM_ITEM_SUCCESS, L"甲", kInstall);
  EXPECT_EQ(Text(C::TipInfo), expected::Installed(L"甲"));
  EXPECT_TRUE(surface.listLines.empty());
}

TEST_F(WizardTest, MultiItemLinesStayInOrder) {
  Reach(S::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", kInstall);
  logic.OnWorkerReport(WM_ITEM_SUCCESS, L"甲", kInstall);
  logic.OnWorkerReport(WM_ITEM_START, L"乙", kUpgrade);
  logic.OnWorkerReport(WM_ITEM_FAIL, L"乙", kUpgrade);
  EXPECT_EQ(surface.listLines, (std::vector<std::wstring>{expected::Installing(L"甲"), expected::Installed(L"甲"),
                                                          expected::Upgrading(L"乙"), expected::UpgradeFailed(L"乙")}));
}

TEST_F(WizardTest, AwkwardTitlesAreShownAsTheyAre) {
  Reach(S::Running);
  logic.OnWorkerReport(WM_ITEM_START, nullptr, kInstall);
  logic.OnWorkerReport(WM_ITEM_START, L"", kUpgrade);
  logic.OnWorkerReport(WM_ITEM_START, L"%s%s%d%n", kInstall);
  const std::wstring longTitle(5000, L'词');
  logic.OnWorkerReport(WM_ITEM_SUCCESS, longTitle.c_str(), kInstall);
  EXPECT_EQ(surface.listLines,
            (std::vector<std::wstring>{expected::Installing(L""), expected::Upgrading(L""),
                                       expected::Installing(L"%s%s%d%n"), expected::Installed(longTitle)}));
}

TEST_F(WizardTest, StartAndStepsMoveTheBar) {
  environment.blockTotal = 3;
  Reach(S::Running);
  surface.progressPos = 2;  // as if left over
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_START, nullptr, 0), 1);
  EXPECT_EQ(surface.progressPos, 0u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_STEP, nullptr, 0), 1);
  EXPECT_EQ(surface.progressPos, 3u) << "steps beyond the maximum leave the bar full";
  EXPECT_EQ(state, S::Running);
}

TEST_F(WizardTest, FinishFillsTheBarThenShowsFinishedPage) {
  for (bool single : {false, true}) {
    Wizard wizard;
    wizard.environment.plannedItems = single ? 1 : 2;
    wizard.environment.blockTotal = 77;
    wizard.Reach(S::Running);
    wizard.logic.OnWorkerReport(WM_INSTALL_START, nullptr, 0);
    EXPECT_EQ(wizard.logic.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0), 1);
    EXPECT_EQ(wizard.state, S::Finished);
    EXPECT_EQ(wizard.surface.progressPos, 77u);
    EXPECT_EQ(wizard.Visible(), (std::set<C>{single ? C::TipInfo : C::StatusList, C::RunHost, C::Close}));
    EXPECT_EQ(wizard.Text(C::RunHost), expected::kRunHost);
    EXPECT_TRUE(wizard.surface.controls[C::RunHost].ticked);
    EXPECT_EQ(wizard.Text(C::Close), expected::kFinish);
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
    wizard.logic.OnWorkerReport(WM_ITEM_START, L"甲", kInstall);
    const std::wstring tipBefore = wizard.Text(C::TipInfo);
    EXPECT_EQ(wizard.logic.OnWorkerReport(WM_UNPACK_FAIL, L"C:\\包\\a.dir", 0), 1);
    const std::wstring line = expected::UnpackFailed(L"C:\\包\\a.dir");
    EXPECT_EQ(wizard.surface.listLines.back(), line);
    ASSERT_EQ(wizard.surface.boxes.size(), 1u);
    EXPECT_EQ(wizard.surface.boxes[0].text, line);
    EXPECT_EQ(wizard.surface.boxes[0].caption, expected::kErrorCaption);
    EXPECT_TRUE(wizard.InOrder(L"list: " + line, L"box: " + line)) << "the line is in the list while the box is up";
    EXPECT_EQ(wizard.Text(C::TipInfo), tipBefore) << "single-item mode leaves the tip text";
    EXPECT_EQ(wizard.surface.controls[C::StatusList].visible, !single);
    EXPECT_EQ(wizard.state, S::Running);
  }
}

// --- A run that does not complete ---

TEST_F(WizardTest, AbortedRunUnlocksCloseWithALastLine) {
  Reach(S::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", kInstall);
  logic.OnInstallAborted();
  EXPECT_EQ(state, S::Incomplete);
  EXPECT_EQ(surface.listLines.back(), expected::kRunIncomplete);
  EXPECT_TRUE(InOrder(L"list: " + expected::kRunIncomplete, L"reveal last line"));
  EXPECT_EQ(Text(C::Close), expected::kClose);
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  EXPECT_EQ(Visible(), (std::set<C>{C::StatusList, C::Progress, C::Close}));
}

TEST_F(WizardTest, AbortedSingleItemRunSaysSoInTheTipText) {
  environment.plannedItems = 1;
  Reach(S::Running);
  logic.OnInstallAborted();
  EXPECT_EQ(Text(C::TipInfo), expected::kRunIncomplete);
  EXPECT_TRUE(surface.listLines.empty());
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Progress, C::Close}));
}

TEST_F(WizardTest, WorkerThatCannotStartLeavesTheWizardClosable) {
  environment.workerStartSucceeds = false;
  Reach(S::Running);
  EXPECT_EQ(state, S::Incomplete);
  EXPECT_EQ(surface.listLines, std::vector<std::wstring>{expected::kRunIncomplete});
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  Click(kClose);
  EXPECT_EQ(surface.quitCodes, std::vector<int>{2});
  EXPECT_EQ(environment.handOffs, 0);
}

TEST_F(WizardTest, AbortOutsideARunChangesNothing) {
  OnEveryPageBut(S::Running, [](Wizard& wizard, WizardState page) {
    const size_t before = wizard.log.size();
    wizard.logic.OnInstallAborted();
    EXPECT_EQ(wizard.log.size(), before) << "state " << static_cast<int>(page);
    EXPECT_EQ(wizard.state, page);
  });
}

TEST_F(WizardTest, UnknownReportIsNotAnswered) {
  Reach(S::Running);
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_ABORTED, nullptr, 0), 0);
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_START - 1, nullptr, 0), 0);
  EXPECT_EQ(state, S::Running);
}

}  // namespace
