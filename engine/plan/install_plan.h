// The install plan: for every package entry, whether to install it, upgrade the installed copy or
// leave it, and where it goes. Portable: the host comes in through PlanHost.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/format/package_reader.h"  // kBlockBytes, the unit of the run
#include "engine/plan/inventory_records.h"

// Blocks of an entry of `size` bytes, a partial block counting whole (0 for an empty entry).
constexpr uint32_t BlocksOf(uint32_t size) {
  return static_cast<uint32_t>((uint64_t{size} + kBlockBytes - 1) / kBlockBytes);
}

// What deciding an entry needs from the host installation and the version probe.
class PlanHost {
 public:
  // The host's dictionary data folder, created when missing.
  virtual bool GetDictDataDir(std::wstring& dir) = 0;
  // True when the version probe is bound; only then are the two date calls made.
  virtual bool ProbeAvailable() = 0;
  virtual bool StringToDate(wchar_t* text, DictDate* date) = 0;
  virtual int CompareDate(const DictDate* first, const DictDate* second) = 0;

 protected:
  ~PlanHost() = default;
};

// Sets every entry's action and target path against the installed list (its first record of a
// file name wins), indexed once: linear work. A namesake is upgraded by a later package, or when
// its date cannot be told; one beside its own backup only by a package later than the backup and
// no earlier than the file, or when the file's own stamp cannot be read. Always succeeds.
bool AnalysePlan(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed, PlanHost& host);

// Whether the run installs the entry: its action is Install or Upgrade, not Skip.
bool IsPlanned(const PackageEntry& entry);

int CountPlannedItems(const std::vector<PackageFile>& files);
// Planned entries' sizes in blocks (BlocksOf), summed in unsigned 32-bit arithmetic.
uint32_t CountPlannedBlocks(const std::vector<PackageFile>& files);
