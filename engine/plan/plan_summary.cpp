#include "engine/plan/plan_summary.h"

namespace {

// The piece of a planned entry; false for a Skip entry, which has none.
bool PieceOf(const PackageEntry& entry, std::wstring& piece) {
  const wchar_t* format = entry.action == EntryAction::Install   ? plan_text::kPlanSummaryInstall
                          : entry.action == EntryAction::Upgrade ? plan_text::kPlanSummaryUpgrade
                                                                 : nullptr;
  if (format == nullptr) return false;
  piece = format;
  piece.replace(piece.find(L"%s"), 2, entry.title);
  return true;
}

}  // namespace

void ComposePlanSummary(const std::vector<PackageFile>& files, std::wstring& summary) {
  summary.clear();
  for (const PackageFile& file : files) {
    if (!file.entries) continue;
    for (const PackageEntry& entry : *file.entries) {
      std::wstring piece;
      if (!PieceOf(entry, piece)) continue;
      if (summary.size() + piece.size() > kPlanSummaryMaxChars) {
        summary += plan_text::kPlanSummaryCut;
        return;
      }
      summary += piece;
    }
  }
}
