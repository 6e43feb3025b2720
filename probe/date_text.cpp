#include "probe/date_text.h"

#include <cstdint>
#include <cwchar>

namespace {

// One number of a date text. wcstol answers in `long`, which is 64 bits on Linux and 32 on
// Windows; clamping through a 64-bit value gives both the Windows results (and no warning about
// an always-false comparison where long is 32 bits).
uint32_t ConvertNumber(const wchar_t* from, wchar_t** stop) {
  long long value = std::wcstol(from, stop, 10);
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  // Negative numbers are kept in two's complement.
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}

}  // namespace

bool ParseDateText(wchar_t* text, DictDate* out) {
  if (text == nullptr || out == nullptr) return false;
  const size_t length = std::wcslen(text);
  if (length < 3) return false;

  bool hasSeparator = false;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == L'.') text[i] = L'-';
    if (text[i] == L'-') hasSeparator = true;
  }
  if (!hasSeparator) return false;

  wchar_t* stop = nullptr;
  const uint32_t year = ConvertNumber(text, &stop);
  if (*stop != L'-') return false;
  const uint32_t month = ConvertNumber(stop + 1, &stop);
  if (*stop != L'-') return false;
  const uint32_t day = ConvertNumber(stop + 1, &stop);
  const uint32_t fourth = *stop == L'-' ? ConvertNumber(stop + 1, &stop) : 0;

  *out = {year, month, day, fourth};
  return true;
}

int CompareDictDates(const DictDate* a, const DictDate* b) {
  const uint32_t left[] = {a->year, a->month, a->day, a->fourth};
  const uint32_t right[] = {b->year, b->month, b->day, b->fourth};
  for (int i = 0; i < 4; ++i) {
    if (left[i] > right[i]) return 1;
    if (left[i] < right[i]) return -1;
  }
  return 0;
}
