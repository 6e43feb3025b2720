#include "engine/plan/inventory_records.h"

void ClearPackageFiles(std::vector<PackageFile>& packageFiles) {
  for (PackageFile& file : packageFiles) file.entries.reset();
  packageFiles.clear();
}

std::wstring LowerAsciiLetters(const std::wstring& text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}
