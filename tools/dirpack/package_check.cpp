#include "tools/dirpack/package_check.h"

#include <cstdio>

#include "engine/format/package_format.h"
#include "engine/format/package_reader.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/add_problem.h"
#include "tools/dirpack/entry_problems.h"

namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

// Why the reader could not open the container, in its order of checks.
std::string OpenProblem(const CPackageReader& reader) {
  const PackageHeader& header = reader.Header();
  const uint64_t size = reader.FileSize();
  switch (reader.LastOpenFault()) {
    case CPackageReader::OpenFault::None:
    case CPackageReader::OpenFault::CannotOpen:
      return "cannot open the file";
    case CPackageReader::OpenFault::CannotRead:
      return "cannot read the file";
    case CPackageReader::OpenFault::ShortHeader:
      return "the file has " + std::to_string(size) + " bytes, fewer than its 32-byte header";
    case CPackageReader::OpenFault::TableUnreadable:
      return "the entry table cannot be read";
    case CPackageReader::OpenFault::BadHeader:
      break;
  }
  switch (reader.LastHeaderFault()) {
    case HeaderFault::None:
      break;
    case HeaderFault::BadMagic:
      return "not a package container: magic " + Hex(header.magic) + ", expected \"93vn\" (" + Hex(kPackageMagic) + ")";
    case HeaderFault::NoFormatWord:
      return "format words " + std::to_string(header.format_a) + " and " + std::to_string(header.format_b) +
             ": one of them must be 1";
    case HeaderFault::BadEntrySize:
      return "table entries of " + std::to_string(header.entry_size) + " bytes; the format's are 184";
    case HeaderFault::TooManyEntries:
      return "a table of " + std::to_string(header.entry_count) + " entries; the installer takes at most " +
             std::to_string(kPackageMaxEntries);
    case HeaderFault::TableBeyondFile:
      return "a table of " + std::to_string(header.entry_count) + " entries needs " +
             std::to_string(kPackageHeaderBytes + uint64_t{header.entry_count} * kPackageEntryBytes) +
             " bytes, but the file has " + std::to_string(size);
  }
  return "unreadable header";
}

void CheckFieldEnds(const PackageTableEntry& entry, const std::string& label, std::vector<std::string>& problems) {
  const struct {
    const char* name;
    const uint16_t* field;
    size_t width;
  } fields[] = {{"id", entry.id, kEntryIdUnits},
                {"date", entry.date, kEntryDateUnits},
                {"ext", entry.ext, kEntryExtUnits},
                {"title", entry.title, kEntryTitleUnits}};
  for (const auto& f : fields) {
    if (!FieldHasEnd(f.field, f.width)) problems.push_back(label + ": its " + f.name + " field has no ending NUL");
  }
}

void CheckNames(const PackageTableEntry& entry, const std::string& label, PackageReport& report) {
  const std::wstring id = FieldText(entry.id, kEntryIdUnits);
  const std::wstring ext = FieldText(entry.ext, kEntryExtUnits);
  const RefusedNames refused = EntryProblems::NamesRefused(id, ext);
  if (refused.id) report.problems.push_back(label + ": id \"" + DisplayUnits(id) + "\" is not a plain file name");
  if (refused.ext) report.problems.push_back(label + ": ext \"" + DisplayUnits(ext) + "\" is not a plain extension");
  if (refused.kind) {
    report.problems.push_back(label + ": ext \"" + DisplayUnits(ext) + "\" is not a dictionary's: " +
                              kOnlyDictionariesInstall);
  }
  if (!UnitsAreWellFormed(id + ext)) report.warnings.push_back(label + ": its name holds a lone UTF-16 surrogate");
  if (FieldText(entry.date, kEntryDateUnits).empty()) report.warnings.push_back(label + ": its date is empty");
  if (FieldText(entry.title, kEntryTitleUnits).empty()) report.warnings.push_back(label + ": its title is empty");
}

bool RangeInsideFile(const PackageHeader& header, const PackageTableEntry& entry, uint64_t fileSize,
                     const std::string& label, std::vector<std::string>& problems) {
  const EntryRange range = EntryDataRange(header, entry);
  if (range.end <= fileSize) return true;
  problems.push_back(label + ": its data [" + std::to_string(range.begin) + ", " + std::to_string(range.end) + ") " +
                     (range.begin > fileSize ? "begin" : "end") + " beyond the file's " + std::to_string(fileSize) +
                     " bytes");
  return false;
}

// Reads the entry as the installer does and counts what arrives.
void ReadThrough(CPackageReader& reader, uint32_t index, const std::string& label, std::vector<std::string>& problems) {
  const uint32_t size = reader.Entry(index).size;
  if (!reader.SeekToEntry(index)) {
    problems.push_back(label + ": cannot position at its data");
    return;
  }
  char buffer[kBlockBytes];
  uint64_t delivered = 0;
  for (;;) {
    uint32_t length = kBlockBytes;
    const int result = reader.ReadChunk(index, buffer, length);
    if (result < 0) {
      problems.push_back(label + ": reading its data failed after " + std::to_string(delivered) + " bytes");
      return;
    }
    delivered += length;
    if (result == 0 || delivered > size) break;
  }
  if (delivered != size) {
    problems.push_back(label + ": " + std::to_string(delivered) + " bytes read of " + std::to_string(size));
  }
}

}  // namespace

std::string EntryLabel(const CPackageReader& reader, uint32_t index) {
  const PackageTableEntry& entry = reader.Entry(index);
  return "entry " + std::to_string(index) + " (" +
         DisplayUnits(FieldText(entry.id, kEntryIdUnits) + FieldText(entry.ext, kEntryExtUnits)) + ")";
}

bool OpenPackage(CPackageReader& reader, const std::wstring& path, std::string& why) {
  if (reader.Open(path.c_str())) return true;
  why = OpenProblem(reader);
  return false;
}

bool CheckPackage(const std::wstring& path, bool readData, PackageReport& report) {
  CPackageReader reader;
  std::string why;
  if (!OpenPackage(reader, path, why)) return AddProblem(report.problems, why);
  const PackageHeader& header = reader.Header();
  report.entryCount = reader.EntryCount();
  report.fileSize = reader.FileSize();
  if (report.fileSize > kPackageMaxFileBytes) {
    report.problems.push_back("the file has " + std::to_string(report.fileSize) +
                              " bytes; the format's 32-bit positions need containers below 2 GiB");
  }
  const uint64_t tableEnd = kPackageHeaderBytes + uint64_t{kPackageEntryBytes} * report.entryCount;
  if (header.data_offset < tableEnd) {
    report.problems.push_back("the data area begins at " + std::to_string(header.data_offset) +
                              ", inside the header and table, which end at " + std::to_string(tableEnd));
  }

  EntryProblems entries;
  for (uint32_t i = 0; i < report.entryCount; ++i) {
    const PackageTableEntry& entry = reader.Entry(i);
    const std::string label = EntryLabel(reader, i);
    CheckFieldEnds(entry, label, report.problems);
    CheckNames(entry, label, report);
    size_t earlier = 0;
    if (!entries.NoteFile(FieldText(entry.id, kEntryIdUnits), FieldText(entry.ext, kEntryExtUnits), i, earlier)) {
      report.warnings.push_back(label + ": installs the same file as entry " + std::to_string(earlier));
    }
    if (RangeInsideFile(header, entry, report.fileSize, label, report.problems) && readData) {
      ReadThrough(reader, i, label, report.problems);
    }
  }
  return report.problems.empty();
}
