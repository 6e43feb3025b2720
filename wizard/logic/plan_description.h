// The plan in the log's words: one line per package container and one per entry with its date,
// the decision, its target and the installed copy's date where there is one. Portable.
#pragma once

#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

// The log's lines: appends them, containers and entries in the plan's own order.
void DescribePlan(const std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed,
                  std::vector<std::wstring>& lines);

// "2009-11-13", with "-4" for a fourth number; log_text::kDateUnreadable for the zero date of an
// unreadable stamp.
std::wstring DescribeDictDate(const DictDate& date);
