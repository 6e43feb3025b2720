// The status line formats of the worker's entry reports, as data. Portable.
#pragma once

#include "engine/plan/inventory_records.h"

// The reports of an entry that each write a status line.
enum class ItemReport : int { Started, Succeeded, Failed };

// The format of the line for an entry report and the entry's action; false for Skip, which the
// worker never reports.
bool FindItemLineFormat(ItemReport report, EntryAction action, const wchar_t*& format);
