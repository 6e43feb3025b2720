#include "simhost/dbcore/dictionary_text.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kTextBytesRead = 64 * 1024;

std::wstring Decode(const char* bytes, size_t size) {
  std::wstring text;
  if (size >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    for (size_t i = 2; i + 1 < size; i += 2) {
      const wchar_t unit =
          static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
      if (unit == L'\0') break;
      text.push_back(unit);
    }
    return text;
  }
  if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
    bytes += 3;
    size -= 3;
  }
  const size_t length = strnlen(bytes, size);
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length), nullptr, 0);
  text.resize(static_cast<size_t>(units));
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length), text.data(), units);
  return text;
}

}  // namespace

bool GuardedText::Load(const wchar_t* path, DWORD access) {
  Release();
  HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes(kTextBytesRead, '\0');
  DWORD got = 0;
  const BOOL read = ReadFile(file, bytes.data(), kTextBytesRead, &got, nullptr);
  CloseHandle(file);
  if (!read) return false;
  const std::wstring text = Decode(bytes.data(), got);

  // Whole pages for the text and its terminator, then one page without access.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const size_t page = system.dwPageSize;
  const size_t textBytes = (text.size() + 1) * sizeof(wchar_t);
  const size_t textPages = (textBytes + page - 1) / page;
  char* region =
      static_cast<char*>(VirtualAlloc(nullptr, (textPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (region == nullptr) return false;
  DWORD previous = 0;
  VirtualProtect(region + textPages * page, page, PAGE_NOACCESS, &previous);
  wchar_t* placed = reinterpret_cast<wchar_t*>(region + textPages * page - textBytes);
  std::memcpy(placed, text.c_str(), textBytes);
  // The text is the core's: a caller that writes into it faults too.
  VirtualProtect(region, textPages * page, PAGE_READONLY, &previous);
  region_ = region;
  text_ = placed;
  return true;
}

void GuardedText::Release() {
  if (region_ != nullptr) VirtualFree(region_, 0, MEM_RELEASE);
  region_ = nullptr;
  text_ = nullptr;
}
