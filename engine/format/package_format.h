// The package container's on-disk records: a 32-byte header, a table of 184-byte entries, then the
// entries' raw data; little-endian 32-bit integers, fixed-width UTF-16LE texts. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t kPackageMagic = 0x6E763339;  // the bytes "93vn" read as one little-endian word
constexpr uint32_t kPackageFormatWord = 1;      // format_a or format_b must hold it
constexpr uint32_t kPackageHeaderBytes = 32;
constexpr uint32_t kPackageEntryBytes = 184;
// Positions are 32-bit in the format, and publishers keep containers below 2 GiB.
constexpr uint64_t kPackageMaxFileBytes = 0x7FFFFFFF;

// The most entries a container may declare (real packages hold a few dozen): a larger table is
// refused before anything is built for it, so it cannot exhaust a 32-bit wizard's memory.
constexpr uint32_t kPackageMaxEntries = 65536;

// Widths of the text fields in UTF-16 code units; each text ends with a NUL inside its field.
constexpr size_t kEntryIdUnits = 32;
constexpr size_t kEntryDateUnits = 16;
constexpr size_t kEntryExtUnits = 8;
constexpr size_t kEntryTitleUnits = 32;

struct PackageHeader {
  uint32_t magic, reserved1, format_a, format_b, reserved2, entry_size, entry_count, data_offset;
};
static_assert(sizeof(PackageHeader) == kPackageHeaderBytes, "header is 32 bytes on disk");

struct PackageTableEntry {
  uint32_t offset;  // relative to data_offset
  uint32_t size;
  uint16_t id[kEntryIdUnits];
  uint16_t date[kEntryDateUnits];
  uint16_t ext[kEntryExtUnits];
  uint16_t title[kEntryTitleUnits];
};
static_assert(sizeof(PackageTableEntry) == kPackageEntryBytes, "table entry is 184 bytes on disk");

// Byte order is spelled out so the records mean the same on any host.
void DecodePackageHeader(const uint8_t* bytes, PackageHeader& header);         // kPackageHeaderBytes bytes
void DecodePackageTableEntry(const uint8_t* bytes, PackageTableEntry& entry);  // kPackageEntryBytes bytes
// Only dirpack uses these two; the wizard never calls them.
void EncodePackageHeader(const PackageHeader& header, uint8_t* bytes);
void EncodePackageTableEntry(const PackageTableEntry& entry, uint8_t* bytes);

// Why a header cannot describe a readable container, in the order the reader checks.
enum class HeaderFault { None, BadMagic, NoFormatWord, BadEntrySize, TooManyEntries, TableBeyondFile };

// Checks a header read from a file of fileSize bytes: the table must fit in the file and hold at
// most kPackageMaxEntries records, so a hostile entry_count is refused before any allocation.
HeaderFault CheckPackageHeader(const PackageHeader& header, uint64_t fileSize);

// An entry's data range as absolute file positions, computed in 64 bits so that nothing wraps.
struct EntryRange {
  uint64_t begin;
  uint64_t end;
};
EntryRange EntryDataRange(const PackageHeader& header, const PackageTableEntry& entry);

// The field's text up to its first NUL, never beyond width; each code unit becomes one wchar_t.
std::wstring FieldText(const uint16_t* field, size_t width);

// Only dirpack uses these two; the wizard never calls them.
// Whether the field holds a NUL inside its width, as the format requires.
bool FieldHasEnd(const uint16_t* field, size_t width);
// Stores text (UTF-16 code units, one per wchar_t) NUL-padded into the field. False, the field
// untouched, when the text holds a NUL or leaves no room for the ending one.
bool SetFieldText(uint16_t* field, size_t width, const std::wstring& text);
