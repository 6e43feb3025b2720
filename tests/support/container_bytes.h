// Builds container files byte by byte for tests, independently of the product's own writer, so
// that tests can also make damaged ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct ContainerItem {
  std::u16string id, date, ext, title;  // written up to the field width; a full field has no NUL
  std::string data;
};

struct ContainerLayout {
  uint32_t magic = 0x6E763339;  // "93vn"
  uint32_t formatA = 1, formatB = 1;
  uint32_t entrySize = 184;
  int64_t entryCount = -1;  // -1: the number of items
  int64_t dataOffset = -1;  // -1: right after the table
};

// The container's bytes: header, table, then every item's data in order.
std::string ContainerBytes(const std::vector<ContainerItem>& items, const ContainerLayout& layout = {});

std::u16string U16(const std::wstring& text);

}  // namespace testsupport
