// Installs a 64 MiB package through the real worker thread and message protocol, and measures in
// the same run the protocol's floor: as many bare cross-thread SendMessageW round trips as the
// install sends steps, plus CopyFileW of the same bytes flushed to the disk. Counts the read and
// write requests the engine makes to the system per MiB installed. Then installs a 1 MiB and a
// 64 MiB package, each in a fresh process, and prints their peak working sets: streaming keeps
// them equal.
//
//   install_throughput            the whole benchmark
//   install_throughput --peak CONTAINER SIZE TARGET
//                                 (internal) one install in this process; prints its peak working set

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/format/byte_file.h"
#include "engine/format/package_format.h"
#include "engine/install/install_files.h"
#include "engine/install/install_messages.h"
#include "engine/install_engine.h"
#include "engine/inventory/pinned_file.h"
#include "wizard/install_worker.h"

namespace {

constexpr uint32_t kMiB = 1024 * 1024;
constexpr int kRounds = 5;

// Streams a one-entry container of size bytes to path through a small buffer.
bool WriteContainer(const std::wstring& path, uint32_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  PackageHeader header = {kPackageMagic,
                          0,
                          kPackageFormatWord,
                          kPackageFormatWord,
                          0,
                          kPackageEntryBytes,
                          1,
                          kPackageHeaderBytes + kPackageEntryBytes};
  PackageTableEntry entry = {};
  entry.size = size;
  const char16_t id[] = u"bench";
  std::copy(id, id + 5, entry.id);
  const char16_t ext[] = u".dic";
  std::copy(ext, ext + 4, entry.ext);
  uint8_t head[kPackageHeaderBytes + kPackageEntryBytes];
  EncodePackageHeader(header, head);
  EncodePackageTableEntry(entry, head + kPackageHeaderBytes);
  DWORD written = 0;
  bool ok = WriteFile(file, head, sizeof(head), &written, nullptr) && written == sizeof(head);
  std::vector<char> block(64 * 1024);
  uint32_t state = 12345;
  for (uint32_t left = size; ok && left > 0;) {
    for (char& c : block) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    const DWORD chunk = std::min<uint32_t>(left, static_cast<uint32_t>(block.size()));
    ok = WriteFile(file, block.data(), chunk, &written, nullptr) && written == chunk;
    left -= chunk;
  }
  CloseHandle(file);
  return ok;
}

using testsupport::RunPumping;

// One install of the container's single entry through InstallThreadProc. True when it finished.
bool InstallOnce(const AnswerWindow& window, const std::wstring& container, uint32_t size, const std::wstring& target) {
  DeleteFileW(target.c_str());
  InstallEngine engine;
  engine.listsReady = true;
  PackageFile file;
  file.path = container;
  // Held as the start-up check holds a container beside the wizard.
  const size_t slash = container.find_last_of(L'\\');
  PinnedFile pinned;
  std::wstring why;
  if (slash == std::wstring::npos ||
      PinFile(container.substr(0, slash), container.substr(slash + 1), pinned, why) != PinOutcome::Pinned) {
    std::printf("cannot hold %ls: %ls\n", container.c_str(), why.c_str());
    return false;
  }
  file.data = pinned.source;
  PackageEntry entry;
  entry.size = size;
  entry.id = L"bench";
  entry.ext = L".dic";
  entry.title = L"基准词典";
  entry.targetPath = target;
  entry.action = EntryAction::Install;
  file.entries.emplace(1, entry);
  engine.packageFiles.push_back(file);
  InstallThreadParam param{window.hwnd(), &engine};
  return RunPumping(InstallThreadProc, &param, INFINITE) == 0;
}

struct FloorJob {
  HWND window;
  unsigned roundTrips;
  std::wstring source, copy;
  bool copied;
  double flushSeconds;
};

// The install flushes its new file before the installed one is given up, so the floor's copy is
// flushed too: a durable copy of the bytes is what the install cannot do without.
DWORD WINAPI FloorThread(void* param) {
  FloorJob* job = static_cast<FloorJob*>(param);
  for (unsigned i = 0; i < job->roundTrips; ++i) SendMessageW(job->window, WM_INSTALL_STEP, 0, 0);
  job->copied = CopyFileW(job->source.c_str(), job->copy.c_str(), FALSE) != 0;
  const double start = Now();
  HANDLE copy =
      CreateFileW(job->copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  job->copied = job->copied && copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
  if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
  job->flushSeconds = Now() - start;
  return 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Child mode: the install alone in a fresh process, then its peak working set in bytes.
int PeakMode(const wchar_t* container, const wchar_t* sizeText, const wchar_t* target) {
  AnswerWindow window;
  const uint32_t size = static_cast<uint32_t>(wcstoul(sizeText, nullptr, 10));
  if (!InstallOnce(window, container, size, target)) return 1;
  const unsigned long long peak = PeakWorkingSet();
  if (peak == 0) return 1;
  std::printf("%llu\n", peak);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"--peak") return PeakMode(argv[2], argv[3], argv[4]);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"pk_bench_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring big = dir + L"\\big.dir", small = dir + L"\\small.dir";
  const std::wstring target = dir + L"\\bench.dic", copy = dir + L"\\copy.bin";
  const uint32_t bigSize = 64 * kMiB, smallSize = 1 * kMiB;
  if (!WriteContainer(big, bigSize) || !WriteContainer(small, smallSize)) {
    std::printf("cannot write the containers in %ls\n", dir.c_str());
    return 1;
  }

  AnswerWindow window;
  std::vector<double> installs, floors, ratios, flushes;
  unsigned installSteps = 0;
  uint64_t reads = 0, writes = 0;  // of the last round's install
  bool ok = true;
  for (int round = 0; round < kRounds && ok; ++round) {
    unsigned before = window.Count(WM_INSTALL_STEP);
    const uint64_t readsBefore = FileReadCalls(), writesBefore = FileWriteCalls();
    double start = Now();
    ok = InstallOnce(window, big, bigSize, target);
    installs.push_back(Now() - start);
    installSteps = window.Count(WM_INSTALL_STEP) - before;
    reads = FileReadCalls() - readsBefore;
    writes = FileWriteCalls() - writesBefore;

    before = window.Count(WM_INSTALL_STEP);
    FloorJob job{window.hwnd(), installSteps, big, copy, false, 0};
    DeleteFileW(copy.c_str());
    start = Now();
    RunPumping(FloorThread, &job, INFINITE);
    floors.push_back(Now() - start);
    flushes.push_back(job.flushSeconds);
    ok = ok && job.copied && window.Count(WM_INSTALL_STEP) - before == installSteps;
    ratios.push_back(installs.back() / floors.back());
    std::printf("round %d: install %.3f s, floor %.3f s, ratio %.3f\n", round + 1, installs.back(), floors.back(),
                ratios.back());
  }
  if (!ok) {
    std::printf("a run failed\n");
    return 1;
  }
  const double install = Median(installs), floor = Median(floors);
  std::printf("64 MiB install through the worker and messages: %.3f s (%u steps, median of %d)\n", install,
              installSteps, kRounds);
  std::printf("floor: %u SendMessageW round trips + CopyFileW of 64 MiB, flushed: %.3f s (flush %.3f s)\n",
              installSteps, floor, Median(flushes));
  // Install and floor run back to back in each round, so the median of the rounds' ratios is the
  // figure least disturbed by other load on the machine.
  std::printf("ratio install/floor: %.3f (median of the rounds' ratios; target <= 1.10)\n", Median(ratios));
  const double mib = static_cast<double>(bigSize) / kMiB;
  std::printf(
      "file requests per MiB installed: %.1f reads, %.1f writes (%llu and %llu for %.0f MiB; target <= 32 each)\n",
      static_cast<double>(reads) / mib, static_cast<double>(writes) / mib, static_cast<unsigned long long>(reads),
      static_cast<unsigned long long>(writes), mib);
  std::printf("ratio of the best times: %.3f\n",
              *std::min_element(installs.begin(), installs.end()) / *std::min_element(floors.begin(), floors.end()));

  const unsigned long long peakSmall = FigureOfChild({L"--peak", small, std::to_wstring(smallSize), target});
  const unsigned long long peakBig = FigureOfChild({L"--peak", big, std::to_wstring(bigSize), target});
  std::printf("peak working set, 1 MiB install: %llu KiB\n", peakSmall / 1024);
  std::printf("peak working set, 64 MiB install: %llu KiB (%+lld KiB, target within 1024 KiB)\n", peakBig / 1024,
              (static_cast<long long>(peakBig) - static_cast<long long>(peakSmall)) / 1024);

  for (const std::wstring& path : {big, small, target, copy}) DeleteFileW(path.c_str());
  RemoveDirectoryW(dir.c_str());
  return peakSmall != 0 && peakBig != 0 ? 0 : 1;
}
