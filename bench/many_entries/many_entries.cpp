// Packages of many small dictionaries: one container of 512 and one of 4,096 one-block entries,
// each described in dictconfig.ini with every key registration copies, through the real start-up
// check, worker thread and message protocol into an empty host; the time per entry of each. Then
// the peak working set of a fresh process that checks and installs a package of 1,000 containers
// of one entry each, beside that of a process that does nothing.
//
//   many_entries                 the whole benchmark (run from the build's bin folder; writes the
//                                host key in HKLM)
//   many_entries --memory        the peak working sets alone
//   many_entries --peak FOLDER   (internal) the check and the installation of the package in
//                                FOLDER into the registered host; prints its peak working set
//   many_entries --idle          (internal) prints the peak working set of doing nothing

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/install/install_messages.h"
#include "engine/install_engine.h"
#include "engine/testing_seams.h"
#include "tests/support/container_bytes.h"
#include "tests/support/data_patterns.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "wizard/install_worker.h"

namespace {

using testsupport::ScratchDir;

constexpr uint32_t kOneBlock = 2048;
constexpr unsigned long long kMiB = 1024 * 1024;

std::wstring Id(unsigned container, unsigned entry) {
  return L"d" + std::to_wstring(container) + L"_" + std::to_wstring(entry);
}

// A package folder: `containers` containers of `entries` entries of `size` bytes each; when
// `described`, a dictconfig.ini (code page 936, as publishers write it) with every copied key for
// each, else none (each entry's section then holds its id alone).
bool WritePackage(const std::wstring& folder, unsigned containers, unsigned entries, uint32_t size, bool described) {
  std::string config;
  for (unsigned c = 0; c < containers; ++c) {
    std::vector<testsupport::ContainerItem> items;
    for (unsigned e = 0; e < entries; ++e) {
      const std::wstring id = Id(c, e);
      items.push_back(testsupport::PackageItem(id, L"词典 " + id, testsupport::Pattern(size, c * entries + e)));
      const std::string name(id.begin(), id.end());
      config += "[" + name + "]\r\nid_net=net-" + name + "\r\ndesc_name=\xB4\xCA\xB5\xE4 " + name +
                "\r\ncatalog=\xD0\xC2\xCE\xC5\r\nfrom=en\r\nto=zh\r\ndesc_intro=\xCA\xD5\xC2\xBC\xB3\xA3\xD3\xC3"
                "\xB4\xCA\xBB\xE3\r\ndesc_copyright=(c) publisher\r\nenable=1\r\nfunc_all=7\r\n";
    }
    const std::wstring name = folder + L"\\p" + std::to_wstring(c) + L".dir";
    if (!testsupport::WriteFileBytes(name, testsupport::ContainerBytes(items))) return false;
  }
  return !described || testsupport::WriteFileBytes(folder + L"\\dictconfig.ini", config);
}

// The start-up check and the run through the worker thread, for the package in `folder`; the
// seconds of each. False when either did not plan or install everything.
bool CheckAndInstall(const std::wstring& folder, unsigned expected, double& checkSeconds, double& runSeconds) {
  SetModuleDirForTesting(folder + L"\\");
  InstallEngine engine;
  double start = Now();
  const int planned = engine.GetPlannedItemCount();
  checkSeconds = Now() - start;
  bool ok = planned == static_cast<int>(expected);
  if (ok) {
    AnswerWindow window;
    InstallThreadParam param{window.hwnd(), &engine};
    start = Now();
    ok = testsupport::RunPumping(InstallThreadProc, &param, INFINITE) == 0 &&
         window.Count(WM_ITEM_SUCCESS) == expected;
    runSeconds = Now() - start;
  }
  SetModuleDirForTesting(L"");
  return ok;
}

constexpr unsigned kPeakContainers = 1000;

int PeakMode(const std::wstring& folder) {
  double check = 0, run = 0;
  if (!CheckAndInstall(folder, kPeakContainers, check, run)) return 1;
  std::printf("%llu\n", PeakWorkingSet());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--peak") return PeakMode(argv[2]);
  if (argc == 2 && std::wstring(argv[1]) == L"--idle") {
    std::printf("%llu\n", PeakWorkingSet());
    return 0;
  }

  bool ok = true;
  const bool timed = !(argc == 2 && std::wstring(argv[1]) == L"--memory");
  for (const bool described : {false, true}) {
    if (!timed) break;
    for (const unsigned entries : {512u, 4096u}) {
      testsupport::HostSetup setup;
      setup.programs = false;
      testsupport::FakeHost host(setup);
      ScratchDir package(L"many");
      double check = 0, run = 0;
      if (!WritePackage(package.path(), 1, entries, kOneBlock, described) ||
          !CheckAndInstall(package.path(), entries, check, run)) {
        std::printf("%u entries: the run did not install every entry\n", entries);
        ok = false;
        continue;
      }
      // The last entry registered, with its description's values when it has one.
      const std::wstring last = Id(0, entries - 1);
      if (testsupport::IniValue(host.ConfigPath(), last.c_str(), L"id") != last ||
          (described && testsupport::IniValue(host.ConfigPath(), last.c_str(), L"func_all") != L"7")) {
        std::printf("%u entries: the last one was not registered\n", entries);
        ok = false;
      }
      std::string config;
      testsupport::ReadFileBytes(host.ConfigPath(), config);
      std::printf("one container, %4u one-block entries, %s: check %.2f s, run %.2f s, %.2f ms per entry "
                  "(host configuration %zu KiB)\n",
                  entries, described ? "each described (10 keys)" : "no dictconfig.ini (id only)", check, run,
                  run * 1e3 / entries, config.size() / 1024);
    }
  }

  testsupport::HostSetup setup;
  setup.programs = false;
  testsupport::FakeHost host(setup);
  ScratchDir package(L"peak");
  if (!WritePackage(package.path(), kPeakContainers, 1, 64, true)) {
    std::printf("cannot write the package of %u containers\n", kPeakContainers);
    return 1;
  }
  const unsigned long long peak = FigureOfChild({L"--peak", package.path()});
  const unsigned long long idle = FigureOfChild({L"--idle"});
  if (peak == 0 || idle == 0) {
    std::printf("%u containers: the run failed\n", kPeakContainers);
    return 1;
  }
  std::printf("peak working set, check and run of %u containers: %.1f MiB (target <= 32 MiB); a process doing "
              "nothing: %.1f MiB\n",
              kPeakContainers, static_cast<double>(peak) / kMiB, static_cast<double>(idle) / kMiB);
  return ok ? 0 : 1;
}
