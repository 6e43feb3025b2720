#include "engine/plan/install_plan.h"

#include <string_view>
#include <unordered_map>

namespace {

template <typename Visit>
void ForEachEntry(const std::vector<PackageFile>& files, Visit visit) {
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    for (const PackageEntry& entry : *file.entries) visit(entry);
  }
}

// Whether the package's date (parsed) replaces the installed namesake.
bool PackageReplaces(const DictDate& date, const InstalledDict& namesake, PlanHost& host) {
  if (!namesake.backupBeside) return host.CompareDate(&date, &namesake.date) > 0;
  // Either copy may be the newest: a complete newer file whose backup's delete failed, or an
  // earlier release's in-place upgrade cut off (its first chunks carry its package's stamp). Only a
  // package newer than the backup and not older than the file replaces them: the same package
  // completes a cut upgrade, a newer one supersedes both. A file whose stamp cannot be read is no
  // copy to keep, but the backup is, and it goes once the new file is in place: only a package
  // newer than it replaces the two.
  if (!namesake.dateRead) return host.CompareDate(&date, &namesake.backupDate) > 0;
  return host.CompareDate(&date, &namesake.backupDate) > 0 && host.CompareDate(&date, &namesake.date) >= 0;
}

}  // namespace

bool AnalysePlan(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed, PlanHost& host) {
  // File name -> first installed record of that name; the keys view the records' own names.
  std::unordered_map<std::wstring_view, const InstalledDict*> byFileName;
  byFileName.reserve(installed.size());
  for (const InstalledDict& dict : installed) byFileName.emplace(dict.fileName, &dict);

  std::wstring dataDir;
  bool haveDataDir = false;
  for (PackageFile& file : files) {
    if (!file.entries) continue;
    for (PackageEntry& entry : *file.entries) {
      const std::wstring key = EntryFileKey(entry.id, entry.ext);
      const auto found = byFileName.find(key);
      if (found == byFileName.end()) {
        // Asked once per plan: the first call creates a missing folder, and the path cannot change
        // while the plan is made (nor fail once the inventory found the host).
        if (!haveDataDir) {
          host.GetDictDataDir(dataDir);
          haveDataDir = true;
        }
        entry.action = EntryAction::Install;
        entry.targetPath.reserve(dataDir.size() + 1 + key.size());
        entry.targetPath.assign(dataDir).append(1, L'\\').append(key);
        continue;
      }
      const InstalledDict& namesake = *found->second;
      entry.action = EntryAction::Upgrade;  // when in doubt, the package's copy wins
      if (host.ProbeAvailable()) {
        DictDate date = {0, 0, 0, 0};
        // The probe rewrites "." to "-" in the entry's own text; nothing reads it afterwards.
        if (host.StringToDate(entry.date.data(), &date) && !PackageReplaces(date, namesake, host)) {
          entry.action = EntryAction::Skip;
        }
      }
      entry.targetPath = namesake.path;
    }
  }
  return true;
}

bool IsPlanned(const PackageEntry& entry) { return entry.action != EntryAction::Skip; }

int CountPlannedItems(const std::vector<PackageFile>& files) {
  int count = 0;
  ForEachEntry(files, [&](const PackageEntry& entry) { count += IsPlanned(entry) ? 1 : 0; });
  return count;
}

uint32_t CountPlannedBlocks(const std::vector<PackageFile>& files) {
  uint32_t total = 0;
  ForEachEntry(files, [&](const PackageEntry& entry) {
    if (IsPlanned(entry)) total += BlocksOf(entry.size);
  });
  return total;
}
