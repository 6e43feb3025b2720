#include <windows.h>

#include <string>

#include "engine/format/ansi_code_page.h"

namespace {

int ConvertFromAnsi(const std::string& bytes, DWORD flags, wchar_t* out, int room) {
  return MultiByteToWideChar(CP_ACP, flags, bytes.data(), static_cast<int>(bytes.size()), out, room);
}

}  // namespace

std::wstring AnsiToUnits(const std::string& bytes) {
  if (bytes.empty()) return L"";
  const int length = ConvertFromAnsi(bytes, 0, nullptr, 0);
  if (length <= 0) return L"";
  std::wstring units(static_cast<size_t>(length), L'\0');
  ConvertFromAnsi(bytes, 0, &units[0], length);
  return units;
}

bool IsAnsiText(const std::string& bytes) {
  return bytes.empty() || ConvertFromAnsi(bytes, MB_ERR_INVALID_CHARS, nullptr, 0) > 0;
}

bool SurvivesAnsiCodePage(const std::wstring& text) {
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8) {
    // Every well-formed text fits; only a lone surrogate does not.
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.c_str(), length, nullptr, 0, nullptr, nullptr) > 0;
  }
  BOOL usedDefault = FALSE;
  const int bytes =
      WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), length, nullptr, 0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return false;
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.c_str(), length, narrow.data(), bytes, nullptr,
                      &usedDefault);
  if (usedDefault) return false;
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, narrow.data(), bytes, nullptr, 0);
  if (units != length) return false;
  std::wstring back(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, narrow.data(), bytes, back.data(), units);
  return back == text;
}
