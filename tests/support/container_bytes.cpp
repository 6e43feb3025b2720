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

ContainerItem PackageItem(const std::wstring& id, const std::wstring& title, const std::string& data,
                          const std::wstring& date, const std::wstring& ext) {
  return ContainerItem{U16(id), U16(date), U16(ext), U16(title), data};
}

std::string ContainerBytes(const std::vector<ContainerItem>& items, const ContainerLayout& layout) {
  const uint32_t count =
      layout.entryCount < 0 ? static_cast<uint32_t>(items.size()) : static_cast<uint32_t>(layout.entryCount);
  const uint32_t dataOffset = layout.dataOffset < 0 ? static_cast<uint32_t>(DataAreaAt(items.size()))
                                                    : static_cast<uint32_t>(layout.dataOffset);
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
    PutField(out, item.id, kEntryIdUnits);
    PutField(out, item.date, kEntryDateUnits);
    PutField(out, item.ext, kEntryExtUnits);
    PutField(out, item.title, kEntryTitleUnits);
    offset += static_cast<uint32_t>(item.data.size());
  }
  for (const ContainerItem& item : items) out += item.data;
  return out;
}

void PutU32At(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::u16string U16(const std::wstring& text) {
  std::u16string out;
  for (wchar_t c : text) out.push_back(static_cast<char16_t>(c));
  return out;
}

}  // namespace testsupport
