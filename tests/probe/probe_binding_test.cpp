// The wizard's binding of vintora.dll, each scenario in a fresh process: a copy of a helper
// program placed in a folder of its own, whose reports and the engine's diagnostics are read in
// the order they were made from the debug output.
#include "engine/inventory/probe_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/inventory/private_copy.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"

using Lines = std::vector<std::wstring>;

namespace testsupport {
namespace {

const std::wstring kBound = L"helper: bind=1 bound=1 module=1 entries=1111";
const std::wstring kUnbound = L"helper: bind=0 bound=0 module=0 entries=0000";

std::wstring BuiltProbe() { return BuiltFile(L"vintora.dll"); }
std::wstring ProbeLackingStringToDate() { return BuiltFile(L"vintora_lacking_string_to_date.dll"); }

// Where this program's folders go; kept for the whole run, then removed.
std::wstring NewFolderPath(const std::wstring& tag) {
  static const testsupport::ScratchDir lab(L"binding");
  static int counter = 0;
  return lab / (tag + std::to_wstring(++counter));
}

// A folder as the wizard is delivered in, with the helper program as p.exe in the wizard's
// place, and `probe` copied in as vintora.dll when given.
struct HelperFolder {
  std::wstring dir;
  std::wstring program;

  HelperFolder(const std::wstring& folder, const std::wstring& probe) : dir(folder), program(folder + L"\\p.exe") {
    CreateDirectoryW(dir.c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(BuiltFile(L"probe_binding_helper.exe").c_str(), program.c_str(), FALSE));
    if (!probe.empty()) {
      EXPECT_TRUE(CopyFileW(probe.c_str(), probeFile().c_str(), FALSE));
    }
  }
  std::wstring probeFile() const { return dir + L"\\vintora.dll"; }

  Lines Run(const std::vector<std::wstring>& steps, const std::wstring& currentDir = L"") const {
    testsupport::ChildOptions options;
    options.currentDir = currentDir;
    const testsupport::ChildRun run = testsupport::RunToEnd(program, steps, options, 60000, true);
    EXPECT_TRUE(run.finished) << Narrow(program) << " " << run.startFailure;
    EXPECT_EQ(run.exitCode, 0u);
    return run.traces;
  }
};

std::wstring Join(const Lines& lines) {
  std::wstring all;
  for (const std::wstring& line : lines) all += line + L"\n";
  return all;
}

TEST(BindVersionProbe, BindsOnceFromItsOwnFolder) {
  HelperFolder wizard(NewFolderPath(L"own"), BuiltProbe());
  const Lines lines = wizard.Run(
      {L"bind", L"bind", L"free", L"loaded=" + wizard.probeFile(), L"copy=" + ProbeLackingStringToDate()});
  // One FreeLibrary unloads it: the second bind loaded nothing. Its file stays held: no copy over it.
  EXPECT_EQ(lines, (Lines{kBound, kBound, L"helper: free=1", L"helper: loaded=0", L"helper: copy=0"}))
      << Narrow(Join(lines));
}

TEST(BindVersionProbe, UsesOnlyTheProgramsFolder) {
  // A vintora.dll in the current folder (and beside this test) is not the wizard's.
  HelperFolder wizard(NewFolderPath(L"absent"), L"");
  FakeHost host{FolderOnly(kSimulatedCore)};
  const Lines lines =
      wizard.Run({L"bind", L"bind", L"init=" + host.Core(), L"loaded=" + BuiltProbe()}, testsupport::ExeDir());
  EXPECT_EQ(lines, (Lines{kUnbound, kUnbound, L"InitDBCore-2: init vintora fail " + host.Core(), L"helper: init=0",
                          L"helper: loaded=0"}))
      << Narrow(Join(lines));
}

TEST(BindVersionProbe, ProbeLackingAnExportIsUnloadedUnusedAndRetried) {
  HelperFolder wizard(NewFolderPath(L"lacking"), ProbeLackingStringToDate());
  FakeHost host{FolderOnly(kSimulatedCore)};
  const Lines lines = wizard.Run({L"bind", L"loaded=" + wizard.probeFile(), L"init=" + host.Core(),
                                  L"loaded=" + host.Core(), L"copy=" + BuiltProbe(), L"bind", L"init=" + host.Core()});
  EXPECT_EQ(lines, (Lines{kUnbound, L"helper: loaded=0",
                          // init_dbcore of the incomplete library was not called: no core loaded.
                          L"InitDBCore-2: init vintora fail " + host.Core(), L"helper: init=0", L"helper: loaded=0",
                          // The next call tries again and finds a complete library.
                          L"helper: copy=1", kBound, L"helper: init=1"}))
      << Narrow(Join(lines));
}

// The folder of the wizard reached through a link its owner points at another folder, whose
// vintora.dll lacks an export, right after the library was checked: the library loaded is the
// copy made of the checked file, in a new folder only administrators and SYSTEM can write, which
// goes when the binding is released.
TEST(BindVersionProbe, LoadsThePrivateCopyOfTheCheckedFile) {
  HelperFolder genuine(NewFolderPath(L"genuine"), BuiltProbe());
  HelperFolder other(NewFolderPath(L"other"), ProbeLackingStringToDate());
  const std::wstring link = NewFolderPath(L"link");
  ASSERT_TRUE(testsupport::MakeUnixSymlink(genuine.dir, link));
  std::wstring parent;
  ASSERT_TRUE(PrivateCopyParent(parent));

  const HelperFolder linked{link, L""};  // the link's p.exe is genuine's, copied over itself
  const Lines lines = linked.Run({L"repoint=" + other.dir, L"bind", L"module=" + BuiltProbe(), L"private", L"release"});
  ASSERT_EQ(lines.size(), 5u) << Narrow(Join(lines));
  EXPECT_EQ(lines[0], L"helper: repointed=1");
  EXPECT_EQ(lines[1], kBound) << "the other folder's library was loaded";
  const std::wstring module = lines[2].substr(lines[2].find(L'=') + 1, lines[2].rfind(L" same=") - lines[2].find(L'=') - 1);
  const std::wstring folder = module.substr(0, module.find_last_of(L'\\'));
  EXPECT_EQ(folder.substr(0, parent.size() + 1 + wcslen(kPrivateFolderPrefix)),
            parent + L"\\" + kPrivateFolderPrefix) << Narrow(module);
  EXPECT_EQ(module.substr(folder.size()), L"\\vintora.dll");
  EXPECT_EQ(lines[2].substr(lines[2].rfind(L' ')), L" same=1") << "the loaded bytes are the checked ones";
  // Wine 8 keeps no DACL of a new folder: it turns it into the Unix mode, and reads back the mode's
  // owner and SYSTEM. Windows reads back the DACL given. Either way no one else is let in.
  const std::wstring dacl = lines[3].substr(lines[3].find(L'=') + 1);
  EXPECT_EQ(dacl.substr(0, 2), L"D:") << Narrow(lines[3]);
  for (const wchar_t* other : {L";WD)", L";BU)", L";AU)", L";IU)", L";S-1-1-0)", L";S-1-5-32-545)"}) {
    EXPECT_EQ(dacl.find(other), std::wstring::npos) << Narrow(dacl) << " lets in " << Narrow(other);
  }
  EXPECT_NE(dacl.find(L";FA;;;SY)"), std::wstring::npos) << Narrow(dacl);
  EXPECT_EQ(lines[4], L"helper: release bound=0 loaded=0 folder=0");
  EXPECT_FALSE(testsupport::FileExists(module));
}

// The rule of the folder, on paths that no program here can be started from: a path that
// GetModuleFileNameW truncated must not send the loader to an ancestor folder.
TEST(ProbePathBesideProgram, FolderOfTheProgramWithinTwoHundredSixtyCharacters) {
  const std::wstring untouched(MAX_PATH - 1, L'u');
  auto pathFor = [&](const std::wstring& program, DWORD length, std::wstring* result) {
    wchar_t out[MAX_PATH];
    wcscpy(out, untouched.c_str());
    const bool ok = ProbePathBesideProgram(program.c_str(), length, out);
    *result = out;
    return ok;
  };
  std::wstring result;
  EXPECT_TRUE(pathFor(L"C:\\wiz\\pakorra.exe", 16, &result));
  EXPECT_EQ(result, L"C:\\wiz\\vintora.dll");

  const std::wstring folder247 = L"C:\\" + std::wstring(244, L'a');
  ASSERT_EQ(folder247.size(), 247u);
  const std::wstring program247 = folder247 + L"\\p.exe";
  EXPECT_TRUE(pathFor(program247, static_cast<DWORD>(program247.size()), &result));
  EXPECT_EQ(result, folder247 + L"\\vintora.dll");
  EXPECT_EQ(result.size(), 259u);

  const std::wstring program248 = L"C:\\" + std::wstring(245, L'a') + L"\\p.exe";
  EXPECT_FALSE(pathFor(program248, static_cast<DWORD>(program248.size()), &result));
  EXPECT_EQ(result, untouched);

  // Truncated by GetModuleFileNameW: 259 characters kept, the answer is the buffer's size.
  const std::wstring truncated = L"C:\\short\\" + std::wstring(250, L'd');
  ASSERT_EQ(truncated.size(), 259u);
  EXPECT_FALSE(pathFor(truncated, MAX_PATH, &result));
  EXPECT_EQ(result, untouched);

  EXPECT_FALSE(pathFor(L"", 0, &result)) << "GetModuleFileNameW failed";
  EXPECT_FALSE(pathFor(L"pakorra.exe", 11, &result)) << "no folder";
  EXPECT_EQ(result, untouched);
}

TEST(InitDBCore, EmptyOrNullPathFailsBeforeBinding) {
  HelperFolder wizard(NewFolderPath(L"empty"), BuiltProbe());
  const Lines lines = wizard.Run({L"init-null", L"init-empty", L"loaded=" + wizard.probeFile(), L"bind"});
  EXPECT_EQ(lines, (Lines{L"InitDBCore-1: para Err ", L"helper: init=0", L"InitDBCore-1: para Err ", L"helper: init=0",
                          L"helper: loaded=0", kBound}))
      << Narrow(Join(lines));
}

TEST(InitDBCore, HandsTheCoreToTheProbe) {
  HelperFolder wizard(NewFolderPath(L"core"), BuiltProbe());
  FakeHost host{FolderOnly(kSimulatedCore)};
  const std::wstring dict = host.AddFile(L"a.dic", "<date_time>2009.11.13</date_time>");
  host.StartCoreRecord();
  const Lines lines = wizard.Run({L"init=" + host.Core(), L"date=" + dict, L"parse=2010.1.2.3",
                                  L"init=" + host.dir() + L"\\absent.dll", L"date=" + dict});
  EXPECT_EQ(lines, (Lines{L"helper: init=1", L"helper: date=1 2009,11,13,0", L"helper: parse=1 2010,1,2,3 2010-1-2-3",
                          // The probe's own failure composes no diagnostic here.
                          L"helper: init=0", L"helper: date=0 0,0,0,0"}))
      << Narrow(Join(lines));
  EXPECT_EQ(host.CoreCalls().size(), 10u) << "one period of use, for the first date only";
}

}  // namespace
}  // namespace testsupport
