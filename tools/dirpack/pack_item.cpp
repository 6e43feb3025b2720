#include "tools/dirpack/pack_item.h"

#include <algorithm>

#include "engine/format/package_format.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/entry_problems.h"

namespace {

// A field keeps one unit for its ending NUL.
void CheckText(const std::string& name, const std::wstring& units, size_t fieldUnits,
               std::vector<std::string>& problems) {
  if (units.empty()) {
    problems.push_back(name + " is empty");
  } else if (units.size() > fieldUnits - 1) {
    problems.push_back(name + " \"" + DisplayUnits(units) + "\" has " + std::to_string(units.size()) +
                       " UTF-16 units; its field holds " + std::to_string(fieldUnits - 1));
  }
  if (std::any_of(units.begin(), units.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; }))
    problems.push_back(name + " \"" + DisplayUnits(units) + "\" holds a control character");
}

}  // namespace

std::vector<std::string> PackItemProblems(const PackItem& item) {
  std::vector<std::string> problems;
  CheckText("id", item.id, kEntryIdUnits, problems);
  CheckText("ext", item.ext, kEntryExtUnits, problems);
  CheckText("date", item.date, kEntryDateUnits, problems);
  CheckText("title", item.title, kEntryTitleUnits, problems);
  const RefusedNames refused = EntryProblems::NamesRefused(item.id, item.ext);
  if (!item.id.empty() && refused.id) {
    problems.push_back("id \"" + DisplayUnits(item.id) +
                       "\" is not a plain file name (no path, \"..\", device name, trailing dot or space, "
                       "or any of <>:\"/\\|?*)");
  }
  if (!item.ext.empty() && refused.ext) {
    problems.push_back("ext \"" + DisplayUnits(item.ext) + "\" is not a plain extension such as \".dic\"");
  }
  if (refused.kind) {
    problems.push_back("ext \"" + DisplayUnits(item.ext) + "\" is not a dictionary's: " + kOnlyDictionariesInstall);
  }
  return problems;
}

std::vector<std::string> DuplicateNameProblems(const std::vector<PackItem>& items) {
  std::vector<std::string> problems;
  EntryProblems entries;
  for (size_t i = 0; i < items.size(); ++i) {
    size_t earlier = 0;
    if (!entries.NoteFile(items[i].id, items[i].ext, i, earlier)) {
      problems.push_back(items[i].origin + ": \"" + DisplayUnits(items[i].id + items[i].ext) +
                         "\" is already given by " + items[earlier].origin);
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
