#include "tools/dirpack/package_listing.h"

#include <algorithm>
#include <cstdio>

#include "engine/format/package_format.h"
#include "engine/format/package_reader.h"
#include "engine/format/utf8_text.h"
#include "tools/dirpack/package_check.h"

namespace {

// Pads to a width in characters (not bytes), so columns of Chinese text line up by count.
std::string Padded(const std::string& utf8, size_t width) {
  const size_t characters = static_cast<size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
  return characters >= width ? utf8 : utf8 + std::string(width - characters, ' ');
}

std::string Number(uint64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof(text), "%*llu", width, static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

bool ListPackage(const std::wstring& path, std::vector<std::string>& lines, std::string& why) {
  CPackageReader reader;
  if (!OpenPackage(reader, path, why)) return false;
  const PackageHeader& header = reader.Header();
  lines.push_back(PathToUtf8(path) + ": " + std::to_string(reader.EntryCount()) + " entries, " +
                  std::to_string(reader.FileSize()) + " bytes, data area at " + std::to_string(header.data_offset) +
                  ", format words " + std::to_string(header.format_a) + "/" + std::to_string(header.format_b));

  struct Row {
    std::string id, ext, date, title;
  };
  std::vector<Row> rows;
  size_t idWidth = 2, extWidth = 3, dateWidth = 4;
  for (uint32_t i = 0; i < reader.EntryCount(); ++i) {
    const PackageTableEntry& entry = reader.Entry(i);
    Row row{DisplayUnits(FieldText(entry.id, kEntryIdUnits)), DisplayUnits(FieldText(entry.ext, kEntryExtUnits)),
            DisplayUnits(FieldText(entry.date, kEntryDateUnits)),
            DisplayUnits(FieldText(entry.title, kEntryTitleUnits))};
    idWidth = std::max(idWidth, row.id.size() > 64 ? size_t{64} : row.id.size());
    extWidth = std::max(extWidth, row.ext.size() > 16 ? size_t{16} : row.ext.size());
    dateWidth = std::max(dateWidth, row.date.size() > 32 ? size_t{32} : row.date.size());
    rows.push_back(std::move(row));
  }
  if (rows.empty()) return true;
  lines.push_back("    #      offset        size  " + Padded("id", idWidth) + "  " + Padded("ext", extWidth) + "  " +
                  Padded("date", dateWidth) + "  title");
  for (uint32_t i = 0; i < rows.size(); ++i) {
    const PackageTableEntry& entry = reader.Entry(i);
    lines.push_back(Number(i, 5) + "  " + Number(entry.offset, 10) + "  " + Number(entry.size, 10) + "  " +
                    Padded(rows[i].id, idWidth) + "  " + Padded(rows[i].ext, extWidth) + "  " +
                    Padded(rows[i].date, dateWidth) + "  " + rows[i].title);
  }
  return true;
}
