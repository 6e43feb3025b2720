// The plan in the welcome text's words: one piece per planned entry, in order. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

namespace plan_text {

// The pieces of the summary; %s is the entry's title. A summary cut short ends with kPlanSummaryCut.
constexpr const wchar_t* kPlanSummaryInstall = L"安装《%s》";
constexpr const wchar_t* kPlanSummaryUpgrade = L"升级《%s》";
constexpr const wchar_t* kPlanSummaryCut = L"……";

}  // namespace plan_text

// The longest summary shown whole; beyond it the first pieces and the cut mark, so that no
// package makes the text grow without bound.
constexpr size_t kPlanSummaryMaxChars = 1024;

// Install and Upgrade entries each add their piece, Skip entries nothing, with no separator; the
// cut mark ends the summary in place of the first piece that would pass kPlanSummaryMaxChars.
void ComposePlanSummary(const std::vector<PackageFile>& files, std::wstring& summary);
