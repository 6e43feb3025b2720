#include "tools/dirpack/package_writer.h"

#include <cstdint>
#include <memory>

#include "engine/format/byte_file.h"
#include "engine/format/package_format.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/add_problem.h"
#include "tools/dirpack/output_file.h"
#include "tools/dirpack/package_check.h"

namespace {

constexpr uint32_t kCopyBytes = 64 * 1024;

bool CheckItems(const std::vector<PackItem>& items, std::vector<std::string>& problems) {
  const size_t before = problems.size();
  for (const PackItem& item : items) {
    for (const std::string& problem : PackItemProblems(item)) problems.push_back(item.origin + ": " + problem);
  }
  for (const std::string& problem : DuplicateNameProblems(items)) problems.push_back(problem);
  return problems.size() == before;
}

// The table, with each item's data placed right after the previous one's.
bool PlanTable(const std::vector<PackItem>& items, std::vector<PackageTableEntry>& table, uint64_t& dataOffset,
               std::vector<std::string>& problems) {
  const size_t before = problems.size();
  if (items.size() > kPackageMaxEntries) {
    return AddProblem(problems, "too many entries for one container: the installer takes at most " +
                                    std::to_string(kPackageMaxEntries));
  }
  dataOffset = kPackageHeaderBytes + uint64_t{kPackageEntryBytes} * items.size();
  uint64_t offset = 0;
  for (const PackItem& item : items) {
    PackageTableEntry entry{};
    std::unique_ptr<ByteSource> source = OpenByteFile(item.sourcePath.c_str());
    uint64_t size = 0;
    if (!source || !source->Size(size)) {
      problems.push_back(item.origin + ": cannot open \"" + PathToUtf8(item.sourcePath) + "\"");
    } else if (dataOffset + offset + size > kPackageMaxFileBytes) {
      problems.push_back(item.origin + ": \"" + PathToUtf8(item.sourcePath) +
                         "\" would take the container to 2 GiB or more; split the package");
    } else {
      entry.offset = static_cast<uint32_t>(offset);
      entry.size = static_cast<uint32_t>(size);
      offset += size;
    }
    // The texts were checked to fit.
    SetFieldText(entry.id, kEntryIdUnits, item.id);
    SetFieldText(entry.date, kEntryDateUnits, item.date);
    SetFieldText(entry.ext, kEntryExtUnits, item.ext);
    SetFieldText(entry.title, kEntryTitleUnits, item.title);
    table.push_back(entry);
  }
  return problems.size() == before;
}

// Copies exactly size bytes; a file that shrank or grew since it was measured is refused.
bool CopyData(const PackItem& item, uint32_t size, OutputFile& out, std::vector<char>& buffer,
              std::vector<std::string>& problems) {
  std::unique_ptr<ByteSource> source = OpenByteFile(item.sourcePath.c_str());
  uint32_t remaining = size;
  while (source && remaining > 0) {
    const uint32_t want = remaining < kCopyBytes ? remaining : kCopyBytes;
    uint32_t got = 0;
    if (!source->Read(buffer.data(), want, got) || got == 0) break;
    if (!out.Write(buffer.data(), got))
      return AddProblem(problems, "cannot write \"" + PathToUtf8(out.TempPath()) + "\"");
    remaining -= got;
  }
  uint32_t extra = 0;
  if (!source || remaining > 0 || !source->Read(buffer.data(), 1, extra) || extra != 0) {
    return AddProblem(
        problems, item.origin + ": \"" + PathToUtf8(item.sourcePath) + "\" changed or could not be read while packing");
  }
  return true;
}

}  // namespace

bool WritePackage(const std::wstring& outPath, const std::vector<PackItem>& items, std::vector<std::string>& problems) {
  std::vector<PackageTableEntry> table;
  uint64_t dataOffset = 0;
  if (!CheckItems(items, problems) || !PlanTable(items, table, dataOffset, problems)) return false;

  PackageHeader header{};
  header.magic = kPackageMagic;
  header.format_a = kPackageFormatWord;
  header.format_b = kPackageFormatWord;
  header.entry_size = kPackageEntryBytes;
  header.entry_count = static_cast<uint32_t>(table.size());
  header.data_offset = static_cast<uint32_t>(dataOffset);

  OutputFile out;
  if (!out.Create(outPath))
    return AddProblem(problems, "cannot create a file beside \"" + PathToUtf8(outPath) + "\" (does its folder exist?)");
  std::vector<char> buffer(kCopyBytes);
  uint8_t headerBytes[kPackageHeaderBytes];
  EncodePackageHeader(header, headerBytes);
  bool written = out.Write(headerBytes, sizeof(headerBytes));
  for (const PackageTableEntry& entry : table) {
    uint8_t entryBytes[kPackageEntryBytes];
    EncodePackageTableEntry(entry, entryBytes);
    written = written && out.Write(entryBytes, sizeof(entryBytes));
  }
  if (!written) return AddProblem(problems, "cannot write \"" + PathToUtf8(out.TempPath()) + "\"");
  for (size_t i = 0; i < items.size(); ++i) {
    if (!CopyData(items[i], table[i].size, out, buffer, problems)) return false;
  }
  if (!out.Finish()) return AddProblem(problems, "cannot write \"" + PathToUtf8(out.TempPath()) + "\"");

  // What the reader and verify would say of the result, before it takes the final name.
  PackageReport report;
  if (!CheckPackage(out.TempPath(), false, report)) {
    for (const std::string& problem : report.problems) problems.push_back("written container: " + problem);
    return false;
  }
  if (!out.Publish())
    return AddProblem(problems, "cannot rename the finished container to \"" + PathToUtf8(outPath) + "\"");
  return true;
}
