// The plan in words: the welcome text's summary of what will be installed or upgraded, and the
// run log's lines, one per package container and one per entry with its date, the decision, its
// target and the installed copy's date where there is one. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

// The welcome text shows the summary whole only up to this length; a package planning more is
// summed up by its first pieces and "……", so no package can make the text grow without bound.
constexpr size_t kPlanSummaryMaxChars = 1024;

// "安装《A》升级《B》" for the welcome text; Skip entries add nothing. Pieces that would take the
// summary past kPlanSummaryMaxChars are left out and "……" ends it instead.
void ComposePlanSummary(const std::vector<PackageFile>& files, std::wstring& summary);

// The log's lines: appends them, containers and entries in the plan's own order.
void DescribePlan(const std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed,
                  std::vector<std::wstring>& lines);

// "2009-11-13", with "-4" for a fourth number; "无法读取" for the zero date of an unreadable stamp.
std::wstring DescribeDictDate(const DictDate& date);
