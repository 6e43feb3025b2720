// A kill or a power cut at any point of an installation leaves every dictionary it touches
// complete, old or new. The real engine's run (install_until_killed.exe) is ended just before its
// k-th file-system step, for every k from the first to the last, over a plan with an upgrade of a
// plain file, of a read-only file and of a file the host's service holds, a new install, and an
// entry in a second container. After each kill:
//   (a) every touched dictionary is whole under its own name, old or new, or, only between the
//       two renames of its upgrade, the old one under its backup name with nothing under its own;
//       nothing else lies beside them but a partial new copy; the image of the upgrade and of the
//       new install (valid BMPs) is in place only once its dictionary is new, and otherwise
//       waits, whole or cut off, under its new-file name, or is not there yet;
//   (c) where a dictionary waits under its backup name, a run of the real wizard (unattended) with
//       a package that lacks it puts it back, and places or deletes a waiting image;
//   (b) a run of the real wizard (unattended) with the same package ends with every dictionary
//       byte-identical to the package's, the images in place, nothing left beside them, and each
//       registered once.
// The service is ended before the wizard's runs.
// The whole runs twice: from the old dictionaries, and from what an earlier release's cut upgrade
// left of one of them (the first part of the new file under its name, the old one as its backup).
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/format/entry_name.h"
#include "tests/support/child_process.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/processes.h"
#include "tests/support/wait.h"
#include "tests/support/wizard_run.h"
#include "wizard/res/resource.h"

namespace testsupport {
namespace {

constexpr DWORD kKilledExitCode = 77;
constexpr const wchar_t* kLogName = L"run.log";

struct Dictionary {
  std::wstring id;
  std::string oldBytes;  // empty: not installed before
  std::string newBytes;
  bool readOnly = false;
  bool held = false;  // held open by the host's service
  std::string image = {};  // its image in the package, a BMP the wizard copies; empty: none
};

std::wstring FileName(const Dictionary& dict) { return dict.id + L".dic"; }
std::wstring ImageName(const Dictionary& dict) { return dict.id + L".bmp"; }

class CrashConsistencyTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    dicts_ = {
        {L"plain", DictionaryFile("2008.01.01", Pattern(3000, 1)), DictionaryFile("2009.11.13", Pattern(5000, 2))},
        {L"ro", DictionaryFile("2008.01.01", Pattern(100, 3)), DictionaryFile("2009.11.13", Pattern(2100, 4)), true},
        {L"held", DictionaryFile("2008.01.01", Pattern(200, 5)), DictionaryFile("2009.11.13", Pattern(300, 6)), false,
         true},
        {L"fresh", "", DictionaryFile("2009.11.13", Pattern(4100, 7))},
        {L"second", "", DictionaryFile("2009.11.13", Pattern(10, 8))},
    };
    // An upgrade and a new install with images: their copies and placements are steps too.
    dicts_[0].image = Bitmap(Pattern(5000, 9));
    dicts_[3].image = Bitmap(Pattern(300, 10));
    std::vector<ContainerItem> first, second;
    for (const Dictionary& dict : dicts_) {
      (dict.id == L"second" ? second : first).push_back(PackageItem(dict.id, dict.id, dict.newBytes));
    }
    ASSERT_TRUE(package_.AddPackage(L"a.dir", first));
    ASSERT_TRUE(package_.AddPackage(L"b.dir", second));
    std::string config;
    for (const Dictionary& dict : dicts_)
      config += "[" + Narrow(dict.id) + "]\r\ndesc_name=" + Narrow(dict.id) + "\r\n";
    ASSERT_TRUE(WriteFileBytes(package_ / L"dictconfig.ini", config));
    ASSERT_TRUE(MakeDirs(package_ / L"dict_image"));
    for (const Dictionary& dict : dicts_) {
      if (!dict.image.empty()) {
        ASSERT_TRUE(WriteFileBytes(package_ / (L"dict_image\\" + ImageName(dict)), dict.image));
      }
    }
    // A package that lacks every dictionary above.
    ASSERT_TRUE(other_.AddPackage(L"o.dir", {PackageItem(L"unrelated", L"unrelated", "u")}));
  }

  void TearDown() override { TerminateAll(L"zrdsvc.exe"); }

  // The host as it was before the installation: the old dictionaries, their sections, the
  // service holding one of them; with `leftover`, the first one as an earlier release's cut
  // upgrade left it.
  void ResetHost(bool leftover = false) {
    // Nothing of the last iteration may run on: a repair tool still asking services to stop
    // would stop the new one.
    service_.Terminate();
    TerminateProgramsIn(host_.dir());
    for (const std::wstring& dir : {host_.DataDir(), host_.ImageDir()}) {
      for (const std::wstring& name : ListFolder(dir)) {
        const std::wstring path = dir + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(DeleteFileW(path.c_str())) << Narrow(name) << ": error " << GetLastError();
      }
    }
    DeleteFileW(host_.ServiceLogPath().c_str());
    DeleteFileW(host_.RepairLogPath().c_str());
    std::string config;
    leftover_ = leftover ? dicts_[0].newBytes.substr(0, dicts_[0].newBytes.size() / 3) : "";
    for (const Dictionary& dict : dicts_) {
      if (dict.oldBytes.empty()) continue;
      const std::wstring path = host_.DataDir() + L"\\" + FileName(dict);
      if (&dict == &dicts_[0] && !leftover_.empty()) {
        ASSERT_TRUE(WriteFileBytes(path + kBackupSuffix, dict.oldBytes));
        ASSERT_TRUE(WriteFileBytes(path, leftover_));
      } else {
        ASSERT_TRUE(WriteFileBytes(path, dict.oldBytes));
      }
      if (dict.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
      config += "[" + Narrow(dict.id) + "]\r\nid=" + Narrow(dict.id) + "\r\n";
    }
    ASSERT_TRUE(WriteFileBytes(host_.ConfigPath(), config));
    for (const Dictionary& dict : dicts_) {
      if (!dict.held) continue;
      ASSERT_TRUE(StartService(service_, host_.ServiceExe(), {L"--hold", host_.DataDir() + L"\\" + FileName(dict)}))
          << "service: " << FileBytes(host_.ServiceLogPath()) << "\nrepair tool: " << FileBytes(host_.RepairLogPath());
    }
  }

  // Runs the engine's installation, ended before step k (0: to the end); the steps it made.
  // `ended` says how the run ended.
  unsigned long long InstallUntil(unsigned long long k, bool& killed, std::string* ended = nullptr) {
    ChildOptions options;
    options.captureOutput = true;
    const ChildRun run =
        RunToEnd(BuiltFile(L"install_until_killed.exe"), {package_.dir(), std::to_wstring(k)}, options, kRunWait, true);
    killed = run.finished && run.exitCode == kKilledExitCode;
    if (ended != nullptr) {
      *ended = run.startFailure + (run.finished ? "exit code " + std::to_string(run.exitCode) : "still running") +
               "\n" + run.out + run.err;
      for (const std::wstring& trace : run.traces) *ended += Narrow(trace) + "\n";
    }
    const size_t at = run.out.rfind("steps ");
    return at == std::string::npos ? 0 : std::stoull(run.out.substr(at + 6));
  }

  // (a): each dictionary whole, old or new, under its own name, or old under its backup name
  // with nothing under its own; beside them at most partial new copies.
  ::testing::AssertionResult EveryDictionaryWhole(std::vector<std::wstring>& waitingAsBackup) const {
    std::vector<std::wstring> names = ListFolder(host_.DataDir());
    for (const Dictionary& dict : dicts_) {
      const std::wstring own = FileName(dict), backup = own + kBackupSuffix, fresh = own + kNewFileSuffix;
      const std::string here = FileBytes(host_.DataDir() + L"\\" + own);
      const std::string aside = FileBytes(host_.DataDir() + L"\\" + backup);
      const bool hasOwn = FileExists(host_.DataDir() + L"\\" + own);
      const bool hasBackup = FileExists(host_.DataDir() + L"\\" + backup);
      // The cut-off leftover may stay under the name only while the old file waits beside it.
      const bool leftoverBesideOld = &dict == &dicts_[0] && !leftover_.empty() && here == leftover_ && hasBackup;
      if (hasOwn && here != dict.newBytes && here != dict.oldBytes && !leftoverBesideOld) {
        return ::testing::AssertionFailure() << Narrow(own) << " is neither the old nor the new file";
      }
      if (hasBackup && aside != dict.oldBytes)
        return ::testing::AssertionFailure() << Narrow(backup) << " is not the old file";
      if (!hasOwn && !dict.oldBytes.empty()) {
        if (!hasBackup) return ::testing::AssertionFailure() << Narrow(own) << " is gone under both names";
        waitingAsBackup.push_back(own);
      }
      for (const std::wstring& name : {own, backup, fresh}) {
        for (size_t i = 0; i < names.size(); ++i) {
          if (CompareStringOrdinal(names[i].c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
            names.erase(names.begin() + i--);
        }
      }
    }
    if (!names.empty()) return ::testing::AssertionFailure() << "left in the folder: " << Narrow(names.front());
    return ImagesWhole(true);
  }

  // The images: each in place only as the package's, or not there at all. Right after a kill
  // (`afterKill`) one is in place only once its dictionary is the new one, and may wait beside its
  // place, whole or cut off; after a repair nothing waits (a whole image found waiting took its
  // place, as the dictionary's section did before its data).
  ::testing::AssertionResult ImagesWhole(bool afterKill) const {
    std::vector<std::wstring> names = ListFolder(host_.ImageDir());
    for (const Dictionary& dict : dicts_) {
      if (dict.image.empty()) continue;
      const std::wstring placed = host_.ImageDir() + L"\\" + ImageName(dict), waiting = placed + kNewFileSuffix;
      if (FileExists(placed)) {
        if (FileBytes(placed) != dict.image) {
          return ::testing::AssertionFailure() << Narrow(ImageName(dict)) << " is not the package's";
        }
        if (afterKill && FileBytes(host_.DataDir() + L"\\" + FileName(dict)) != dict.newBytes) {
          return ::testing::AssertionFailure() << Narrow(ImageName(dict)) << " is in place before its dictionary";
        }
      }
      if (FileExists(waiting) && dict.image.compare(0, FileBytes(waiting).size(), FileBytes(waiting)) != 0) {
        return ::testing::AssertionFailure() << "the waiting " << Narrow(ImageName(dict)) << " is no part of it";
      }
      for (const std::wstring& name : {ImageName(dict), ImageName(dict) + kNewFileSuffix}) {
        if (name != ImageName(dict) && !afterKill) continue;
        const auto at = std::find(names.begin(), names.end(), name);
        if (at != names.end()) names.erase(at);
      }
    }
    if (!names.empty()) return ::testing::AssertionFailure() << "left in the image folder: " << Narrow(names.front());
    return ::testing::AssertionSuccess();
  }

  // The real wizard, unattended, through a whole installation without the hand-off (or, with
  // nothing left to install, ended from its up-to-date page).
  ::testing::AssertionResult RunWizard(const WizardFolder& folder) const {
    // The wizard's first act is to write its log: a run without one never ran the wizard.
    const std::wstring log = folder / kLogName;
    DeleteFileW(log.c_str());
    const ChildRun run = RunToEnd(folder.Exe(), {L"/S", L"/LOG=" + log}, {}, kRunWait);
    if (!run.startFailure.empty()) return ::testing::AssertionFailure() << run.startFailure;
    if (!FileExists(log)) return ::testing::AssertionFailure() << "the wizard never ran: exit code " << run.exitCode;
    if (!run.finished || run.exitCode != 0) return ::testing::AssertionFailure() << "exit code " << run.exitCode;
    return ::testing::AssertionSuccess();
  }

  // (b): every dictionary the package's, nothing beside it, each section once.
  ::testing::AssertionResult EverythingInstalledOnce() const {
    const std::string config = FileBytes(host_.ConfigPath());
    for (const Dictionary& dict : dicts_) {
      if (FileBytes(host_.DataDir() + L"\\" + FileName(dict)) != dict.newBytes) {
        return ::testing::AssertionFailure() << Narrow(FileName(dict)) << " is not the package's";
      }
      const std::string header = "[" + Narrow(dict.id) + "]";
      const size_t first = config.find(header);
      if (first == std::string::npos || config.find(header, first + 1) != std::string::npos) {
        return ::testing::AssertionFailure() << header << " is not there once";
      }
      if (IniValue(host_.ConfigPath(), dict.id.c_str(), L"desc_name") != dict.id) {
        return ::testing::AssertionFailure() << header << " lacks its registration";
      }
    }
    for (const std::wstring& name : ListFolder(host_.DataDir())) {
      bool known = name == L"unrelated.dic";
      for (const Dictionary& dict : dicts_) known = known || name == FileName(dict);
      if (!known) return ::testing::AssertionFailure() << "left in the data folder: " << Narrow(name);
    }
    for (const Dictionary& dict : dicts_) {
      if (!dict.image.empty() && FileBytes(host_.ImageDir() + L"\\" + ImageName(dict)) != dict.image) {
        return ::testing::AssertionFailure() << Narrow(ImageName(dict)) << " is not in place";
      }
    }
    return ImagesWhole(false);
  }

  // What a failed iteration leaves to look at: the data folder and the last run's log.
  std::string Aftermath() const {
    std::string text;
    for (const std::wstring& dir : {host_.DataDir(), host_.ImageDir()}) {
      text += (dir == host_.DataDir() ? "data folder:" : "\nimage folder:");
      for (const std::wstring& name : ListFolder(dir)) {
        text += "\n  " + Narrow(name) + " (" + std::to_string(FileBytes(dir + L"\\" + name).size()) + " bytes)";
      }
    }
    return text + "\nlog of the wizard's run:\n" + FileBytes(package_ / kLogName);
  }

  FakeHost host_;
  WizardFolder package_, other_;
  ChildProcess service_;
  std::vector<Dictionary> dicts_;
  std::string leftover_;  // the cut-off new file of dicts_[0] an earlier release left; empty: none
};

TEST_P(CrashConsistencyTest, KilledAtEveryStepThenRunAgain) {
  const bool leftover = GetParam();
  ResetHost(leftover);
  bool killed = false;
  const unsigned long long steps = InstallUntil(0, killed);
  ASSERT_FALSE(killed);
  ASSERT_GT(steps, 20u);
  std::printf("%llu file-system steps, each the last before a kill\n", steps);
  for (unsigned long long k = 1; k <= steps; ++k) {
    SCOPED_TRACE("killed before step " + std::to_string(k) + " of " + std::to_string(steps));
    ResetHost(leftover);
    std::string ended;
    InstallUntil(k, killed, &ended);
    ASSERT_TRUE(killed) << ended;
    // The wizard's runs below find the service ended: how a run gets a held file from the service
    // does not depend on the step a kill came at and is tested on its own (wizard_run_wine_test,
    // install_run_test); here it would add the wizard's half-second wait for the service to most
    // steps.
    service_.Terminate();
    std::vector<std::wstring> waiting;
    ASSERT_TRUE(EveryDictionaryWhole(waiting));
    if (!waiting.empty()) {
      ASSERT_TRUE(RunWizard(other_));
      for (const std::wstring& name : waiting) {
        const Dictionary* dict = nullptr;
        for (const Dictionary& d : dicts_) {
          if (FileName(d) == name) dict = &d;
        }
        EXPECT_EQ(FileBytes(host_.DataDir() + L"\\" + name), dict->oldBytes) << Narrow(name) << " not put back";
      }
      EXPECT_TRUE(ImagesWhole(false)) << "a waiting image is placed or deleted";
    }
    ASSERT_TRUE(RunWizard(package_)) << Aftermath();
    ASSERT_TRUE(EverythingInstalledOnce()) << Aftermath();
  }
}

// Once from the old dictionaries, once from an earlier release's cut upgrade of the first.
INSTANTIATE_TEST_SUITE_P(FromOldFilesAndFromALeftover, CrashConsistencyTest, ::testing::Bool());

}  // namespace
}  // namespace testsupport
