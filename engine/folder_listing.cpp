#include "engine/folder_listing.h"

#include <memory>

namespace {

struct SearchCloser {
  void operator()(HANDLE search) const { FindClose(search); }
};

}  // namespace

void ListFolderFiles(const std::wstring& pattern, const std::function<bool(const ListedFile&)>& visit) {
  if (pattern.size() >= MAX_PATH) return;

  wchar_t fullPattern[MAX_PATH] = {};
  const DWORD length = GetFullPathNameW(pattern.c_str(), MAX_PATH, fullPattern, nullptr);
  if (length == 0 || length >= MAX_PATH) return;
  std::wstring folder(fullPattern, length);
  const size_t cut = folder.find_last_of(L"\\/");
  folder = cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut);
  const bool endsWithSeparator = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');

  WIN32_FIND_DATAW data;
  HANDLE first = FindFirstFileW(pattern.c_str(), &data);
  if (first == INVALID_HANDLE_VALUE) return;
  // Closed however the listing ends, also when visit throws (memory running out, say).
  const std::unique_ptr<void, SearchCloser> search(first);
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ListedFile file;
    file.name = data.cFileName;
    file.fullPath = folder + (endsWithSeparator ? L"" : L"\\") + file.name;
    file.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.attributes = data.dwFileAttributes;
    if (!visit(file)) break;
  } while (FindNextFileW(search.get(), &data));
}
