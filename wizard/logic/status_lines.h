// The status line formats of the worker's item reports, as data. Portable.
#pragma once

#include <cstdint>

// The format of the line for an item report (WM_ITEM_START, WM_ITEM_SUCCESS, WM_ITEM_FAIL) and
// the entry's action; false for any other message or an action other than Install or Upgrade.
bool FindItemLineFormat(unsigned message, intptr_t action, const wchar_t*& format);
