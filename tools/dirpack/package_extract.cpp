#include "tools/dirpack/package_extract.h"

#include "engine/format/package_format.h"
#include "engine/format/package_reader.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/add_problem.h"
#include "tools/dirpack/entry_problems.h"
#include "tools/dirpack/file_system.h"
#include "tools/dirpack/output_file.h"
#include "tools/dirpack/package_check.h"

namespace {

constexpr uint32_t kChunkBytes = 64 * 1024;

// The entries' file names, or none when any cannot be used here or two name one file.
bool PlanNames(const CPackageReader& reader, std::vector<std::wstring>& names, std::vector<std::string>& problems) {
  EntryProblems entries;
  for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
    const PackageTableEntry& entry = reader.Entry(i);
    const std::wstring id = FieldText(entry.id, kEntryIdUnits), ext = FieldText(entry.ext, kEntryExtUnits);
    std::wstring name;
    if (!UnitsToPath(id + ext, name)) {
      problems.push_back(EntryLabel(reader, i) + ": its name cannot be spelled as a file name here");
      continue;
    }
    // Names differing only in the case of A-Z are one file to the wizard, and to Windows.
    size_t earlier = 0;
    if (!entries.NoteFile(id, ext, i, earlier)) {
      problems.push_back(EntryLabel(reader, i) + ": names the same file as entry " + std::to_string(earlier));
    }
    names.push_back(name);
  }
  return problems.empty();
}

bool ExtractEntry(CPackageReader& reader, uint32_t index, const std::wstring& path, std::vector<char>& buffer,
                  std::vector<std::string>& problems) {
  OutputFile out;
  if (!out.Create(path)) return AddProblem(problems, "cannot create a file beside \"" + PathToUtf8(path) + "\"");
  if (!reader.SeekToEntry(index))
    return AddProblem(problems, EntryLabel(reader, index) + ": cannot position at its data");
  int result = 1;
  while (result == 1) {
    uint32_t length = kChunkBytes;
    result = reader.ReadChunk(index, buffer.data(), length);
    if (result < 0) return AddProblem(problems, EntryLabel(reader, index) + ": reading its data failed");
    if (!out.Write(buffer.data(), length))
      return AddProblem(problems, "cannot write \"" + PathToUtf8(out.TempPath()) + "\"");
  }
  if (!out.Finish() || !out.Publish()) return AddProblem(problems, "cannot write \"" + PathToUtf8(path) + "\"");
  return true;
}

}  // namespace

bool ExtractPackage(const std::wstring& package, const std::wstring& folder, std::vector<std::wstring>& written,
                    std::vector<std::string>& problems) {
  PackageReport report;
  if (!CheckPackage(package, false, report)) {
    problems.insert(problems.end(), report.problems.begin(), report.problems.end());
    return false;
  }
  CPackageReader reader;
  std::string why;
  if (!OpenPackage(reader, package, why)) return AddProblem(problems, why);
  std::vector<std::wstring> names;
  if (!PlanNames(reader, names, problems)) return false;
  if (!MakeFolders(folder)) return AddProblem(problems, "cannot create the folder \"" + PathToUtf8(folder) + "\"");
  std::vector<char> buffer(kChunkBytes);
  for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
    const std::wstring path = JoinPath(folder, names[i]);
    if (!ExtractEntry(reader, i, path, buffer, problems)) return false;
    written.push_back(path);
  }
  return true;
}
