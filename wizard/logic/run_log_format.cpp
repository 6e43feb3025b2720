#include "wizard/logic/run_log_format.h"

namespace {

// At least `width` digits; a negative number (no clock gives one) is written as 0.
std::wstring Digits(int value, int width) {
  std::wstring text = std::to_wstring(value < 0 ? 0 : value);
  if (text.size() < static_cast<size_t>(width)) text.insert(0, width - text.size(), L'0');
  return text;
}

// What editors and log readers take for the end of a line.
bool BreaksLine(wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\x85' || c == L'\x2028' || c == L'\x2029'; }

}  // namespace

std::wstring FormatLogLine(const LogTime& time, const std::wstring& event) {
  std::wstring line = Digits(time.year, 4) + L"-" + Digits(time.month, 2) + L"-" + Digits(time.day, 2) + L" " +
                      Digits(time.hour, 2) + L":" + Digits(time.minute, 2) + L":" + Digits(time.second, 2) + L"." +
                      Digits(time.milliseconds, 3) + L" ";
  for (wchar_t c : event) line += BreaksLine(c) ? L' ' : c;
  line += L"\r\n";
  return line;
}

std::wstring DefaultLogFileName(const LogTime& time, int attempt) {
  std::wstring name = L"pakorra-" + Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2) + L"-" +
                      Digits(time.hour, 2) + Digits(time.minute, 2) + Digits(time.second, 2);
  if (attempt > 1) name += L"-" + std::to_wstring(attempt);
  return name + L".log";
}
