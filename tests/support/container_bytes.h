// Builds container files byte by byte for tests, independently of the product's own writer, so
// that tests can also make damaged ones. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/format/package_format.h"

namespace testsupport {

struct ContainerItem {
  std::u16string id, date, ext, title;  // written up to the field width; a full field has no NUL
  std::string data;
};

// A package entry as a publisher makes one; texts given as wide strings.
ContainerItem PackageItem(const std::wstring& id, const std::wstring& title, const std::string& data,
                          const std::wstring& date = L"2009.11.13", const std::wstring& ext = L".dic");

struct ContainerLayout {
  uint32_t magic = kPackageMagic;
  uint32_t formatA = kPackageFormatWord, formatB = kPackageFormatWord;
  uint32_t entrySize = kPackageEntryBytes;
  int64_t entryCount = -1;  // -1: the number of items
  int64_t dataOffset = -1;  // -1: right after the table
};

// The container's bytes: header, table, then every item's data in order.
std::string ContainerBytes(const std::vector<ContainerItem>& items, const ContainerLayout& layout = {});

// Where the header's words lie, where the table entry of item `index` begins, and its fields
// within it: the product's on-disk records are laid out as the file is.
constexpr size_t kHeaderEntryCountField = offsetof(PackageHeader, entry_count);
constexpr size_t kHeaderDataOffsetField = offsetof(PackageHeader, data_offset);
constexpr size_t TableEntryAt(size_t index) { return kPackageHeaderBytes + index * kPackageEntryBytes; }
constexpr size_t kEntrySizeField = offsetof(PackageTableEntry, size);
constexpr size_t kEntryIdField = offsetof(PackageTableEntry, id);
// Where the data of a container of `count` items begins when nothing lies between table and data.
constexpr size_t DataAreaAt(size_t count) { return TableEntryAt(count); }

// Overwrites the little-endian 32-bit word at `at`.
void PutU32At(std::string& bytes, size_t at, uint32_t value);

std::u16string U16(const std::wstring& text);

}  // namespace testsupport
