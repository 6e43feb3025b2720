// Date texts of dictionaries ("2009.11.13", "2009-11-13-2") parsed into DictDate records, and
// the order of two records. Portable: the Windows library and the native tests share it.
#pragma once

#include "probe/dict_date.h"

// Parses up to four numbers separated by "-" or "." into *out. Every "." in the caller's buffer
// is rewritten to "-" first, whether or not the parse then succeeds. Each number is read like
// wcstol in base 10 (leading white space, optional sign, stops at the first non-digit), clamped
// to the signed 32-bit range on every platform. The first two numbers must each be followed by
// "-"; a "-" after the third introduces the optional fourth (0 otherwise); whatever follows the
// last number read is ignored. Fails for a null text or record, a text shorter than three
// characters, one without separator, or a malformed one; *out is written only on success.
bool ParseDateText(wchar_t* text, DictDate* out);

// 1 when *a is later than *b, -1 when earlier, 0 when equal: year, month, day, then fourth,
// each compared as an unsigned 32-bit value (a year parsed from -1 is later than any other).
int CompareDictDates(const DictDate* a, const DictDate* b);
