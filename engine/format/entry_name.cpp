#include "engine/format/entry_name.h"

#include <algorithm>
#include <cwchar>

#include "engine/format/ansi_code_page.h"
#include "engine/format/package_reader.h"

namespace {

template <typename Text>
Text LowerLetters(Text text) {
  for (auto& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<typename Text::value_type>(c - 'A' + 'a');
  }
  return text;
}

bool IsForbiddenChar(wchar_t c) { return c < 0x20 || c == 0x7F || std::wcschr(L"<>:\"/\\|?*", c) != nullptr; }

// Windows maps these names to devices whatever extension follows and whatever trailing spaces
// precede it, so "nul", "NUL.txt" and "com1 .dic" all open a device.
bool IsDeviceName(const std::wstring& name) {
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  base = LowerAsciiLetters(base);
  static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$", L"clock$"};
  if (std::find(std::begin(kDevices), std::end(kDevices), base) != std::end(kDevices)) return true;
  if (base.size() == 4 && (base.compare(0, 3, L"com") == 0 || base.compare(0, 3, L"lpt") == 0)) {
    const wchar_t digit = base[3];
    // Digits 0-9 and the superscripts 1, 2, 3, which Windows also treats as port numbers.
    return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

// Unicode's white space, the ideographic and the no-break spaces among them.
bool IsWhiteSpace(wchar_t c) {
  static constexpr wchar_t kSpaces[] = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085,
                                        0x00A0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  return std::find(std::begin(kSpaces), std::end(kSpaces), c) != std::end(kSpaces) || (c >= 0x2000 && c <= 0x200A);
}

bool IsPlainNamePart(const std::wstring& name) {
  if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
  if (name.find(L"..") != std::wstring::npos) return false;
  return std::none_of(name.begin(), name.end(), IsForbiddenChar) && !IsDeviceName(name);
}

// Something followed by suffix, letters A-Z compared without case.
bool EndsInSuffix(const std::wstring& name, const wchar_t* suffix) {
  const std::wstring lower = LowerAsciiLetters(suffix);
  return name.size() > lower.size() && LowerAsciiLetters(name.substr(name.size() - lower.size())) == lower;
}

}  // namespace

// The id names the dictionary's section in the host's ANSI configuration file: a bracket would end
// the name early; the profile functions trim white space, so " news" would write into [news]; and
// a character the code page cannot hold turns into "?", where ids collapse onto each other.
bool IsPlainDictFileId(const std::wstring& id) {
  return IsPlainNamePart(id) && id.find_first_of(L"[]") == std::wstring::npos && !IsWhiteSpace(id.front()) &&
         !IsWhiteSpace(id.back()) && SurvivesAnsiCodePage(id);
}

bool IsPlainDictFileExt(const std::wstring& ext) {
  if (ext.size() < 2 || ext[0] != L'.' || ext[1] == L'.') return false;
  const std::wstring lower = LowerAsciiLetters(ext);
  for (const std::wstring reserved : {kBackupSuffix, kNewFileSuffix}) {
    if (lower.size() >= reserved.size() &&
        lower.compare(lower.size() - reserved.size(), reserved.size(), reserved) == 0)
      return false;
  }
  return IsPlainNamePart(ext.substr(1));
}

std::wstring BackupPathOf(const std::wstring& path) { return path + kBackupSuffix; }
std::wstring NewFilePathOf(const std::wstring& path) { return path + kNewFileSuffix; }

bool IsBackupName(const std::wstring& name) { return EndsInSuffix(name, kBackupSuffix); }
bool IsNewFileName(const std::wstring& name) { return EndsInSuffix(name, kNewFileSuffix); }

std::wstring OwnNameOf(const std::wstring& name) {
  for (const wchar_t* suffix : {kBackupSuffix, kNewFileSuffix}) {
    if (EndsInSuffix(name, suffix)) return name.substr(0, name.size() - std::char_traits<wchar_t>::length(suffix));
  }
  return name;
}

bool IsDictFileExt(const std::wstring& ext) {
  const std::wstring lower = LowerAsciiLetters(ext);
  return std::find(std::begin(kDictFileExtensions), std::end(kDictFileExtensions), lower) !=
         std::end(kDictFileExtensions);
}

bool HasPlainFileNames(const PackageTableEntry& record) {
  const std::wstring ext = FieldText(record.ext, kEntryExtUnits);
  return IsPlainDictFileId(FieldText(record.id, kEntryIdUnits)) && IsPlainDictFileExt(ext) && IsDictFileExt(ext);
}

bool HasPlainFileNames(const CPackageReader& reader) {
  for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
    if (!HasPlainFileNames(reader.Entry(i))) return false;
  }
  return true;
}

std::wstring LowerAsciiLetters(const std::wstring& text) { return LowerLetters(text); }

std::string LowerAsciiLetters(const std::string& text) { return LowerLetters(text); }

std::wstring EntryFileKey(const std::wstring& id, const std::wstring& ext) { return LowerLetters(id + ext); }

std::wstring EntryFileKey(const PackageTableEntry& record) {
  return EntryFileKey(FieldText(record.id, kEntryIdUnits), FieldText(record.ext, kEntryExtUnits));
}
