#include "engine/format/package_format.h"

#include <algorithm>
#include <iterator>

namespace {

uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(uint32_t value, uint8_t* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void GetUnits(const uint8_t* p, uint16_t* field, size_t width) {
  for (size_t i = 0; i < width; ++i) field[i] = static_cast<uint16_t>(p[2 * i] | p[2 * i + 1] << 8);
}

void PutUnits(const uint16_t* field, size_t width, uint8_t* p) {
  for (size_t i = 0; i < width; ++i) {
    p[2 * i] = static_cast<uint8_t>(field[i]);
    p[2 * i + 1] = static_cast<uint8_t>(field[i] >> 8);
  }
}

// Byte offsets of the entry's fields on disk.
constexpr size_t kIdAt = 8;
constexpr size_t kDateAt = kIdAt + 2 * kEntryIdUnits;
constexpr size_t kExtAt = kDateAt + 2 * kEntryDateUnits;
constexpr size_t kTitleAt = kExtAt + 2 * kEntryExtUnits;
static_assert(kTitleAt + 2 * kEntryTitleUnits == kPackageEntryBytes, "fields fill the entry");

// The header's words in their order on disk.
constexpr uint32_t PackageHeader::*kHeaderWords[] = {
    &PackageHeader::magic,     &PackageHeader::reserved1,  &PackageHeader::format_a,    &PackageHeader::format_b,
    &PackageHeader::reserved2, &PackageHeader::entry_size, &PackageHeader::entry_count, &PackageHeader::data_offset};
static_assert(4 * std::size(kHeaderWords) == kPackageHeaderBytes, "words fill the header");

}  // namespace

void DecodePackageHeader(const uint8_t* bytes, PackageHeader& header) {
  for (size_t i = 0; i < std::size(kHeaderWords); ++i) header.*kHeaderWords[i] = GetU32(bytes + 4 * i);
}

void EncodePackageHeader(const PackageHeader& header, uint8_t* bytes) {
  for (size_t i = 0; i < std::size(kHeaderWords); ++i) PutU32(header.*kHeaderWords[i], bytes + 4 * i);
}

void DecodePackageTableEntry(const uint8_t* bytes, PackageTableEntry& entry) {
  entry.offset = GetU32(bytes);
  entry.size = GetU32(bytes + 4);
  GetUnits(bytes + kIdAt, entry.id, kEntryIdUnits);
  GetUnits(bytes + kDateAt, entry.date, kEntryDateUnits);
  GetUnits(bytes + kExtAt, entry.ext, kEntryExtUnits);
  GetUnits(bytes + kTitleAt, entry.title, kEntryTitleUnits);
}

void EncodePackageTableEntry(const PackageTableEntry& entry, uint8_t* bytes) {
  PutU32(entry.offset, bytes);
  PutU32(entry.size, bytes + 4);
  PutUnits(entry.id, kEntryIdUnits, bytes + kIdAt);
  PutUnits(entry.date, kEntryDateUnits, bytes + kDateAt);
  PutUnits(entry.ext, kEntryExtUnits, bytes + kExtAt);
  PutUnits(entry.title, kEntryTitleUnits, bytes + kTitleAt);
}

HeaderFault CheckPackageHeader(const PackageHeader& header, uint64_t fileSize) {
  if (header.magic != kPackageMagic) return HeaderFault::BadMagic;
  if (header.format_a != kPackageFormatWord && header.format_b != kPackageFormatWord) return HeaderFault::NoFormatWord;
  // A record is 184 bytes in memory: longer ones would be cut, shorter ones mean a damaged table.
  if (header.entry_size != kPackageEntryBytes) return HeaderFault::BadEntrySize;
  if (header.entry_count > kPackageMaxEntries) return HeaderFault::TooManyEntries;
  const uint64_t tableEnd = kPackageHeaderBytes + uint64_t{header.entry_count} * kPackageEntryBytes;
  if (tableEnd > fileSize) return HeaderFault::TableBeyondFile;
  return HeaderFault::None;
}

EntryRange EntryDataRange(const PackageHeader& header, const PackageTableEntry& entry) {
  const uint64_t begin = uint64_t{header.data_offset} + entry.offset;
  return EntryRange{begin, begin + entry.size};
}

std::wstring FieldText(const uint16_t* field, size_t width) {
  std::wstring text;
  for (size_t i = 0; i < width && field[i] != 0; ++i) text.push_back(static_cast<wchar_t>(field[i]));
  return text;
}

bool FieldHasEnd(const uint16_t* field, size_t width) { return std::find(field, field + width, 0) != field + width; }

bool SetFieldText(uint16_t* field, size_t width, const std::wstring& text) {
  if (text.size() >= width) return false;
  // A wider wchar_t (native builds) may hold values no code unit can.
  const uint64_t kMaxUnit = 0xFFFF;
  for (wchar_t c : text) {
    if (c == 0 || static_cast<uint64_t>(c) > kMaxUnit) return false;
  }
  size_t i = 0;
  for (; i < text.size(); ++i) field[i] = static_cast<uint16_t>(text[i]);
  for (; i < width; ++i) field[i] = 0;
  return true;
}
