#include "wizard/logic/plan_description.h"

#include <algorithm>
#include <unordered_map>

#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/text_format.h"

namespace {

std::wstring TwoDigits(uint32_t value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

// The plan's date parse rewrites "." to "-" in the text of every entry with an installed namesake;
// the others show the same form, so that one package's dates read alike.
std::wstring EntryDateText(const std::wstring& date) {
  if (date.empty()) return log_text::kNoDate;
  std::wstring text = date;
  std::replace(text.begin(), text.end(), L'.', L'-');
  return text;
}

std::wstring DescribeEntry(const PackageEntry& entry, const InstalledDict* installedCopy) {
  const wchar_t* decision = entry.action == EntryAction::Install   ? log_text::kInstallTo
                            : entry.action == EntryAction::Upgrade ? log_text::kUpgrade
                                                                   : log_text::kSkip;
  std::wstring line = FormatText(log_text::kEntry, {entry.id + entry.ext, entry.title, EntryDateText(entry.date),
                                                    FormatText(decision, entry.targetPath.c_str())});
  if (installedCopy != nullptr) {
    line += FormatText(log_text::kInstalledDate, DescribeDictDate(installedCopy->date).c_str());
    if (installedCopy->backupBeside) {
      line += FormatText(log_text::kBackupDate, DescribeDictDate(installedCopy->backupDate).c_str());
    }
  }
  return line;
}

}  // namespace

std::wstring DescribeDictDate(const DictDate& date) {
  if (date.year == 0 && date.month == 0 && date.day == 0 && date.fourth == 0) return log_text::kDateUnreadable;
  std::wstring text = std::to_wstring(date.year) + L"-" + TwoDigits(date.month) + L"-" + TwoDigits(date.day);
  if (date.fourth != 0) text += L"-" + std::to_wstring(date.fourth);
  return text;
}

void DescribePlan(const std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed,
                  std::vector<std::wstring>& lines) {
  // An upgraded or skipped entry's target is its installed copy's path (first of its name wins,
  // as in the plan). Indexed once: a package may hold thousands of entries.
  std::unordered_map<std::wstring, const InstalledDict*> byPath;
  for (const InstalledDict& dict : installed) byPath.emplace(dict.path, &dict);

  for (const PackageFile& file : files) {
    const std::wstring count =
        file.entries ? FormatText(log_text::kContainerEntries, std::to_wstring(file.entries->size()).c_str())
                     : log_text::kContainerEmpty;
    lines.push_back(FormatText(log_text::kContainer, {file.path, count}));
    if (!file.entries) continue;
    for (const PackageEntry& entry : *file.entries) {
      const InstalledDict* copy = nullptr;
      if (entry.action != EntryAction::Install) {
        const auto found = byPath.find(entry.targetPath);
        if (found != byPath.end()) copy = found->second;
      }
      lines.push_back(DescribeEntry(entry, copy));
    }
  }
}
