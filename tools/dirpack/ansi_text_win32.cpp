// The ANSI code page on Windows: the conversion the profile functions themselves make.
#include <windows.h>

#include "tools/dirpack/ansi_text.h"

namespace {

int Convert(const std::string& bytes, DWORD flags, wchar_t* out, int room) {
  return MultiByteToWideChar(CP_ACP, flags, bytes.data(), static_cast<int>(bytes.size()), out, room);
}

}  // namespace

std::wstring AnsiToUnits(const std::string& bytes) {
  if (bytes.empty()) return L"";
  const int length = Convert(bytes, 0, nullptr, 0);
  if (length <= 0) return L"";
  std::wstring units(static_cast<size_t>(length), L'\0');
  Convert(bytes, 0, &units[0], length);
  return units;
}

bool IsAnsiText(const std::string& bytes) {
  return bytes.empty() || Convert(bytes, MB_ERR_INVALID_CHARS, nullptr, 0) > 0;
}
