#include "probe/date_stamp.h"

#include <cwchar>

bool FindDateStamp(const wchar_t* text, wchar_t (&out)[kDateStampChars]) {
  static const wchar_t kOpen[] = L"<date_time>";
  static const wchar_t kClose[] = L"</date_time>";
  if (text == nullptr) return false;

  const wchar_t* open = std::wcsstr(text, kOpen);
  if (open == nullptr) return false;
  const wchar_t* begin = open + (sizeof(kOpen) / sizeof(wchar_t) - 1);
  const wchar_t* end = std::wcsstr(begin, kClose);
  if (end == nullptr) return false;

  const size_t length = static_cast<size_t>(end - begin);
  if (length > kDateStampChars - 1) return false;
  for (size_t i = 0; i < kDateStampChars; ++i) out[i] = i < length ? begin[i] : L'\0';
  return true;
}
