// Runs the real engine's installation of the package in a folder into the registered host, and
// ends the process just before its k-th file-system step, as a kill or a power cut would, so that
// a test can look at what each step leaves on disk.
//
//   install_until_killed.exe PACKAGE_FOLDER K
//
// K = 0 runs to the end. Prints "steps N" (the steps made) and, when the run ended by itself,
// "finished"; the k-th step ends the process with exit code 77 before it is made.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "engine/install/install_run.h"
#include "engine/install_engine.h"
#include "engine/testing_seams.h"

namespace {

constexpr UINT kKilledExitCode = 77;

struct Countdown {
  unsigned long long stepsMade = 0;
  unsigned long long killAt = 0;
};

void CountStep(FileStep, const std::wstring&, const std::wstring&, void* context) {
  auto& countdown = *static_cast<Countdown*>(context);
  if (countdown.killAt != 0 && countdown.stepsMade + 1 == countdown.killAt) {
    std::printf("steps %llu\n", countdown.stepsMade);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  }
  ++countdown.stepsMade;
}

// Answers as the wizard's dialog does: every failure lets the run go on.
class GoOnReporter final : public InstallReporter {
 public:
  void RunStarted() override {}
  void ItemStarted(const std::wstring&, EntryAction) override {}
  void Step() override {}
  void ItemSucceeded(const std::wstring&, EntryAction) override {}
  bool ItemFailed(const std::wstring&, EntryAction) override { return true; }
  bool ContainerFailed(const std::wstring&) override { return true; }
  void RunFinished(unsigned) override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::printf("usage: install_until_killed PACKAGE_FOLDER K\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';
  SetModuleDirForTesting(folder);
  SetPollPauseForTesting(20);
  Countdown countdown;
  countdown.killAt = std::wcstoull(argv[2], nullptr, 10);

  InstallEngine engine;
  if (engine.GetPlannedItemCount() < 0) {
    std::printf("no plan\n");
    return 3;
  }
  ObserveFileStepsForTesting(CountStep, &countdown);
  GoOnReporter reporter;
  const bool finished = InstallAll(engine.packageFiles, reporter);
  ObserveFileStepsForTesting(nullptr, nullptr);
  std::printf("steps %llu\n%s\n", countdown.stepsMade, finished ? "finished" : "stopped");
  return finished ? 0 : 1;
}
