// The wizard's pages, commands, state table and status lines, driven through a recording
// surface without a window.
#include "wizard/logic/wizard_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <tuple>

#include "engine/plan/install_messages.h"
#include "tests/wizard/recording_surface.h"

namespace {

using wizardtest::FakeEnvironment;
using wizardtest::RecordingSurface;
using C = WizardControl;

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kBnClicked = 0;
constexpr int kNextId = 1002;
constexpr int kDownloadId = 1003;
constexpr int kCloseId = 1004;

const std::wstring kUpToDateText =
    L"您本地安装的词典数据版本高于本次安装向导提供的词典，您无需安装本安装向导提供的词典。";
const std::wstring kHostMissingText =
    L"未检测到Lumidex2.0安装信息，或您的Lumidex2.0安装环境并不完整。建议您重新安装Lumidex2.0后再运行本安装向导。";

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() : surface(log), environment(log), logic(state, singleItem, surface, environment) {}

  std::set<C> Visible() {
    std::set<C> visible;
    for (const auto& [control, s] : surface.controls)
      if (s.visible) visible.insert(control);
    return visible;
  }
  const std::wstring& Text(C c) { return surface.controls[c].text; }
  bool Enabled(C c) { return surface.controls[c].enabled; }

  // Brings the wizard to a page the way the user would get there.
  void Reach(WizardState target) {
    switch (target) {
      case WizardState::Initial:
        return;
      case WizardState::HostMissing:
        environment.hostInstalled = false;
        logic.CheckEnvironment();
        return;
      case WizardState::UpToDate:
        environment.plannedItems = 0;
        logic.CheckEnvironment();
        return;
      case WizardState::Welcome:
        logic.CheckEnvironment();
        return;
      case WizardState::Running:
        logic.CheckEnvironment();
        Click(kNextId);
        return;
      case WizardState::Finished:
        Reach(WizardState::Running);
        logic.OnWorkerReport(WM_INSTALL_START, nullptr, 0);
        logic.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0);
        return;
      case WizardState::Incomplete:
        Reach(WizardState::Running);
        logic.OnInstallAborted();
        return;
    }
  }

  intptr_t Command(int id, int notification, bool* handled = nullptr) {
    intptr_t result = -77;
    const bool wasHandled = logic.OnCommand(id, notification, result);
    if (handled) *handled = wasHandled;
    return result;
  }
  intptr_t Click(int id) { return Command(id, kBnClicked); }

  std::vector<std::wstring> log;
  RecordingSurface surface;
  FakeEnvironment environment;
  WizardState state = WizardState::Initial;
  bool singleItem = false;
  WizardLogic logic;
};

// --- The start-up check and the first pages ---

TEST_F(WizardTest, MissingHostShowsDownloadPageWithoutTakingStock) {
  environment.hostInstalled = false;
  logic.CheckEnvironment();
  EXPECT_EQ(state, WizardState::HostMissing);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"env planned count"), 0);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Download, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), kHostMissingText);
  EXPECT_EQ(Text(C::Download), L"下载 Lumidex2.0 ");
  EXPECT_EQ(Text(C::Close), L"关闭");
  EXPECT_EQ(surface.tipGrowth, 30);
  EXPECT_TRUE(surface.boxes.empty());
  EXPECT_TRUE(surface.quitCodes.empty());
}

TEST_F(WizardTest, NothingPlannedShowsUpToDatePageWithOnlyClose) {
  environment.plannedItems = 0;
  logic.CheckEnvironment();
  EXPECT_EQ(state, WizardState::UpToDate);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Close}));
  EXPECT_EQ(Text(C::TipInfo), kUpToDateText);
  EXPECT_EQ(Text(C::Close), L"关闭");
  EXPECT_EQ(surface.tipGrowth, 30);
}

// With nothing to install no run repairs what an interrupted one left, so the wizard does as it
// ends from that page; the start-up check itself changes nothing on disk.
TEST_F(WizardTest, EndingFromTheUpToDatePageRepairsAnInterruptedRun) {
  Reach(WizardState::UpToDate);
  EXPECT_EQ(environment.repairs, 0);
  Command(kIdCancel, 0);
  EXPECT_EQ(environment.repairs, 1);
}

TEST_F(WizardTest, EndingFromTheWelcomePageRepairsNothing) {
  Reach(WizardState::Welcome);
  Command(kIdCancel, 0);
  EXPECT_EQ(environment.repairs, 0) << "the user chose to change nothing";
}

TEST_F(WizardTest, WelcomePageCarriesThePlanSummary) {
  environment.plannedItems = 2;
  environment.planSummary = L"安装《新华字典》升级《英汉大词典》";
  logic.CheckEnvironment();
  EXPECT_EQ(state, WizardState::Welcome);
  EXPECT_FALSE(singleItem);
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Next, C::Close}));
  EXPECT_EQ(Text(C::TipInfo),
            L"词典安装向导将帮助您安装《新华字典》升级《英汉大词典》本地词典数据。\r\n\r\n"
            L"点击“下一步”继续安装过程，点击“取消”退出词典安装向导。");
  EXPECT_EQ(Text(C::Next), L"下一步(&N)>");
  EXPECT_EQ(Text(C::Close), L"取消(&C)");
  EXPECT_TRUE(Enabled(C::Next));
  EXPECT_EQ(surface.tipGrowth, 30);
}

TEST_F(WizardTest, SummaryWithPercentSignsIsTakenLiterally) {
  environment.planSummary = L"安装《%s %d %n》";
  logic.CheckEnvironment();
  EXPECT_NE(Text(C::TipInfo).find(L"帮助您安装《%s %d %n》本地"), std::wstring::npos);
}

TEST_F(WizardTest, ExactlyOnePlannedEntryMeansSingleItemMode) {
  for (int planned : {1, 2, 1000}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    e.plannedItems = planned;
    WizardState st = WizardState::Initial;
    bool single = false;
    WizardLogic l(st, single, s, e);
    l.CheckEnvironment();
    EXPECT_EQ(st, WizardState::Welcome) << planned;
    EXPECT_EQ(single, planned == 1) << planned;
  }
}

TEST_F(WizardTest, FailedInventoryShowsFailBoxAndQuitsWithTwo) {
  for (int failure : {-1, -2, INT_MIN}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    e.plannedItems = failure;
    WizardState st = WizardState::Initial;
    bool single = false;
    WizardLogic l(st, single, s, e);
    l.CheckEnvironment();
    EXPECT_EQ(log2,
              (std::vector<std::wstring>{L"env host check", L"env planned count", L"box [<default>] fail", L"quit 2"}))
        << failure;
    EXPECT_EQ(st, WizardState::Initial);
  }
}

// --- Next: the running page and the worker ---

TEST_F(WizardTest, NextInMultiItemModeSwapsTipForListThenStartsWorker) {
  environment.blockTotal = 1234;
  logic.CheckEnvironment();
  log.clear();
  EXPECT_EQ(Click(kNextId), 0);
  EXPECT_EQ(log,
            (std::vector<std::wstring>{L"shrink tip", L"hide tip", L"show list", L"show progress", L"grey system close",
                                       L"disable next", L"disable close", L"range 1234", L"env start worker"}));
  EXPECT_EQ(state, WizardState::Running);
  EXPECT_EQ(surface.tipGrowth, 0);
  EXPECT_EQ(Visible(), (std::set<C>{C::StatusList, C::Progress, C::Next, C::Close}));
}

TEST_F(WizardTest, NextInSingleItemModeKeepsTheTipTextAndNeverShowsTheList) {
  environment.plannedItems = 1;
  logic.CheckEnvironment();
  log.clear();
  Click(kNextId);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"shrink tip", L"show progress", L"grey system close", L"disable next",
                                            L"disable close", L"range 10", L"env start worker"}));
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Progress, C::Next, C::Close}));
}

TEST_F(WizardTest, ProgressRangeCarriesTotalsBeyondSixteenBits) {
  for (uint32_t total : {0u, 65535u, 65536u, 70000u, 0xFFFFFFFFu}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    e.blockTotal = total;
    WizardState st = WizardState::Initial;
    bool single = false;
    WizardLogic l(st, single, s, e);
    l.CheckEnvironment();
    intptr_t result = 0;
    l.OnCommand(kNextId, kBnClicked, result);
    EXPECT_EQ(s.progressMax, total);
    l.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0);
    EXPECT_EQ(s.progressPos, total) << "the bar ends full";
  }
}

TEST_F(WizardTest, NextOutsideWelcomeDoesNothing) {
  for (WizardState page : {WizardState::Initial, WizardState::Running, WizardState::Finished, WizardState::UpToDate,
                           WizardState::HostMissing, WizardState::Incomplete}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    WizardState st = WizardState::Initial;
    bool single = false;
    WizardLogic l(st, single, s, e);
    // Reach the page through the fixture's path on this private logic.
    if (page == WizardState::HostMissing) e.hostInstalled = false;
    if (page == WizardState::UpToDate) e.plannedItems = 0;
    intptr_t r = 0;
    if (page != WizardState::Initial) l.CheckEnvironment();
    if (page == WizardState::Running || page == WizardState::Finished || page == WizardState::Incomplete)
      l.OnCommand(kNextId, kBnClicked, r);
    if (page == WizardState::Finished) l.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0);
    if (page == WizardState::Incomplete) l.OnInstallAborted();
    ASSERT_EQ(st, page);
    const int startsBefore = e.workerStarts;
    const size_t logBefore = log2.size();
    EXPECT_TRUE(l.OnCommand(kNextId, kBnClicked, r));
    EXPECT_EQ(r, 0);
    EXPECT_EQ(st, page);
    EXPECT_EQ(e.workerStarts, startsBefore);
    EXPECT_EQ(log2.size(), logBefore) << "state " << static_cast<int>(page);
  }
}

// --- The command table ---

TEST_F(WizardTest, OkAndCancelAreHandledWithAnyNotificationCode) {
  Reach(WizardState::Running);  // where both are handled and do nothing
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
  Reach(WizardState::HostMissing);
  bool handled = true;
  for (int id : {kNextId, kDownloadId, kCloseId}) {
    for (int code : {1, 5, 6, 7, 0x300}) {  // BN_PAINT, BN_SETFOCUS, BN_KILLFOCUS, ...
      Command(id, code, &handled);
      EXPECT_FALSE(handled) << id << " " << code;
    }
  }
  for (int id : {1000, 1001, 1005, 1006, 1008, 0, 3, 0xFFFF}) {
    Command(id, kBnClicked, &handled);
    EXPECT_FALSE(handled) << id;
  }
  EXPECT_TRUE(surface.quitCodes.empty());
  EXPECT_EQ(environment.downloadPagesOpened, 0);
}

TEST_F(WizardTest, CommandResultsFollowTheTable) {
  Reach(WizardState::Welcome);
  EXPECT_EQ(Click(kDownloadId), 0);
  Reach(WizardState::Welcome);
  EXPECT_EQ(Click(kCloseId), 1);
  Reach(WizardState::Welcome);
  EXPECT_EQ(Command(kIdOk, 0), 0);
  Reach(WizardState::Welcome);
  EXPECT_EQ(Command(kIdCancel, 0), 1);
}

// --- The state table: every page with every command ---

struct Row {
  WizardState page;
  int id;
  int quitCode;  // 0: the wizard goes on
  bool handOff;
  bool download;
  WizardState after;
};

class StateTableTest : public WizardTest, public ::testing::WithParamInterface<Row> {};

TEST_P(StateTableTest, CommandOnPage) {
  const Row row = GetParam();
  surface.controls[C::RunHost].ticked = false;
  Reach(row.page);
  ASSERT_EQ(state, row.page);
  const int startsBefore = environment.workerStarts;
  Command(row.id, row.id == kIdOk || row.id == kIdCancel ? 0x1234 : kBnClicked);
  if (row.quitCode) {
    EXPECT_EQ(surface.quitCodes, std::vector<int>{row.quitCode});
    EXPECT_EQ(log.back(), L"quit " + std::to_wstring(row.quitCode)) << "quitting is the last step";
  } else {
    EXPECT_TRUE(surface.quitCodes.empty());
  }
  EXPECT_EQ(environment.handOffs, row.handOff ? 1 : 0);
  EXPECT_EQ(environment.downloadPagesOpened, row.download ? 1 : 0);
  EXPECT_EQ(state, row.after);
  if (row.page == WizardState::Welcome && row.id == kNextId) {
    EXPECT_EQ(environment.workerStarts, startsBefore + 1);
  } else {
    EXPECT_EQ(environment.workerStarts, startsBefore);
  }
}

// The Finished page ticks the check box, so its Close hands off; the un-ticked case is below.
INSTANTIATE_TEST_SUITE_P(
    Pages, StateTableTest,
    ::testing::Values(Row{WizardState::Initial, kIdOk, 1, false, false, WizardState::Initial},
                      Row{WizardState::Initial, kIdCancel, 2, false, false, WizardState::Initial},
                      Row{WizardState::Welcome, kNextId, 0, false, false, WizardState::Running},
                      Row{WizardState::Welcome, kCloseId, 1, false, false, WizardState::Welcome},
                      Row{WizardState::Welcome, kIdOk, 1, false, false, WizardState::Welcome},
                      Row{WizardState::Welcome, kIdCancel, 2, false, false, WizardState::Welcome},
                      Row{WizardState::Welcome, kDownloadId, 1, false, false, WizardState::Welcome},
                      Row{WizardState::Running, kNextId, 0, false, false, WizardState::Running},
                      Row{WizardState::Running, kCloseId, 0, false, false, WizardState::Running},
                      Row{WizardState::Running, kIdOk, 0, false, false, WizardState::Running},
                      Row{WizardState::Running, kIdCancel, 0, false, false, WizardState::Running},
                      Row{WizardState::Running, kDownloadId, 0, false, false, WizardState::Running},
                      Row{WizardState::Finished, kCloseId, 1, true, false, WizardState::Finished},
                      Row{WizardState::Finished, kIdOk, 1, false, false, WizardState::Finished},
                      Row{WizardState::Finished, kIdCancel, 2, false, false, WizardState::Finished},
                      Row{WizardState::Finished, kDownloadId, 1, false, false, WizardState::Finished},
                      Row{WizardState::Finished, kNextId, 0, false, false, WizardState::Finished},
                      Row{WizardState::UpToDate, kCloseId, 1, false, false, WizardState::UpToDate},
                      Row{WizardState::UpToDate, kIdOk, 1, false, false, WizardState::UpToDate},
                      Row{WizardState::UpToDate, kIdCancel, 2, false, false, WizardState::UpToDate},
                      Row{WizardState::UpToDate, kDownloadId, 1, false, false, WizardState::UpToDate},
                      Row{WizardState::UpToDate, kNextId, 0, false, false, WizardState::UpToDate},
                      Row{WizardState::HostMissing, kDownloadId, 1, false, true, WizardState::HostMissing},
                      Row{WizardState::HostMissing, kCloseId, 1, false, false, WizardState::HostMissing},
                      Row{WizardState::HostMissing, kIdOk, 1, false, false, WizardState::HostMissing},
                      Row{WizardState::HostMissing, kIdCancel, 2, false, false, WizardState::HostMissing},
                      Row{WizardState::HostMissing, kNextId, 0, false, false, WizardState::HostMissing},
                      Row{WizardState::Incomplete, kCloseId, 2, false, false, WizardState::Incomplete},
                      Row{WizardState::Incomplete, kIdOk, 2, false, false, WizardState::Incomplete},
                      Row{WizardState::Incomplete, kIdCancel, 2, false, false, WizardState::Incomplete},
                      Row{WizardState::Incomplete, kDownloadId, 2, false, false, WizardState::Incomplete},
                      Row{WizardState::Incomplete, kNextId, 0, false, false, WizardState::Incomplete}));

TEST_F(WizardTest, FinishWithTickedBoxHidesDialogThenHandsOffThenQuits) {
  Reach(WizardState::Finished);
  log.clear();
  EXPECT_EQ(Click(kCloseId), 1);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"hide dialog", L"env hand-off", L"quit 1"}));
}

TEST_F(WizardTest, FinishWithUntickedBoxEndsWithoutHandOff) {
  Reach(WizardState::Finished);
  surface.controls[C::RunHost].ticked = false;  // the user un-ticked it
  log.clear();
  Click(kCloseId);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"quit 1"}));
  EXPECT_TRUE(surface.dialogVisible);
}

TEST_F(WizardTest, DownloadOpensThePageBeforeQuitting) {
  Reach(WizardState::HostMissing);
  log.clear();
  Click(kDownloadId);
  EXPECT_EQ(log, (std::vector<std::wstring>{L"env open download page", L"quit 1"}));
}

// --- The worker's reports ---

struct ReportCase {
  unsigned message;
  intptr_t action;
  const wchar_t* line;  // null: no line, answer 0
};

class WorkerReportTest : public WizardTest, public ::testing::WithParamInterface<std::tuple<ReportCase, bool>> {};

TEST_P(WorkerReportTest, ItemReportWritesItsLineAndAnswers) {
  const auto [report, single] = GetParam();
  environment.plannedItems = single ? 1 : 3;
  Reach(WizardState::Running);
  const std::wstring tipBefore = Text(C::TipInfo);
  const intptr_t answer = logic.OnWorkerReport(report.message, L"新编双解", report.action);
  if (report.line == nullptr) {
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(surface.listLines.empty());
    EXPECT_EQ(Text(C::TipInfo), tipBefore);
    return;
  }
  EXPECT_EQ(answer, 1);
  if (single) {
    EXPECT_EQ(Text(C::TipInfo), report.line);
    EXPECT_TRUE(surface.listLines.empty());
  } else {
    EXPECT_EQ(surface.listLines, std::vector<std::wstring>{report.line});
    EXPECT_EQ(Text(C::TipInfo), tipBefore);
  }
  EXPECT_EQ(state, WizardState::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WorkerReportTest,
    ::testing::Combine(::testing::Values(ReportCase{WM_ITEM_START, 1, L"正在为您安装《新编双解》，请稍候 ..."},
                                         ReportCase{WM_ITEM_START, 2, L"正在升级您本地的《新编双解》，请稍候 ..."},
                                         ReportCase{WM_ITEM_SUCCESS, 1, L"已为您成功安装《新编双解》。"},
                                         ReportCase{WM_ITEM_SUCCESS, 2, L"已为您成功升级《新编双解》到最新的版本。"},
                                         ReportCase{WM_ITEM_FAIL, 1, L"安装《新编双解》失败!"},
                                         ReportCase{WM_ITEM_FAIL, 2, L"升级《新编双解》失败!"},
                                         ReportCase{WM_ITEM_START, 0, nullptr}, ReportCase{WM_ITEM_SUCCESS, 3, nullptr},
                                         ReportCase{WM_ITEM_FAIL, 0, nullptr}, ReportCase{WM_ITEM_FAIL, -1, nullptr},
                                         ReportCase{WM_ITEM_START, INTPTR_MAX, nullptr}),
                       ::testing::Bool()));

TEST_F(WizardTest, SingleItemLinesReplaceEachOther) {
  environment.plannedItems = 1;
  Reach(WizardState::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", 1);
  logic.OnWorkerReport(WM_ITEM_SUCCESS, L"甲", 1);
  EXPECT_EQ(Text(C::TipInfo), L"已为您成功安装《甲》。");
  EXPECT_TRUE(surface.listLines.empty());
}

TEST_F(WizardTest, MultiItemLinesStayInOrder) {
  Reach(WizardState::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", 1);
  logic.OnWorkerReport(WM_ITEM_SUCCESS, L"甲", 1);
  logic.OnWorkerReport(WM_ITEM_START, L"乙", 2);
  logic.OnWorkerReport(WM_ITEM_FAIL, L"乙", 2);
  EXPECT_EQ(surface.listLines, (std::vector<std::wstring>{L"正在为您安装《甲》，请稍候 ...", L"已为您成功安装《甲》。",
                                                          L"正在升级您本地的《乙》，请稍候 ...", L"升级《乙》失败!"}));
}

TEST_F(WizardTest, AwkwardTitlesAreShownAsTheyAre) {
  Reach(WizardState::Running);
  logic.OnWorkerReport(WM_ITEM_START, nullptr, 1);
  logic.OnWorkerReport(WM_ITEM_START, L"", 2);
  logic.OnWorkerReport(WM_ITEM_START, L"%s%s%d%n", 1);
  const std::wstring longTitle(5000, L'词');
  logic.OnWorkerReport(WM_ITEM_SUCCESS, longTitle.c_str(), 1);
  ASSERT_EQ(surface.listLines.size(), 4u);
  EXPECT_EQ(surface.listLines[0], L"正在为您安装《》，请稍候 ...");
  EXPECT_EQ(surface.listLines[1], L"正在升级您本地的《》，请稍候 ...");
  EXPECT_EQ(surface.listLines[2], L"正在为您安装《%s%s%d%n》，请稍候 ...");
  EXPECT_EQ(surface.listLines[3], L"已为您成功安装《" + longTitle + L"》。");
}

TEST_F(WizardTest, StartAndStepsMoveTheBar) {
  environment.blockTotal = 3;
  Reach(WizardState::Running);
  surface.progressPos = 2;  // as if left over
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_START, nullptr, 0), 1);
  EXPECT_EQ(surface.progressPos, 0u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_STEP, nullptr, 0), 1);
  EXPECT_EQ(surface.progressPos, 3u) << "steps beyond the maximum leave the bar full";
  EXPECT_EQ(state, WizardState::Running);
}

TEST_F(WizardTest, FinishFillsTheBarThenShowsFinishedPage) {
  for (bool single : {false, true}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    e.plannedItems = single ? 1 : 2;
    e.blockTotal = 77;
    WizardState st = WizardState::Initial;
    bool sing = false;
    WizardLogic l(st, sing, s, e);
    l.CheckEnvironment();
    intptr_t r = 0;
    l.OnCommand(kNextId, kBnClicked, r);
    l.OnWorkerReport(WM_INSTALL_START, nullptr, 0);
    log2.clear();
    EXPECT_EQ(l.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0), 1);
    EXPECT_EQ(log2.front(), L"pos 77");
    EXPECT_EQ(st, WizardState::Finished);
    EXPECT_EQ(s.progressPos, 77u);
    std::set<C> visible;
    for (const auto& [control, cs] : s.controls)
      if (cs.visible) visible.insert(control);
    const C text = single ? C::TipInfo : C::StatusList;
    EXPECT_EQ(visible, (std::set<C>{text, C::RunHost, C::Close}));
    EXPECT_EQ(s.controls[C::RunHost].text, L"立即启动Lumidex并应用该词典(&R)");
    EXPECT_TRUE(s.controls[C::RunHost].ticked);
    EXPECT_EQ(s.controls[C::Close].text, L"完成(&C)");
    EXPECT_TRUE(s.controls[C::Close].enabled);
    EXPECT_TRUE(s.controls[C::Next].enabled);
    EXPECT_TRUE(s.systemCloseEnabled);
  }
}

TEST_F(WizardTest, UnpackFailureGoesToTheListAndABoxInBothModes) {
  for (bool single : {false, true}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    e.plannedItems = single ? 1 : 4;
    WizardState st = WizardState::Initial;
    bool sing = false;
    WizardLogic l(st, sing, s, e);
    l.CheckEnvironment();
    intptr_t r = 0;
    l.OnCommand(kNextId, kBnClicked, r);
    l.OnWorkerReport(WM_ITEM_START, L"甲", 1);
    const std::wstring tipBefore = s.controls[C::TipInfo].text;
    log2.clear();
    EXPECT_EQ(l.OnWorkerReport(WM_UNPACK_FAIL, L"C:\\包\\a.dir", 0), 1);
    const std::wstring line = L"“C:\\包\\a.dir” 解压缩失败，请确认您从官方网站下载本词典安装包!";
    EXPECT_EQ(log2, (std::vector<std::wstring>{L"list: " + line, L"box [错误] " + line}));
    EXPECT_EQ(s.controls[C::TipInfo].text, tipBefore) << "single-item mode leaves the tip text";
    EXPECT_EQ(s.controls[C::StatusList].visible, !single);
    EXPECT_EQ(st, WizardState::Running);
  }
}

// --- A run that does not complete ---

TEST_F(WizardTest, AbortedRunUnlocksCloseWithALastLine) {
  Reach(WizardState::Running);
  logic.OnWorkerReport(WM_ITEM_START, L"甲", 1);
  log.clear();
  logic.OnInstallAborted();
  EXPECT_EQ(state, WizardState::Incomplete);
  EXPECT_EQ(surface.listLines.back(), L"安装未能完成。");
  EXPECT_NE(std::find(log.begin(), log.end(), L"reveal last line"), log.end());
  EXPECT_EQ(Text(C::Close), L"关闭");
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  EXPECT_EQ(Visible(), (std::set<C>{C::StatusList, C::Progress, C::Close}));
}

TEST_F(WizardTest, AbortedSingleItemRunSaysSoInTheTipText) {
  environment.plannedItems = 1;
  Reach(WizardState::Running);
  logic.OnInstallAborted();
  EXPECT_EQ(Text(C::TipInfo), L"安装未能完成。");
  EXPECT_TRUE(surface.listLines.empty());
  EXPECT_EQ(Visible(), (std::set<C>{C::TipInfo, C::Progress, C::Close}));
}

TEST_F(WizardTest, WorkerThatCannotStartLeavesTheWizardClosable) {
  environment.workerStartSucceeds = false;
  logic.CheckEnvironment();
  Click(kNextId);
  EXPECT_EQ(state, WizardState::Incomplete);
  EXPECT_EQ(surface.listLines, std::vector<std::wstring>{L"安装未能完成。"});
  EXPECT_TRUE(Enabled(C::Close));
  EXPECT_TRUE(surface.systemCloseEnabled);
  Click(kCloseId);
  EXPECT_EQ(surface.quitCodes, std::vector<int>{2});
  EXPECT_EQ(environment.handOffs, 0);
}

TEST_F(WizardTest, AbortOutsideARunChangesNothing) {
  for (WizardState page : {WizardState::Initial, WizardState::Welcome, WizardState::Finished, WizardState::UpToDate,
                           WizardState::HostMissing, WizardState::Incomplete}) {
    std::vector<std::wstring> log2;
    RecordingSurface s(log2);
    FakeEnvironment e(log2);
    WizardState st = WizardState::Initial;
    bool single = false;
    WizardLogic l(st, single, s, e);
    if (page == WizardState::HostMissing) e.hostInstalled = false;
    if (page == WizardState::UpToDate) e.plannedItems = 0;
    intptr_t r = 0;
    if (page != WizardState::Initial) l.CheckEnvironment();
    if (page == WizardState::Finished || page == WizardState::Incomplete) l.OnCommand(kNextId, kBnClicked, r);
    if (page == WizardState::Finished) l.OnWorkerReport(WM_INSTALL_FINISH, nullptr, 0);
    if (page == WizardState::Incomplete) l.OnInstallAborted();
    ASSERT_EQ(st, page);
    const size_t before = log2.size();
    l.OnInstallAborted();
    EXPECT_EQ(log2.size(), before) << "state " << static_cast<int>(page);
    EXPECT_EQ(st, page);
  }
}

TEST_F(WizardTest, UnknownReportIsNotAnswered) {
  Reach(WizardState::Running);
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_ABORTED, nullptr, 0), 0);
  EXPECT_EQ(logic.OnWorkerReport(WM_INSTALL_START - 1, nullptr, 0), 0);
  EXPECT_EQ(state, WizardState::Running);
}

}  // namespace
