// Start-up check benchmark: the inventory and plan (what the wizard does before its first page)
// on 10 containers x 50 entries against 1,000 installed dictionaries, and on ten times as many,
// beside the bare listing of the same folders and the probe calls it cannot avoid; and the check of
// a sealed 64 MiB package beside the listing, the probe calls and one read and SHA-256 of every
// byte the check holds, through the same calls.
//
//   startup_check.exe            (run from the build's bin folder; writes the host key in HKLM)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/format/sha256.h"
#include "engine/install_engine.h"
#include "engine/inventory/pinned_file.h"
#include "engine/inventory/probe_binding.h"
#include "engine/testing_seams.h"
#include "tests/support/container_bytes.h"
#include "tests/support/fake_host.h"
#include "tests/support/files.h"
#include "tests/support/sealed_package.h"

namespace {

using testsupport::ContainerItem;

template <typename Work>
double MedianSeconds(int runs, Work work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    work();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

size_t ListCount(const std::wstring& pattern) {
  size_t n = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

struct Figures {
  double check, plan, listing, probe;
  double packages, installed;  // the check's two listings with their reading, each on its own
};

// One layout: `containers` containers of 50 entries, `installed` installed dictionaries; half of
// the entries have an installed namesake (dates then decide), half are new.
Figures Measure(int containers, int installed) {
  testsupport::ScratchDir wizard(L"bench_wiz");
  testsupport::HostSetup setup;
  setup.programs = false;
  testsupport::FakeHost host(setup);
  const std::wstring dataDir = host.DataDir();
  for (int i = 0; i < installed; ++i) {
    host.AddInstalledDict(L"d" + std::to_wstring(i) + L".dic", "2010.1." + std::to_string(1 + i % 28));
  }
  int serial = 0;
  for (int c = 0; c < containers; ++c) {
    std::vector<ContainerItem> items;
    for (int e = 0; e < 50; ++e, ++serial) {
      const bool namesake = serial % 2 == 0;
      const std::wstring id = namesake ? L"d" + std::to_wstring(serial % installed) : L"n" + std::to_wstring(serial);
      items.push_back(testsupport::PackageItem(id, L"词典", "data", L"2010.1.15"));
    }
    testsupport::WriteFileBytes(wizard / (L"p" + std::to_wstring(c) + L".dir"), testsupport::ContainerBytes(items));
  }
  SetModuleDirForTesting(wizard.path() + L"\\");

  Figures f{};
  InstallEngine last;
  f.check = MedianSeconds(3, [&] {
    InstallEngine engine;
    if (engine.GetPlannedItemCount() < 0) std::printf("inventory failed\n");
    last = std::move(engine);
  });
  f.packages = MedianSeconds(3, [&] {
    std::vector<PackageFile> files;
    last.ReadDirFilesInfo(files);
  });
  f.installed = MedianSeconds(3, [&] {
    std::vector<InstalledDict> dicts;
    last.ReadLocalDictFilesInfo(dicts);
  });
  // The plan alone, on fresh copies of the lists (copied before the clock starts).
  std::vector<std::vector<PackageFile>> copies(5, last.packageFiles);
  size_t next = 0;
  f.plan = MedianSeconds(5, [&] { last.Analyse(copies[next++], last.installedDicts); });
  f.listing = MedianSeconds(3, [&] {
    ListCount(wizard.path() + L"\\*.dir");
    ListCount(dataDir + L"\\*.*");
  });
  // The probe calls the check makes: one stamp read per installed file, one parse and compare
  // per entry with a namesake.
  f.probe = MedianSeconds(3, [&] {
    const ProbeBinding& probe = GetProbeBinding();
    for (const InstalledDict& dict : last.installedDicts) {
      DictDate date = {0, 0, 0, 0};
      probe.get_dict_datetime(dict.path.c_str(), &date);
    }
    for (int i = 0; i < containers * 25; ++i) {
      wchar_t text[] = L"2010.1.15";
      DictDate a = {0, 0, 0, 0}, b = {2010, 1, 1, 0};
      probe.string_to_date(text, &a);
      probe.compare_date(&a, &b);
    }
  });
  SetModuleDirForTesting(L"");
  return f;
}

struct SealedFigures {
  double check, listing, probe, hashing;
  uint64_t bytes;  // read and hashed by the check
};

// Every byte of the held file read once, in the check's requests, into SHA-256.
uint64_t HashPinned(const std::wstring& relative) {
  PinnedFile pinned;
  std::wstring why;
  if (PinPackageFile(relative, pinned, why) != PinOutcome::Pinned) return 0;
  std::vector<uint8_t> buffer(1024 * 1024);
  Sha256 hash;
  uint64_t total = 0;
  uint32_t got = 0;
  do {
    if (!pinned.source->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), got)) return 0;
    hash.Update(buffer.data(), got);
    total += got;
  } while (got == buffer.size());
  Sha256Digest digest;
  return hash.Finish(digest) ? total : 0;
}

// Eight containers of one 8 MiB entry each, sealed, with the library's copy beside them (the seal
// lists it as the wizard's folder would hold it); nothing installed.
SealedFigures MeasureSealed() {
  testsupport::ScratchDir wizard(L"bench_sealed");
  testsupport::HostSetup setup;
  setup.programs = false;
  testsupport::FakeHost host(setup);
  std::vector<std::wstring> held = {L"vintora.dll"};
  for (int c = 0; c < 8; ++c) {
    std::string data(8u << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 2654435761u + c) >> 13);
    held.push_back(L"s" + std::to_wstring(c) + L".dir");
    testsupport::WriteFileBytes(wizard / held.back(),
                                testsupport::ContainerBytes({testsupport::PackageItem(L"s" + std::to_wstring(c), L"词典", data)}));
  }
  CopyFileW(testsupport::BuiltFile(L"vintora.dll").c_str(), (wizard / L"vintora.dll").c_str(), FALSE);
  testsupport::SealPackageFolder(wizard.path());
  SetModuleDirForTesting(wizard.path() + L"\\");

  SealedFigures f{};
  // The check and its floor in turns, so that both see the same machine; the median of each.
  std::vector<double> checks, hashings;
  for (int run = 0; run < 5; ++run) {
    checks.push_back(MedianSeconds(1, [&] {
      ResetPackageSealForTesting();
      InstallEngine engine;
      if (engine.GetPlannedItemCount() != 8) std::printf("sealed inventory failed\n");
    }));
    hashings.push_back(MedianSeconds(1, [&] {
      f.bytes = 0;
      for (const std::wstring& name : held) f.bytes += HashPinned(name);
    }));
  }
  std::sort(checks.begin(), checks.end());
  std::sort(hashings.begin(), hashings.end());
  f.check = checks[2];
  f.hashing = hashings[2];
  f.listing = MedianSeconds(3, [&] { ListCount(wizard.path() + L"\\*.dir"); });
  f.probe = MedianSeconds(3, [&] {
    const ProbeBinding& probe = GetProbeBinding();
    for (int i = 0; i < 8; ++i) {
      wchar_t text[] = L"2009.11.13";
      DictDate date = {0, 0, 0, 0};
      probe.string_to_date(text, &date);
    }
  });
  SetModuleDirForTesting(L"");
  ResetPackageSealForTesting();
  return f;
}

}  // namespace

int main() {
  std::printf("start-up check (inventory + plan), median of 3 runs\n");
  std::printf("%-28s %10s %10s %12s %12s %10s %10s %8s\n", "layout", "check ms", "plan ms", "packages ms",
              "installed ms", "list ms", "probe ms", "check/(list+probe)");
  const Figures small = Measure(10, 1000);
  const Figures large = Measure(100, 10000);
  const char* names[] = {"10 x 50 vs 1,000 installed", "100 x 50 vs 10,000 installed"};
  const Figures* all[] = {&small, &large};
  for (int i = 0; i < 2; ++i) {
    const Figures& f = *all[i];
    std::printf("%-28s %10.1f %10.2f %12.1f %12.1f %10.1f %10.1f %8.2f\n", names[i], f.check * 1e3, f.plan * 1e3,
                f.packages * 1e3, f.installed * 1e3, f.listing * 1e3, f.probe * 1e3, f.check / (f.listing + f.probe));
  }
  std::printf("plan growth for 10x the work: %.2fx (target <= 12x); whole check growth: %.2fx\n",
              large.plan / small.plan, large.check / small.check);

  const SealedFigures sealed = MeasureSealed();
  const double floor = sealed.listing + sealed.probe + sealed.hashing;
  std::printf("sealed package, %.1f MiB held and hashed: check %.1f ms, floor (list %.1f + probe %.1f + read and "
              "hash %.1f) %.1f ms, check/floor %.2f (target <= 1.10), hashing %.0f MB/s\n",
              sealed.bytes / 1048576.0, sealed.check * 1e3, sealed.listing * 1e3, sealed.probe * 1e3,
              sealed.hashing * 1e3, floor * 1e3, sealed.check / floor, sealed.bytes / 1e6 / sealed.hashing);
  return 0;
}
