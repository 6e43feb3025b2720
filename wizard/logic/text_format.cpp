#include "wizard/logic/text_format.h"

std::wstring FormatText(const wchar_t* format, const wchar_t* argument) {
  std::wstring text(format ? format : L"");
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, argument ? argument : L"");
  return text;
}
