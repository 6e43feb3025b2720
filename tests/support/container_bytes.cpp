#include "tests/support/container_bytes.h"

namespace testsupport {
namespace {

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutField(std::string& out, const std::u16string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    const char16_t c = i < text.size() ? text[i] : u'\0';
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

}  // namespace

std::string ContainerBytes(const std::vector<ContainerItem>& items, const ContainerLayout& layout) {
  const uint32_t count =
      layout.entryCount < 0 ? static_cast<uint32_t>(items.size()) : static_cast<uint32_t>(layout.entryCount);
  const uint32_t dataOffset =
      layout.dataOffset < 0 ? static_cast<uint32_t>(32 + items.size() * 184) : static_cast<uint32_t>(layout.dataOffset);
  std::string out;
  PutU32(out, layout.magic);
  PutU32(out, 0);
  PutU32(out, layout.formatA);
  PutU32(out, layout.formatB);
  PutU32(out, 0);
  PutU32(out, layout.entrySize);
  PutU32(out, count);
  PutU32(out, dataOffset);
  uint32_t offset = 0;
  for (const ContainerItem& item : items) {
    PutU32(out, offset);
    PutU32(out, static_cast<uint32_t>(item.data.size()));
    PutField(out, item.id, 32);
    PutField(out, item.date, 16);
    PutField(out, item.ext, 8);
    PutField(out, item.title, 32);
    offset += static_cast<uint32_t>(item.data.size());
  }
  for (const ContainerItem& item : items) out += item.data;
  return out;
}

std::u16string U16(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) out.push_back(static_cast<char16_t>(c));
  return out;
}

}  // namespace testsupport
