// Awkward inputs for UTF-8 reading, code page 936 (iconv's), the BMP header rule and EntryFileKey.
#include <gtest/gtest.h>

#include <string>

#include "engine/format/ansi_code_page.h"
#include "engine/format/bitmap_header.h"
#include "engine/format/entry_name.h"
#include "engine/format/utf8_text.h"

namespace {

using Bytes = std::string;

// clang-format off
TEST(FormatEdgeCases, Utf8ToUnitsIsStrictAndLeavesItsOutputOnFailure) {
  const struct { Bytes utf8; const wchar_t* units; } rows[] = {  // units null: refused
      {"", L""}, {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"}, {"\xC0\xAF", nullptr}, {"\xE0\x80\xAF", nullptr},
      {"\xED\xA0\x80", nullptr}, {"\xF4\x90\x80\x80", nullptr}, {"\xE4\xB8", nullptr}, {"\x80", nullptr}};
  for (const auto& row : rows) {
    std::wstring units = L"before";
    EXPECT_EQ(Utf8ToUnits(row.utf8, units), row.units != nullptr) << row.utf8;
    EXPECT_EQ(units, row.units != nullptr ? std::wstring(row.units) : L"before") << row.utf8;
  }
  EXPECT_EQ(UnitsToUtf8(L"\xDE00x\xD83D"), "\xEF\xBF\xBDx\xEF\xBF\xBD") << "lone surrogates";
}

TEST(FormatEdgeCases, CodePage936CostsOneByteAndOneReplacementPerUndefinedSequence) {
  const struct { Bytes bytes; std::wstring units; } rows[] = {
      {"", L""}, {"\x80", L"\x20AC"}, {"\xB0\xA1", L"\x554A"}, {"\x81", L"\xFFFD"}, {"\xFF", L"\xFFFD"},
      {"\xA1\x40", L"\xFFFD@"}, {"\xFE\xFE", L"\xFFFD\xFFFD"}, {Bytes("a\0b", 3), std::wstring(L"a\0b", 3)}};
  for (const auto& row : rows) {
    EXPECT_EQ(AnsiToUnits(row.bytes), row.units) << row.bytes;
    EXPECT_EQ(IsAnsiText(row.bytes), row.units.find(L'\xFFFD') == std::wstring::npos) << row.bytes;
  }
  for (const wchar_t* kept : {L"", L"\x8BCD\x5178", L"\x00E9", L"\xFF5E"}) EXPECT_TRUE(SurvivesAnsiCodePage(kept));
  for (const wchar_t* lost : {L"\xD55C", L"\x2022", L"\x301C", L"\xD800"}) EXPECT_FALSE(SurvivesAnsiCodePage(lost));
}

TEST(FormatEdgeCases, OnlyABitmapDeclaringItsOwnSizeIsCopied) {
  const struct { Bytes bytes; bool copied; } rows[] = {
      {Bytes("BM\x06\0\0\0", 6), true}, {Bytes("BM\x07\0\0\0x", 7), true}, {Bytes("BM\x06\0\0\0x", 7), false},
      {Bytes("BM\x08\0\0\0x", 7), false}, {Bytes("bm\x06\0\0\0", 6), false}, {"BM\xFF\xFF\xFF\xFF", false},
      {"BM", false}, {"", false}};
  for (const auto& row : rows) {
    MemoryByteSource source(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size());
    EXPECT_EQ(IsCopiedBitmap(source), row.copied) << row.bytes.size() << " bytes";
  }
}

TEST(FormatEdgeCases, EntryFileKeyLowersOnlyAToZ) {
  EXPECT_EQ(EntryFileKey(L"Oxford", L".DIC"), L"oxford.dic");
  EXPECT_EQ(EntryFileKey(L"\x00C9t\x00C9", L".Dic"), L"\x00C9t\x00C9.dic") << "no case fold beyond ASCII";
  EXPECT_EQ(EntryFileKey(L"\xFF21\x0130Z", L""), L"\xFF21\x0130z") << "full-width A and dotted I stay";
}
// clang-format on

}  // namespace
