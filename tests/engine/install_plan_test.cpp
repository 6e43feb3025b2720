// The plan's decisions, counts and summary, run natively against a scripted host.
#include "engine/plan/install_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "probe/date_text.h"

namespace {

// A host whose probe is the real date parse and compare; the data folder is a fixed text.
class ScriptedHost final : public PlanHost {
 public:
  bool probe = true;
  int dataDirCalls = 0;
  int parseCalls = 0;
  bool GetDictDataDir(std::wstring& dir) override {
    ++dataDirCalls;
    dir = L"C:\\Host\\plugin\\localquery\\dictdata";
    return true;
  }
  bool ProbeAvailable() override { return probe; }
  bool StringToDate(wchar_t* text, DictDate* date) override {
    ++parseCalls;
    return ParseDateText(text, date);
  }
  int CompareDate(const DictDate* a, const DictDate* b) override { return CompareDictDates(a, b); }
};

PackageEntry Entry(const std::wstring& id, const std::wstring& ext, const std::wstring& date, uint32_t size = 10,
                   const std::wstring& title = L"") {
  PackageEntry e;
  e.id = id;
  e.ext = ext;
  e.date = date;
  e.size = size;
  e.title = title.empty() ? id : title;
  return e;
}

InstalledDict Installed(const std::wstring& fileName, DictDate date, const std::wstring& path = L"") {
  InstalledDict d;
  d.fileName = fileName;
  d.path = path.empty() ? L"C:\\Host\\plugin\\localquery\\dictdata\\" + fileName : path;
  d.date = date;
  return d;
}

std::vector<PackageFile> OneFile(std::vector<PackageEntry> entries) {
  std::vector<PackageFile> files(1);
  files[0].entries = std::move(entries);
  return files;
}

TEST(PlanDecision, NoNamesakeInstallsIntoDataFolder) {
  ScriptedHost host;
  auto files = OneFile({Entry(L"news", L".dic", L"2009.11.13"), Entry(L"odd", L".txt", L"")});
  ASSERT_TRUE(AnalysePlan(files, {Installed(L"other.dic", {2009, 1, 1, 0})}, host));
  const auto& e = *files[0].entries;
  EXPECT_EQ(e[0].action, EntryAction::Install);
  EXPECT_EQ(e[0].targetPath, L"C:\\Host\\plugin\\localquery\\dictdata\\news.dic");
  EXPECT_EQ(e[1].action, EntryAction::Install) << "an extension the inventory never lists has no namesake";
  EXPECT_EQ(e[1].targetPath, L"C:\\Host\\plugin\\localquery\\dictdata\\odd.txt");
  EXPECT_EQ(host.parseCalls, 0);
}

TEST(PlanDecision, DatesDecideAgainstNamesake) {
  ScriptedHost host;
  const std::vector<InstalledDict> installed = {
      Installed(L"a.dic", {2009, 11, 13, 0}), Installed(L"b.dic", {2009, 11, 13, 1}),
      Installed(L"c.dic", {2010, 1, 1, 0}), Installed(L"d.dip", {0, 0, 0, 0})};
  auto files = OneFile({Entry(L"a", L".dic", L"2009.11.13"),    // equal: Skip
                        Entry(L"b", L".dic", L"2009-11-13-2"),  // later only in the fourth number
                        Entry(L"c", L".dic", L"2009.12.31"),    // earlier: no downgrade
                        Entry(L"d", L".dip", L"2009.11.13"),    // installed stamp unreadable (zero)
                        Entry(L"a", L".dic", L""),              // empty date text: doubt, upgrade
                        Entry(L"c", L".dic", L"20091113")});    // no separator: doubt, upgrade
  ASSERT_TRUE(AnalysePlan(files, installed, host));
  const auto& e = *files[0].entries;
  EXPECT_EQ(e[0].action, EntryAction::Skip);
  EXPECT_EQ(e[1].action, EntryAction::Upgrade);
  EXPECT_EQ(e[2].action, EntryAction::Skip);
  EXPECT_EQ(e[3].action, EntryAction::Upgrade);
  EXPECT_EQ(e[4].action, EntryAction::Upgrade);
  EXPECT_EQ(e[5].action, EntryAction::Upgrade);
  for (size_t i = 0; i < e.size(); ++i) EXPECT_EQ(e[i].targetPath, installed[e[i].id[0] - L'a'].path) << i;
  EXPECT_EQ(e[0].date, L"2009-11-13") << "the probe rewrites the entry's own text in place";
}

// A file beside its own backup: two copies, either of which may be the newest. Only a package
// newer than the backup and not older than the file replaces them (the same package completes
// an earlier release's cut in-place upgrade, whose first chunks carry its stamp); a file whose own
// stamp is unreadable is replaced by any package.
struct PairCase {
  const char* name;
  DictDate file;
  bool fileDateRead;
  DictDate backup;
  const wchar_t* package;
  EntryAction expected;
};

class PairDecision : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairDecision, NeverDowngradesEitherCopy) {
  const PairCase& c = GetParam();
  ScriptedHost host;
  InstalledDict pair = Installed(L"p.dic", c.file);
  pair.dateRead = c.fileDateRead;
  pair.backupPath = pair.path + kBackupSuffix;
  pair.backupBeside = true;
  pair.backupDate = c.backup;
  auto files = OneFile({Entry(L"p", L".dic", c.package)});
  ASSERT_TRUE(AnalysePlan(files, {pair}, host));
  EXPECT_EQ((*files[0].entries)[0].action, c.expected);
  EXPECT_EQ((*files[0].entries)[0].targetPath, pair.path);
}

INSTANTIATE_TEST_SUITE_P(
    BesideItsBackup, PairDecision,
    ::testing::Values(
        PairCase{"BetweenTheTwoSkips", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"2009.1.1", EntryAction::Skip},
        PairCase{"NewerThanBothUpgrades", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"2011.1.1", EntryAction::Upgrade},
        PairCase{"OlderThanBothSkips", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"2007.1.1", EntryAction::Skip},
        PairCase{
            "SameAsTheCutFileCompletesIt", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"2010.1.1", EntryAction::Upgrade},
        PairCase{"SameAsTheBackupSkips", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"2008.1.1", EntryAction::Skip},
        // Newer than the file only: the backup is the newest copy (left in place by some other hand).
        PairCase{"OlderThanTheBackupSkips", {2005, 1, 1, 0}, true, {2009, 1, 1, 0}, L"2007.1.1", EntryAction::Skip},
        PairCase{"SameAsBothSkips", {2010, 1, 1, 0}, true, {2010, 1, 1, 0}, L"2010.1.1", EntryAction::Skip},
        PairCase{
            "LaterOnlyInTheFourthNumber", {2010, 1, 1, 0}, true, {2010, 1, 1, 0}, L"2010-1-1-1", EntryAction::Upgrade},
        // A file whose stamp cannot be read is no copy to keep; the backup is, unless the package is newer.
        PairCase{
            "FileStampUnreadableNewerThanTheBackupUpgrades", {0, 0, 0, 0}, false, {2008, 1, 1, 0}, L"2009.1.1",
            EntryAction::Upgrade},
        PairCase{
            "FileStampUnreadableOlderThanTheBackupSkips", {0, 0, 0, 0}, false, {2012, 1, 1, 0}, L"2009.1.1",
            EntryAction::Skip},
        PairCase{
            "BackupStampUnreadableWeighsTheFile", {2010, 1, 1, 0}, true, {0, 0, 0, 0}, L"2009.1.1", EntryAction::Skip},
        PairCase{
            "BackupStampUnreadableSamePackage", {2010, 1, 1, 0}, true, {0, 0, 0, 0}, L"2010.1.1", EntryAction::Upgrade},
        PairCase{"UnparsablePackageDateUpgrades", {2010, 1, 1, 0}, true, {2008, 1, 1, 0}, L"", EntryAction::Upgrade}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

// A backup alone stands for its dictionary, dated by itself: the plan weighs that one date.
TEST(PlanDecision, LoneBackupIsWeighedByItsOwnDate) {
  ScriptedHost host;
  InstalledDict lone = Installed(L"l.dic", {2010, 1, 1, 0});
  lone.dateRead = true;
  lone.backupPath = lone.path + kBackupSuffix;
  auto files = OneFile({Entry(L"l", L".dic", L"2009.1.1"), Entry(L"l", L".dic", L"2011.1.1")});
  ASSERT_TRUE(AnalysePlan(files, {lone}, host));
  EXPECT_EQ((*files[0].entries)[0].action, EntryAction::Skip);
  EXPECT_EQ((*files[0].entries)[1].action, EntryAction::Upgrade);
}

TEST(PlanDecision, WithoutProbeEveryNamesakeIsUpgraded) {
  ScriptedHost host;
  host.probe = false;
  auto files = OneFile({Entry(L"a", L".dic", L"2000.1.1"), Entry(L"new", L".dic", L"2000.1.1")});
  ASSERT_TRUE(AnalysePlan(files, {Installed(L"a.dic", {2020, 1, 1, 0})}, host));
  EXPECT_EQ((*files[0].entries)[0].action, EntryAction::Upgrade);
  EXPECT_EQ((*files[0].entries)[1].action, EntryAction::Install);
  EXPECT_EQ(host.parseCalls, 0);
}

TEST(PlanDecision, FirstInstalledRecordOfANameWins) {
  ScriptedHost host;
  const std::vector<InstalledDict> installed = {Installed(L"a.dic", {2020, 1, 1, 0}, L"X:\\first\\A.DIC"),
                                                Installed(L"a.dic", {1999, 1, 1, 0}, L"X:\\second\\a.dic")};
  auto files = OneFile({Entry(L"a", L".dic", L"2010.1.1")});
  ASSERT_TRUE(AnalysePlan(files, installed, host));
  EXPECT_EQ((*files[0].entries)[0].action, EntryAction::Skip);
  EXPECT_EQ((*files[0].entries)[0].targetPath, L"X:\\first\\A.DIC");
}

TEST(PlanDecision, SameKeyTwiceGetsTheSameDecision) {
  ScriptedHost host;
  std::vector<PackageFile> files(3);
  files[0].entries = std::vector<PackageEntry>{Entry(L"x", L".dic", L"2001.1.1")};
  // files[1] has no entries (an empty container) and is passed over.
  files[2].entries = std::vector<PackageEntry>{Entry(L"x", L".dic", L"2001.1.1")};
  ASSERT_TRUE(AnalysePlan(files, {}, host));
  EXPECT_EQ((*files[0].entries)[0].action, EntryAction::Install);
  EXPECT_EQ((*files[2].entries)[0].action, EntryAction::Install)
      << "planned installs are not added to the installed list";
  EXPECT_EQ((*files[0].entries)[0].targetPath, (*files[2].entries)[0].targetPath);
  EXPECT_FALSE(files[1].entries.has_value());
}

TEST(PlanQueries, BlocksCountPartialBlocksWhole) {
  auto files = OneFile({Entry(L"a", L".dic", L"", 0), Entry(L"b", L".dic", L"", 1), Entry(L"c", L".dic", L"", 2048),
                        Entry(L"d", L".dic", L"", 2049), Entry(L"s", L".dic", L"", 4096)});
  auto& e = *files[0].entries;
  for (auto& entry : e) entry.action = EntryAction::Install;
  e[4].action = EntryAction::Skip;
  EXPECT_EQ(CountPlannedBlocks(files), 0u + 1u + 1u + 2u);
  EXPECT_EQ(CountPlannedItems(files), 4);
}

TEST(PlanQueries, EmptyPlan) {
  std::vector<PackageFile> none;
  std::vector<PackageFile> noEntries(2);
  for (const auto* files : {&none, &noEntries}) {
    EXPECT_EQ(CountPlannedItems(*files), 0);
    EXPECT_EQ(CountPlannedBlocks(*files), 0u);
  }
}

}  // namespace
