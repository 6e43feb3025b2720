#include "tools/dirpack/manifest.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>

#include "engine/format/byte_file.h"
#include "engine/format/entry_name.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/add_problem.h"
#include "tools/dirpack/file_system.h"

namespace {

// Far above any real manifest; it is read whole, unlike the dictionary files.
constexpr uint64_t kMaxManifestBytes = 4 * 1024 * 1024;

const char* const kKeys[] = {"file", "id", "ext", "date", "title"};

std::string Trim(const std::string& text) {
  const char* const space = " \t";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

struct Block {
  int line = 0;
  std::map<std::string, std::pair<std::string, int>> values;  // key -> value, line
};

class ManifestParser {
 public:
  ManifestParser(const std::wstring& folder, const std::string& name, std::vector<std::string>& problems)
      : m_folder(folder), m_name(name), m_problems(problems) {}

  void Line(int number, const std::string& raw) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') return;
    if (line[0] == '[') {
      if (LowerAsciiLetters(line) != "[entry]")
        return Problem(number, "unknown section " + line + "; only [entry] is used");
      Close();
      m_block = Block{};
      m_block.line = number;
      m_open = true;
      return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return Problem(number, "expected \"key = value\"");
    const std::string key = LowerAsciiLetters(Trim(line.substr(0, equals)));
    const std::string value = Trim(line.substr(equals + 1));
    if (!m_open) return Problem(number, "\"" + key + "\" before the first [entry]");
    if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys))
      return Problem(number, "unknown key \"" + key + "\" (file, id, ext, date, title)");
    if (!m_block.values.emplace(key, std::make_pair(value, number)).second) {
      return Problem(number, "\"" + key + "\" given twice in one entry");
    }
  }

  // Ends the open block, turning it into an item when it is complete.
  void Close() {
    if (!m_open) return;
    m_open = false;
    PackItem item;
    item.origin = m_name + ":" + std::to_string(m_block.line);
    const size_t before = m_problems.size();
    for (const char* key : {"file", "id", "date", "title"}) {
      if (m_block.values.count(key) == 0) Problem(m_block.line, std::string("entry has no \"") + key + "\"");
    }
    if (m_problems.size() != before) return;
    std::wstring file;
    if (!Utf8ToPath(m_block.values["file"].first, file) || file.empty()) {
      return Problem(m_block.values["file"].second, "file is empty");
    }
    item.sourcePath = IsRootedPath(file) || m_folder.empty() ? file : JoinPath(m_folder, file);
    if (!Text("id", item.id) || !Text("date", item.date) || !Text("title", item.title)) return;
    if (m_block.values.count("ext") != 0) {
      if (!Text("ext", item.ext)) return;
    } else if (!Utf8ToUnits(PathToUtf8(ExtensionOf(file)), item.ext) || item.ext.empty()) {
      return Problem(m_block.line, "file has no extension: give \"ext\"");
    }
    m_items.push_back(std::move(item));
  }

  std::vector<PackItem>& Items() { return m_items; }

 private:
  bool Text(const char* key, std::wstring& units) {
    if (Utf8ToUnits(m_block.values[key].first, units)) return true;
    Problem(m_block.values[key].second, std::string("\"") + key + "\" is not valid UTF-8");
    return false;
  }

  void Problem(int line, const std::string& text) {
    m_problems.push_back(m_name + ":" + std::to_string(line) + ": " + text);
  }

  std::wstring m_folder;
  std::string m_name;
  std::vector<std::string>& m_problems;
  std::vector<PackItem> m_items;
  Block m_block;
  bool m_open = false;
};

// The manifest's text read; name is used in messages.
bool ParseManifest(const std::string& text, const std::wstring& folder, const std::string& name,
                   std::vector<PackItem>& items, std::vector<std::string>& problems) {
  const size_t before = problems.size();
  ManifestParser parser(folder, name, problems);
  size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte order mark some editors write
  int number = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    if (line.find('\0') != std::string::npos) {
      problems.push_back(name + ":" + std::to_string(number) + ": holds a NUL byte");
    } else {
      parser.Line(number, line);
    }
    at = end + 1;
  }
  parser.Close();
  if (problems.size() != before) return false;
  items.insert(items.end(), parser.Items().begin(), parser.Items().end());
  return true;
}

}  // namespace

bool ReadManifest(const std::wstring& path, std::vector<PackItem>& items, std::vector<std::string>& problems) {
  const std::string name = PathToUtf8(path);
  std::unique_ptr<ByteSource> file = OpenByteFile(path.c_str());
  uint64_t size = 0;
  if (!file || !file->Size(size)) return AddProblem(problems, name + ": cannot open the manifest");
  if (size > kMaxManifestBytes) {
    return AddProblem(problems, name + ": a manifest of " + std::to_string(size) + " bytes is too large");
  }
  std::string text;
  if (!ReadWholeSource(*file, kMaxManifestBytes, text))
    return AddProblem(problems, name + ": cannot read the manifest");
  return ParseManifest(text, FolderOf(path), name, items, problems);
}
