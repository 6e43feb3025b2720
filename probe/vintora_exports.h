// The four exports of vintora.dll as the wizard binds them by name: plain C calling convention,
// one-byte booleans, caller-owned wide texts and DictDate records.
#pragma once

#include <windows.h>

#include "probe/dict_date.h"

using InitDbcoreFn = bool(__cdecl*)(const wchar_t* corePath);
using GetDictDatetimeFn = bool(__cdecl*)(const wchar_t* dictPath, DictDate* out);
using CompareDateFn = int(__cdecl*)(const DictDate* first, const DictDate* second);
using StringToDateFn = bool(__cdecl*)(wchar_t* text, DictDate* out);

static_assert(sizeof(bool) == 1, "the exports' booleans are one byte");
