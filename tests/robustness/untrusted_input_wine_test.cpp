// What the elevated wizard takes from the folder a package was downloaded to, and from the user's
// session, never decides more than it should, run with the real wizard program under Wine:
// - a library planted beside the wizard under the name of a library the host's core imports is
//   never loaded, while the core's own copy is and the dates are still read;
// - ids that would write into another dictionary's section (blanks at either end) or that the
//   configuration's code page cannot hold refuse the package, and every section stays as it was;
// - a container declaring more entries than any real package holds fails the start-up check
//   cleanly, also in the 32-bit wizard;
// - a link in the package folder (an image, the image folder, dictconfig.ini, a container) or a
//   hard-linked image brings none of the bytes or values it leads to into the host;
// - a package folder reached through a link that is pointed elsewhere while the check opens its
//   files gives only the first folder's files, and the wizard leaves no copy of its library;
// - a container whose data area is cut short fails the start-up check before any page.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/format/package_format.h"
#include "engine/format/package_layout.h"
#include "engine/install_engine.h"
#include "engine/inventory/pinned_file.h"
#include "engine/inventory/private_copy.h"
#include "engine/inventory/probe_binding.h"
#include "engine/testing_seams.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/sealed_package.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

constexpr const wchar_t* kDependency = L"pkcoredep.dll";

// The start-up check refuses the package: the "fail" box, then exit code 2.
::testing::AssertionResult StartupCheckFails(const WizardFolder& wizard) {
  WizardRun run;
  if (!run.Start(wizard.Exe())) return ::testing::AssertionFailure() << "not started: " << run.StartFailure();
  HWND box = run.WaitForMessageBox(nullptr);
  if (box == nullptr) return ::testing::AssertionFailure() << "no box; page " << PageName(run.Page());
  const std::wstring text = MessageBoxText(box);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 12345;
  if (!run.WaitForExit(kExitWait, code)) return ::testing::AssertionFailure() << "did not end";
  if (text != wizard_text::kStartupFailed) return ::testing::AssertionFailure() << "box says " << Narrow(text);
  if (code != 2) return ::testing::AssertionFailure() << "exit code " << code;
  return ::testing::AssertionSuccess();
}

// The wizard reads a date through a core that imports pkcoredep.dll, with a copy planted beside the
// wizard and the genuine one where `genuineDir` says (empty: beside the core). The installed copy
// is newer than the package's, which only a date read through the core tells: the up-to-date page.
// True when the wizard got there; `loadedFrom` the folders whose copy was loaded.
::testing::AssertionResult ReadsDatesWithTheCoresDependency(const std::wstring& genuineDir,
                                                            std::vector<std::wstring>& loadedFrom) {
  HostSetup setup;
  setup.core = L"dbcore_with_dependency.dll";
  FakeHost host(setup);
  const std::wstring genuine = (genuineDir.empty() ? host.dir() : genuineDir) + L"\\" + kDependency;
  if (!CopyFileW(BuiltFile(kDependency).c_str(), genuine.c_str(), FALSE)) return ::testing::AssertionFailure();
  host.AddInstalledDict(L"news.dic", "2010.01.01");
  WizardFolder wizard;
  const std::wstring planted = wizard / kDependency;
  CopyFileW(BuiltFile(kDependency).c_str(), planted.c_str(), FALSE);
  wizard.AddPackage(L"p.dir", {PackageItem(L"news", L"新闻", "new", L"2009.11.13")});

  WizardRun run;
  const bool started = run.StartAndWait(wizard.Exe()) != nullptr;
  const bool upToDate = started && run.WaitForPage(WizardPage::UpToDate, kExitWait);
  const WizardPage page = run.Page();
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  run.ExitCodeWithin(kExitWait);
  for (const std::wstring& copy : {genuine, planted}) {
    if (FileExists(copy + L".loaded")) loadedFrom.push_back(copy.substr(0, copy.find_last_of(L'\\')));
  }
  if (!genuineDir.empty()) {
    DeleteFileW(genuine.c_str());
    DeleteFileW((genuine + L".loaded").c_str());
  }
  if (!upToDate) return ::testing::AssertionFailure() << "page " << PageName(page);
  return ::testing::AssertionSuccess();
}

TEST(PlantedCoreDependency, TheCoresOwnCopyIsLoadedNeverTheOneBesideTheWizard) {
  std::vector<std::wstring> loadedFrom;
  EXPECT_TRUE(ReadsDatesWithTheCoresDependency(L"", loadedFrom));
  ASSERT_EQ(loadedFrom.size(), 1u);
  EXPECT_EQ(loadedFrom[0].find(L"wizard"), std::wstring::npos) << Narrow(loadedFrom[0]);
}

// A dependency the core does not ship comes from the system folder, not from beside the wizard,
// which an unrestricted search would look in first.
TEST(PlantedCoreDependency, ADependencyTheCoreDoesNotShipComesFromTheSystemFolder) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
  std::vector<std::wstring> loadedFrom;
  EXPECT_TRUE(ReadsDatesWithTheCoresDependency(system, loadedFrom));
  EXPECT_EQ(loadedFrom, std::vector<std::wstring>{system});
}

class HostileIdTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(HostileIdTest, RefusesThePackageAndLeavesEverySection) {
  FakeHost host;
  const std::string config = "[news]\r\nid=news\r\ndesc_name=Daily\r\nenable=0\r\n[other]\r\nid=other\r\n";
  ASSERT_TRUE(WriteFileBytes(host.ConfigPath(), config));
  WizardFolder wizard;
  ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini", "[news]\r\ndesc_name=Hijacked\r\nenable=1\r\n"));
  ASSERT_TRUE(wizard.AddPackage(L"p.dir", {PackageItem(L"fine", L"好", "ok"), PackageItem(GetParam(), L"坏", "bad")}));
  EXPECT_TRUE(StartupCheckFails(wizard));
  EXPECT_EQ(FileBytes(host.ConfigPath()), config);
  EXPECT_TRUE(ListFolder(host.DataDir()).empty()) << "nothing installed";
}

// One id of each kind, through the real wizard and the real profile functions: a blank that the
// profile functions would trim into [news], and a Thai id that code page 936 cannot hold. Every
// other spelling of either kind is the name rule's (package_reader_names_test).
INSTANTIATE_TEST_SUITE_P(Ids, HostileIdTest, ::testing::Values(L" news", L"\u0E02\u0E48\u0E32\u0E27"));

// A container whose header claims more entries than the wizard takes, in a file that holds
// them all: refused before a record is built.
TEST(OversizedContainer, FailsTheStartupCheckWithoutACrash) {
  FakeHost host;
  WizardFolder wizard;
  std::vector<ContainerItem> items(kPackageMaxEntries + 1, PackageItem(L"x", L"x", ""));
  ASSERT_TRUE(WriteFileBytes(wizard / L"huge.dir", ContainerBytes(items)));
  EXPECT_TRUE(StartupCheckFails(wizard));
}

// A container whose table is intact but whose last entry's data are cut short: refused at the
// start-up check, before any page, rather than at the entry's last chunk during the run.
TEST(ShortDataArea, FailsTheStartupCheckBeforeAnyPage) {
  FakeHost host;
  const std::string installed = FileBytes(host.AddInstalledDict(L"x.dic", "2001.01.01"));
  WizardFolder wizard;
  std::string bytes = ContainerBytes({PackageItem(L"x", L"新", "complete"), PackageItem(L"y", L"短", "cut short")});
  bytes.pop_back();
  ASSERT_TRUE(WriteFileBytes(wizard / L"p.dir", bytes));
  const std::wstring log = wizard / L"run.log";
  const ChildRun run = RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, kExitWait);
  const std::string logged = FileBytes(log);
  EXPECT_EQ(run.exitCode, 4u) << logged;
  EXPECT_NE(logged.find("ReadDFFileInfo-2: entry 2's data end beyond the container: " + Narrow(wizard / L"p.dir")),
            std::string::npos)
      << logged;
  EXPECT_EQ(logged.find(Narrow(FormatText(log_text::kPlanned, L"2"))), std::string::npos) << "a page was shown";
  EXPECT_EQ(FileBytes(host.DataDir() + L"\\x.dic"), installed);
  EXPECT_FALSE(FileExists(host.DataDir() + L"\\y.dic"));
}

// What Wine never shows of a file opened in the package folder, decided as such: a link to a file
// as a reparse point, something other than a disk file, a final path the system cannot tell.
TEST(PinRefusal, TakesOnlyAPlainDiskFileWhereItWasAsked) {
  const std::wstring here = L"\\\\?\\C:\\pkg\\dict_image\\x.bmp";
  const std::pair<OpenedFileFacts, bool> cases[] = {
      {{FILE_TYPE_DISK, FILE_ATTRIBUTE_ARCHIVE, 1, L"\\\\?\\C:\\PKG\\Dict_Image\\X.BMP", here}, true},
      {{FILE_TYPE_DISK, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 1, here, here}, false},
      {{FILE_TYPE_PIPE, FILE_ATTRIBUTE_NORMAL, 1, here, here}, false},
      {{FILE_TYPE_DISK, FILE_ATTRIBUTE_ARCHIVE, 1, L"", here}, false},
  };
  for (const auto& [facts, taken] : cases) {
    EXPECT_EQ(PinRefusal(facts).empty(), taken) << Narrow(facts.finalPath) << " " << facts.attributes;
  }
}

// What a user who can write the package folder points the elevated wizard at: a file they may not
// read themselves, each carrying the marker.
constexpr char kSecret[] = "SECRET-7f3a";

struct LinkCase {
  const char* name;
  std::wstring linked;   // the package's name that leads elsewhere
  std::wstring outside;  // where it leads, in the outside folder
  bool hardLink;         // a second name of the file rather than a symbolic link
  DWORD exitCode;        // of the unattended run
};

class PackageLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(PackageLinkTest, TheHostHoldsNoneOfTheLinkedBytes) {
  const LinkCase& c = GetParam();
  FakeHost host;
  ScratchDir outside(L"outside");
  ASSERT_TRUE(MakeDirs(outside / L"images"));
  ASSERT_TRUE(WriteFileBytes(outside / L"images\\x.bmp", Bitmap(kSecret)));
  ASSERT_TRUE(WriteFileBytes(outside / L"config.ini", std::string("[x]\r\ndesc_name=") + kSecret + "\r\n"));
  ASSERT_TRUE(WriteFileBytes(outside / L"p.dir", ContainerBytes({PackageItem(L"x", L"外", kSecret)})));

  WizardFolder wizard;
  ASSERT_TRUE(wizard.AddPackage(L"p.dir", {PackageItem(L"x", L"好", "genuine data")}));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dictconfig.ini", "[x]\r\ndesc_name=Genuine\r\n"));
  ASSERT_TRUE(MakeDirs(wizard / L"dict_image"));
  ASSERT_TRUE(WriteFileBytes(wizard / L"dict_image\\x.bmp", Bitmap("genuine image")));
  const std::wstring linked = wizard / c.linked;
  ASSERT_TRUE(RemoveTree(linked) || DeleteFileW(linked.c_str()));
  if (c.hardLink) {
    ASSERT_TRUE(CreateHardLinkW(linked.c_str(), (outside / c.outside).c_str(), nullptr));
  } else {
    ASSERT_TRUE(MakeUnixSymlink(outside / c.outside, linked));
  }

  const std::wstring log = outside / L"run.log";
  const ChildRun run = RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, kExitWait);
  ASSERT_TRUE(FileExists(log)) << "the wizard never ran";
  EXPECT_EQ(run.exitCode, c.exitCode) << FileBytes(log);
  for (const auto& file : TreeFiles(host / L"plugin")) {
    EXPECT_EQ(file.second.find(kSecret), std::string::npos) << Narrow(file.first) << "\n" << FileBytes(log);
  }
  if (c.exitCode == 0) {
    EXPECT_EQ(FileBytes(host.DataDir() + L"\\x.dic"), "genuine data");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, PackageLinkTest,
    ::testing::Values(LinkCase{"ImageLinkedOutside", L"dict_image\\x.bmp", L"images\\x.bmp", false, 0},
                      LinkCase{"ImageFolderLinkedOutside", L"dict_image", L"images", false, 0},
                      LinkCase{"DictconfigLinkedOutside", L"dictconfig.ini", L"config.ini", false, 0},
                      LinkCase{"ContainerLinkedOutside", L"p.dir", L"p.dir", false, 4},
                      LinkCase{"ImageHardLinked", L"dict_image\\x.bmp", L"images\\x.bmp", true, 0}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

// Points the package folder's link elsewhere just before the file named is opened.
struct Repoints {
  std::wstring link;
  std::vector<std::pair<std::wstring, std::wstring>> at;  // relative name, new target
  size_t made = 0;
};

void RepointAt(const std::wstring& relative, void* context) {
  Repoints& repoints = *static_cast<Repoints*>(context);
  for (const auto& [name, target] : repoints.at) {
    if (relative == name && RepointUnixSymlink(target, repoints.link)) ++repoints.made;
  }
}

std::string HeldBytes(const std::shared_ptr<ByteSource>& source) {
  std::string bytes;
  if (source) ReadWholeSource(*source, 1 << 20, bytes);
  return bytes;
}

// A package folder as its owner prepares it: a container, dictconfig.ini and an image for id x.
void WritePackage(const std::wstring& folder, const std::string& data, const std::string& value) {
  ASSERT_TRUE(MakeDirs(folder + L"\\dict_image"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\p.dir", ContainerBytes({PackageItem(L"x", Wide(value), data)})));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\dictconfig.ini", "[x]\r\ndesc_name=" + value + "\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\dict_image\\x.bmp", Bitmap(data)));
}

// The start-up check, in this process, on a package folder reached through a link that is pointed
// at another folder as the container is opened and at a third as dictconfig.ini is: everything the
// check holds for the run (container, description, image) is the first folder's.
TEST(RepointedPackageFolder, EveryHeldFileIsTheFirstFolders) {
  FakeHost host;
  ScratchDir lab(L"repointed");
  WritePackage(lab / L"genuine", "genuine data", "Genuine");
  WritePackage(lab / L"first", kSecret, kSecret);
  WritePackage(lab / L"second", kSecret, kSecret);
  const std::wstring link = lab / L"link";
  ASSERT_TRUE(MakeUnixSymlink(lab / L"genuine", link));

  Repoints repoints{link, {{L"p.dir", lab / L"first"}, {L"dictconfig.ini", lab / L"second"}}};
  SetModuleDirForTesting(link + L"\\");
  ObservePinsForTesting(RepointAt, &repoints);
  InstallEngine engine;
  const bool checked = engine.InitFileLists();
  ObservePinsForTesting(nullptr, nullptr);
  SetModuleDirForTesting(L"");
  ReleaseVersionProbe();  // the library's copy, made for the dates

  EXPECT_TRUE(checked);
  EXPECT_EQ(repoints.made, 2u);
  ASSERT_EQ(engine.packageFiles.size(), 1u);
  const PackageFile& file = engine.packageFiles[0];
  ASSERT_TRUE(file.entries && file.entries->size() == 1u);
  const PackageEntry& entry = file.entries->front();
  EXPECT_EQ(entry.title, L"Genuine");
  ASSERT_TRUE(entry.description.has_value());
  ASSERT_EQ(std::wstring(kCopiedConfigKeys[1]), L"desc_name");
  EXPECT_EQ(entry.description->at(1), L"Genuine");
  const std::string held = HeldBytes(file.data) + HeldBytes(engine.heldDescription) + HeldBytes(entry.image);
  EXPECT_EQ(held.find(kSecret), std::string::npos);
  EXPECT_EQ(HeldBytes(entry.image), Bitmap("genuine data"));
}

// The folders of the private copies of a process's wizard runs that are not among `before`: none
// is left once a run ended. A run killed earlier leaves its folder, and its process id may come
// again.
std::vector<std::wstring> PrivateFoldersOf(DWORD processId, const std::vector<std::wstring>& before) {
  std::wstring parent;
  std::vector<std::wstring> found;
  if (!PrivateCopyParent(parent)) return {L"<no parent>"};
  const std::wstring own = kPrivateFolderPrefix + std::to_wstring(processId) + L"-";
  for (const std::wstring& name : ListFolder(parent)) {
    if (name.compare(0, own.size(), own) == 0 && std::find(before.begin(), before.end(), name) == before.end()) {
      found.push_back(name);
    }
  }
  return found;
}

TEST(PrivateLibraryCopy, GoneWhenTheWizardEnds) {
  FakeHost host;
  host.AddInstalledDict(L"news.dic", "2010.01.01");
  WizardFolder wizard;
  ASSERT_TRUE(wizard.AddPackage(L"p.dir", {PackageItem(L"news", L"新闻", "old news")}));
  const std::wstring log = wizard / L"run.log";
  std::wstring parent;
  ASSERT_TRUE(PrivateCopyParent(parent));
  const std::vector<std::wstring> before = ListFolder(parent);
  const ChildRun run = RunToEnd(wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, kExitWait);
  ASSERT_TRUE(run.finished) << FileBytes(log);
  // Up to date: the installed date was read through the library, so its copy was made.
  EXPECT_EQ(run.exitCode, 0u) << FileBytes(log);
  EXPECT_EQ(FileBytes(host.DataDir() + L"\\news.dic").find("old news"), std::string::npos);
  EXPECT_EQ(PrivateFoldersOf(run.processId, before), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace testsupport
