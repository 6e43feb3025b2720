// A library planted beside the wizard under a system library's name is never loaded into it,
// while vintora.dll and the host's database core still load by full path and read the dates.
// Wine prefers its own build of a system library whatever lies beside a program; the children
// here are told to prefer a library found on disk as Windows would, so that only the search
// order decides. The name loader shows that the planted library is then
// really picked up without the wizard's search restriction.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/wizard_run.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

// Names of system libraries that are not among the system's known libraries, so an unrestricted
// search would look for them beside the program first.
const std::vector<std::wstring> kPlantedNames = {L"version.dll", L"uxtheme.dll", L"dwmapi.dll",
                                                 L"winmm.dll",   L"profapi.dll", L"cryptbase.dll"};
// Wine's own user32 imports version.dll, so it is resolved before any line of a program runs;
// Windows' user32 does not. Taking it from disk first would test Wine, not the wizard, so it
// keeps Wine's order (its own build) and only the others are taken from disk first.
const std::wstring kWineStartupImport = L"version.dll";

std::wstring Marker(const std::wstring& dir, const std::wstring& name) { return dir + L"\\" + name + L".loaded"; }

// For the test's duration, programs of the given file name take every planted name from disk
// first, the way Windows treats it. Wine reads this per program from its registry
// (AppDefaults\<program>\DllOverrides); its environment variable is not passed on to children.
class NativeFirst {
 public:
  explicit NativeFirst(const std::wstring& program)
      : program_(L"Software\\Wine\\AppDefaults\\" + program), key_(program_ + L"\\DllOverrides") {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    constexpr wchar_t kOrder[] = L"native,builtin";
    for (const std::wstring& name : kPlantedNames) {
      if (name == kWineStartupImport) continue;
      RegSetValueExW(key, name.substr(0, name.size() - 4).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                     sizeof(kOrder));
    }
    RegCloseKey(key);
  }
  ~NativeFirst() {
    RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, program_.c_str());
  }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;

 private:
  std::wstring program_, key_;
};

bool Plant(const std::wstring& dir) {
  for (const std::wstring& name : kPlantedNames) {
    if (!CopyFileW(BuiltFile(L"planted.dll").c_str(), (dir + L"\\" + name).c_str(), FALSE)) return false;
  }
  return true;
}

// Runs the name loader from a folder holding the planted library; its exit code (0: loaded).
DWORD RunNameLoader(const std::wstring& dir, const std::wstring& mode, const std::wstring& name) {
  const std::wstring exe = dir + L"\\name_loader.exe";
  if (!CopyFileW(BuiltFile(L"name_loader.exe").c_str(), exe.c_str(), FALSE)) return 1000;
  testsupport::ChildProcess child;
  if (!child.Start(exe, {mode, name})) return 1001;
  DWORD code = 1002;
  child.WaitForExit(30000, code);
  return code;
}

TEST(PlantedLibraryTest, UnrestrictedSearchLoadsThePlantedLibraryAndTheRestrictedOneDoesNot) {
  NativeFirst nativeFirst(L"name_loader.exe");
  testsupport::ScratchDir plain(L"planted_plain"), restricted(L"planted_restricted");
  ASSERT_TRUE(Plant(plain.path()));
  ASSERT_TRUE(Plant(restricted.path()));

  EXPECT_EQ(RunNameLoader(plain.path(), L"plain", L"uxtheme.dll"), 0u);
  EXPECT_TRUE(FileExists(Marker(plain.path(), L"uxtheme.dll"))) << "the planted library must be loadable at all";

  EXPECT_EQ(RunNameLoader(restricted.path(), L"restricted", L"uxtheme.dll"), 0u) << "the system's own must load";
  EXPECT_FALSE(FileExists(Marker(restricted.path(), L"uxtheme.dll")));
}

// The up-to-date page follows only from dates read through vintora.dll and the core: without
// them the installed namesake would be planned as an upgrade.
TEST(PlantedLibraryTest, WizardLoadsNoPlantedLibraryButItsProbeAndTheCore) {
  FakeHost host;
  WizardFolder wizard;
  host.AddInstalledDict(L"same.dic", "2009.11.13");
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {PackageItem(L"same", L"同版", "data", L"2009.11.13")}));
  ASSERT_TRUE(Plant(wizard.dir()));
  NativeFirst nativeFirst(L"pakorra.exe");

  WizardRun run;
  ASSERT_NE(run.StartAndWait(wizard.Exe()), nullptr) << "the wizard did not come up";
  EXPECT_EQ(run.Page(), WizardPage::UpToDate) << "dates not read";
  run.Click(IDC_BTN_MAINDLG_CLOSE);
  EXPECT_EQ(run.ExitCodeWithin(30000), 1u);
  for (const std::wstring& name : kPlantedNames) {
    EXPECT_FALSE(FileExists(Marker(wizard.dir(), name))) << "loaded: " << testsupport::Narrow(name);
  }
}

// The same through an installation: the worker thread, the status lines and the image copy
// load nothing from beside the wizard either.
TEST(PlantedLibraryTest, InstallationLoadsNoPlantedLibrary) {
  FakeHost host;
  WizardFolder wizard;
  ASSERT_TRUE(wizard.AddPackage(L"main.dir", {PackageItem(L"fresh", L"新典", std::string(5000, 'f'))}));
  ASSERT_TRUE(Plant(wizard.dir()));
  NativeFirst nativeFirst(L"pakorra.exe");

  WizardRun run;
  ASSERT_NE(run.StartAndWait(wizard.Exe()), nullptr);
  run.Click(IDC_BTN_MAINDLG_NEXT);
  ASSERT_TRUE(run.WaitForPage(WizardPage::Finished, 60000));
  run.Key(VK_ESCAPE);
  EXPECT_EQ(run.ExitCodeWithin(30000), 2u);
  for (const std::wstring& name : kPlantedNames) {
    EXPECT_FALSE(FileExists(Marker(wizard.dir(), name))) << "loaded: " << testsupport::Narrow(name);
  }
}

}  // namespace
}  // namespace testsupport
