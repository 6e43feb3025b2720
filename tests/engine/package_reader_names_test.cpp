// Which entry ids and extensions make plain file names in the host's dictionary folder.
#include <gtest/gtest.h>

#include <algorithm>
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
        L"nul_", L"auxiliary", L"my.dict", L"\u00E9t\u00E9", L"#1~$%&'()+,;=@^`{}!"}) {
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

// The profile functions trim white space around section names: " news" would be [news], another
// dictionary's section. Any of Unicode's spaces counts, at either end; inside, a space is a name.
TEST(EntryName, IdsWithWhiteSpaceAtEitherEndAreRefused) {
  for (const wchar_t* space : {L" ", L"\u3000", L"\u00A0", L"\u2003", L"\u202F", L"\u205F", L"\u1680", L"\u0085"}) {
    EXPECT_FALSE(IsPlainDictFileId(space + std::wstring(L"news"))) << Show(space);
    EXPECT_FALSE(IsPlainDictFileId(L"news" + std::wstring(space))) << Show(space);
  }
  EXPECT_TRUE(IsPlainDictFileId(L"news\u3000daily"));
}

// The host's configuration file is written in the ANSI code page (936 on our users' systems): an
// id it cannot hold would land in a section named with "?", where ids collapse onto each other.
TEST(EntryName, IdsTheAnsiCodePageCannotHoldAreRefused) {
  for (const wchar_t* id : {L"\u0E20\u0E32\u0E29\u0E32", L"\u0E44\u0E17\u0E221", L"caf\u00E9\u0301", L"\U0001F600",
                            L"\xD800x", L"\uD55C\uAD6D\uC5B4"}) {
    EXPECT_FALSE(IsPlainDictFileId(id)) << Show(id);
  }
  for (const wchar_t* id : {L"\u6C49\u82F1\u8BCD\u5178", L"\u00E9t\u00E9", L"\u0101\u00E0", L"\u30AB\u30CA"}) {
    EXPECT_TRUE(IsPlainDictFileId(id)) << Show(id);
  }
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

// A plain extension is not yet a dictionary's: only these install, in any case of A-Z.
TEST(EntryName, OnlyDictionaryExtensionsInstall) {
  const struct {
    const wchar_t* ext;
    bool installs;
  } cases[] = {{L".dic", true},  {L".dip", true},  {L".DIC", true},      {L".dIp", true},     {L".exe", false},
               {L".dll", false}, {L".txt", false}, {L".dic2", false},    {L".di", false},     {L"dic", false},
               {L".dic ", false}, {L".\u0130ip", false}, {L".dic.exe", false}, {L"", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsDictFileExt(c.ext), c.installs) << Show(c.ext);
    PackageTableEntry record = {};
    const std::wstring id = L"news";
    std::copy(id.begin(), id.end(), record.id);
    const std::wstring ext = c.ext;
    std::copy(ext.begin(), ext.end(), record.ext);
    EXPECT_EQ(HasPlainFileNames(record), c.installs) << "the container's rule: " << Show(c.ext);
  }
}

}  // namespace
