#include "wizard/logic/text_format.h"

std::wstring FormatText(const wchar_t* format, const wchar_t* argument) {
  return FormatText(format, {argument ? std::wstring_view(argument) : std::wstring_view()});
}

std::wstring FormatText(const wchar_t* format, std::initializer_list<std::wstring_view> arguments) {
  std::wstring text(format ? format : L"");
  size_t from = 0;
  for (std::wstring_view argument : arguments) {
    const size_t at = text.find(L"%s", from);
    if (at == std::wstring::npos) break;
    text.replace(at, 2, argument);
    from = at + argument.size();  // past the argument: its own "%s" stays
  }
  return text;
}
