#include "engine/format/package_format.h"

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

}  // namespace

void DecodePackageHeader(const uint8_t* bytes, PackageHeader& header) {
  header.magic = GetU32(bytes);
  header.reserved1 = GetU32(bytes + 4);
  header.format_a = GetU32(bytes + 8);
  header.format_b = GetU32(bytes + 12);
  header.reserved2 = GetU32(bytes + 16);
  header.entry_size = GetU32(bytes + 20);
  header.entry_count = GetU32(bytes + 24);
  header.data_offset = GetU32(bytes + 28);
}

void EncodePackageHeader(const PackageHeader& header, uint8_t* bytes) {
  PutU32(header.magic, bytes);
  PutU32(header.reserved1, bytes + 4);
  PutU32(header.format_a, bytes + 8);
  PutU32(header.format_b, bytes + 12);
  PutU32(header.reserved2, bytes + 16);
  PutU32(header.entry_size, bytes + 20);
  PutU32(header.entry_count, bytes + 24);
  PutU32(header.data_offset, bytes + 28);
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

bool FieldHasEnd(const uint16_t* field, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    if (field[i] == 0) return true;
  }
  return false;
}

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
