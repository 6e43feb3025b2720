// A sealed package (package.sha256 beside the wizard) under Wine, with the real wizard program:
// the package installs as sealed, with LF or CRLF line ends; a package that is not the one sealed
// (a damaged, cut, incomplete or extended download, another image or description, a malformed
// line) installs nothing, ends an unattended run with 4 naming the file and why in the log, and
// shows a user the damaged-package box with the file's path.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/format/package_layout.h"
#include "engine/format/seal_list.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/sealed_package.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"

namespace testsupport {
namespace {

const std::string kNewData = "the newer dictionary";

// A package of two containers, a description and an image, over an older installed x.dic.
struct SealedSetup {
  FakeHost host;
  WizardFolder wizard;
  SealedSetup() {
    host.AddInstalledDict(L"x.dic", "2001.01.01");
    wizard.AddPackage(L"a.dir", {PackageItem(L"x", L"新", kNewData, L"2020.01.01")});
    wizard.AddPackage(L"b.dir", {PackageItem(L"y", L"另", "another", L"2020.01.01")});
    WriteFileBytes(wizard / kPackageConfigFileName, "[x]\r\ndesc_name=Sealed\r\n");
    MakeDirs(wizard / kPackageImageFolder);
    WriteFileBytes(wizard / L"dict_image\\x.bmp", Bitmap("sealed image"));
  }
  std::wstring Seal() const { return wizard / kSealFileName; }
};

void FlipLastByte(const std::wstring& path) {
  std::string bytes = FileBytes(path);
  bytes.back() = static_cast<char>(bytes.back() ^ 0x01);
  WriteFileBytes(path, bytes);
}

struct SpoiledCase {
  const char* name;
  std::wstring refused;  // the file the log names
  std::string why;       // and the reason it gives
  std::function<void(const SealedSetup&)> spoil;
};

const SpoiledCase kSpoiled[] = {
    {"FlippedDataByte", L"a.dir", "the seal lists", [](const SealedSetup& s) { FlipLastByte(s.wizard / L"a.dir"); }},
    {"TruncatedContainer", L"a.dir", "the seal lists",
     [](const SealedSetup& s) {
       std::string bytes = FileBytes(s.wizard / L"a.dir");
       bytes.pop_back();
       WriteFileBytes(s.wizard / L"a.dir", bytes);
     }},
    {"ListedContainerMissing", L"b.dir", "listed in the seal but missing",
     [](const SealedSetup& s) { DeleteFileW((s.wizard / L"b.dir").c_str()); }},
    {"UnlistedContainerBeside", L"c.dir", "not listed",
     [](const SealedSetup& s) { s.wizard.AddPackage(L"c.dir", {PackageItem(L"z", L"外", "stranger")}); }},
    {"AnotherImage", L"dict_image\\x.bmp", "the seal lists",
     [](const SealedSetup& s) { WriteFileBytes(s.wizard / L"dict_image\\x.bmp", Bitmap("another image")); }},
    {"ChangedDictconfig", L"dictconfig.ini", "the seal lists",
     [](const SealedSetup& s) { WriteFileBytes(s.wizard / kPackageConfigFileName, "[x]\r\ndesc_name=Other\r\n"); }},
    {"MalformedSealLine", L"package.sha256", "line 7 malformed",
     [](const SealedSetup& s) { WriteFileBytes(s.Seal(), FileBytes(s.Seal()) + "not a digest  a.dir\n"); }},
};

TEST(SealedPackage, ASpoiledPackageInstallsNothingAndNamesTheFile) {
  for (const SpoiledCase& c : kSpoiled) {
    SCOPED_TRACE(c.name);
    SealedSetup setup;
    ASSERT_TRUE(SealPackageFolder(setup.wizard.dir()));
    c.spoil(setup);
    const auto before = TreeFiles(setup.host / L"plugin");
    ScratchDir logs(L"logs");
    const std::wstring log = logs / L"run.log";
    const ChildRun run = RunToEnd(setup.wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, kExitWait);
    const std::string logged = FileBytes(log);
    EXPECT_EQ(run.exitCode, 4u) << logged;
    EXPECT_TRUE(TreeFiles(setup.host / L"plugin") == before) << "the host's folders changed\n" << logged;
    EXPECT_NE(logged.find(Narrow(setup.wizard / c.refused) + ": "), std::string::npos) << logged;
    EXPECT_NE(logged.find(c.why), std::string::npos) << logged;
  }
}

TEST(SealedPackage, InstallsAsSealedWithEitherLineEnd) {
  for (const char* lineEnd : {"\n", "\r\n"}) {
    SCOPED_TRACE(lineEnd[0] == '\r' ? "CRLF" : "LF");
    SealedSetup setup;
    ASSERT_TRUE(SealPackageFolder(setup.wizard.dir(), lineEnd));
    ScratchDir logs(L"logs");
    const std::wstring log = logs / L"run.log";
    const ChildRun run = RunToEnd(setup.wizard.Exe(), {L"/S", L"/LOG=" + log}, {}, kExitWait);
    EXPECT_EQ(run.exitCode, 0u) << FileBytes(log);
    EXPECT_EQ(FileBytes(setup.host.DataDir() + L"\\x.dic"), kNewData);
    EXPECT_EQ(FileBytes(setup.host.ImageDir() + L"\\x.bmp"), Bitmap("sealed image"));
    // Both containers, the description, the image and the library were read and matched; the
    // wizard's own file is only seen to be there.
    EXPECT_NE(FileBytes(log).find("6 files listed, 5 read, each as sealed"), std::string::npos) << FileBytes(log);
  }
}

TEST(SealedPackage, AUserSeesTheDamagedPackageBoxWithTheFilesPath) {
  SealedSetup setup;
  ASSERT_TRUE(SealPackageFolder(setup.wizard.dir()));
  FlipLastByte(setup.wizard / L"b.dir");
  const std::string installed = FileBytes(setup.host.DataDir() + L"\\x.dic");
  WizardRun run;
  ASSERT_TRUE(run.Start(setup.wizard.Exe())) << run.StartFailure();
  const HWND box = run.WaitForMessageBox(wizard_text::kErrorCaption);
  ASSERT_NE(box, nullptr) << "no box; page " << PageName(run.Page());
  EXPECT_EQ(MessageBoxText(box), FormatText(wizard_text::kUnpackFailed, (setup.wizard / L"b.dir").c_str()));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(run.ExitCodeWithin(kExitWait), 2u);
  EXPECT_EQ(FileBytes(setup.host.DataDir() + L"\\x.dic"), installed);
}

}  // namespace
}  // namespace testsupport
