#include "tools/dirpack/pack_item.h"

#include <map>

#include "engine/format/entry_name.h"
#include "engine/format/package_format.h"
#include "engine/format/utf8_text.h"

namespace {

bool HasControlCharacter(const std::wstring& units) {
  for (wchar_t c : units) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A field keeps one unit for its ending NUL.
void CheckText(const std::string& name, const std::wstring& units, size_t fieldUnits,
               std::vector<std::string>& problems) {
  if (units.empty()) {
    problems.push_back(name + " is empty");
  } else if (units.size() > fieldUnits - 1) {
    problems.push_back(name + " \"" + DisplayUnits(units) + "\" has " + std::to_string(units.size()) +
                       " UTF-16 units; its field holds " + std::to_string(fieldUnits - 1));
  }
  if (HasControlCharacter(units))
    problems.push_back(name + " \"" + DisplayUnits(units) + "\" holds a control character");
}

std::wstring NameKey(const std::wstring& id, const std::wstring& ext) {
  std::wstring key = id + ext;
  for (wchar_t& c : key) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return key;
}

}  // namespace

std::vector<std::string> PackItemProblems(const PackItem& item) {
  std::vector<std::string> problems;
  CheckText("id", item.id, kEntryIdUnits, problems);
  CheckText("ext", item.ext, kEntryExtUnits, problems);
  CheckText("date", item.date, kEntryDateUnits, problems);
  CheckText("title", item.title, kEntryTitleUnits, problems);
  if (!item.id.empty() && !IsPlainDictFileId(item.id)) {
    problems.push_back("id \"" + DisplayUnits(item.id) +
                       "\" is not a plain file name (no path, \"..\", device name, trailing dot or space, "
                       "or any of <>:\"/\\|?*)");
  }
  if (!item.ext.empty() && !IsPlainDictFileExt(item.ext)) {
    problems.push_back("ext \"" + DisplayUnits(item.ext) + "\" is not a plain extension such as \".dic\"");
  }
  return problems;
}

std::vector<std::string> DuplicateNameProblems(const std::vector<PackItem>& items) {
  std::vector<std::string> problems;
  std::map<std::wstring, const PackItem*> seen;
  for (const PackItem& item : items) {
    const auto [at, added] = seen.emplace(NameKey(item.id, item.ext), &item);
    if (!added) {
      problems.push_back(item.origin + ": \"" + DisplayUnits(item.id + item.ext) + "\" is already given by " +
                         at->second->origin);
    }
  }
  return problems;
}

std::wstring ExtensionOf(const std::wstring& path) {
  const size_t name = path.find_last_of(sizeof(wchar_t) == 2 ? L"\\/" : L"/");
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (name != std::wstring::npos && dot < name)) return L"";
  return path.substr(dot);
}
