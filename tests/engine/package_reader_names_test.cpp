// Which entry ids and extensions make plain file names in the host's dictionary folder.
#include <gtest/gtest.h>

#include <string>

#include "engine/format/entry_name.h"

namespace {

std::string Show(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\u" + std::to_string(static_cast<unsigned>(c));
    }
  }
  return out;
}

TEST(EntryName, PlainIdsAreAccepted) {
  for (const wchar_t* id :
       {L"xinci", L"a", L"XINCI8-en_zh", L"\u65B0\u7F16\u53CC\u89E3", L"dict v2", L"con2", L"console", L"com10", L"lpt",
        L"nul_", L"auxiliary", L"my.dict", L" lead", L"\u00E9t\u00E9", L"#1~$%&'()+,;=@^`{}!"}) {
    EXPECT_TRUE(IsPlainDictFileId(id)) << Show(id);
  }
  EXPECT_TRUE(IsPlainDictFileId(std::wstring(31, L'x')));
}

TEST(EntryName, IdsThatLeaveTheFolderOrBreakWindowsRulesAreRefused) {
  for (const wchar_t* id :
       {L"",       L".",     L"..",     L"..\\evil",  L"../evil",   L"a..b",   L"sub\\name", L"sub/name",
        L"C:name", L"c:",    L"a<b",    L"a>b",       L"a\"b",      L"a|b",    L"a?b",       L"a*b",
        L"name.",  L"name ", L"name. ", L"tab\there", L"new\nline", L"del\x7F"}) {
    EXPECT_FALSE(IsPlainDictFileId(id)) << Show(id);
  }
  for (wchar_t c = 1; c < 0x20; ++c) EXPECT_FALSE(IsPlainDictFileId(std::wstring(L"a") + c + L"b")) << int(c);
  EXPECT_FALSE(IsPlainDictFileId(std::wstring(L"a\0b", 3)));
}

// The id is also a section name in the host's configuration file; a bracket would end it early.
TEST(EntryName, IdsWithSquareBracketsAreRefused) {
  for (const wchar_t* id : {L"other]", L"[other", L"a]b", L"[x]"}) EXPECT_FALSE(IsPlainDictFileId(id)) << Show(id);
  EXPECT_TRUE(IsPlainDictFileExt(L".d[1]")) << "the extension names no section";
}

TEST(EntryName, ReservedDeviceNamesAreRefusedInAnyCaseAndWithAnExtension) {
  for (const wchar_t* id :
       {L"CON",         L"con",       L"Con",       L"PRN",    L"aux",     L"NUL",   L"nul.txt",  L"con.x",
        L"CON.dic.bak", L"com1",      L"COM9",      L"com0",   L"LPT1",    L"lpt9",  L"Lpt5.dip", L"con .txt",
        L"nul  ",       L"com\u00B9", L"LPT\u00B3", L"conin$", L"CONOUT$", L"clock$"}) {
    EXPECT_FALSE(IsPlainDictFileId(id)) << Show(id);
  }
}

TEST(EntryName, Extensions) {
  for (const wchar_t* ext : {L".dic", L".dip", L".DIC", L".a", L".tar.gz", L".\u8BCD"}) {
    EXPECT_TRUE(IsPlainDictFileExt(ext)) << Show(ext);
  }
  for (const wchar_t* ext : {L"", L".", L"..", L"dic", L"..dic", L".dic.", L".dic ", L".d\\c", L".d/c", L".d:c", L"./x",
                             L".\\x", L".d*", L".d?", L".\t", L".con", L".nul", L". "}) {
    EXPECT_FALSE(IsPlainDictFileExt(ext)) << Show(ext);
  }
}

}  // namespace
