// ProfileText, the reading of dictconfig.ini by the wizard and by dirpack's folder check, case by
// case. Under Wine each case's file is also read through GetPrivateProfileSectionNamesW and
// GetPrivateProfileStringW, which must answer as ProfileText does, so that its rules cannot drift
// from the system's unnoticed.
// Left out: a UTF-8 or a big-endian UTF-16 byte-order mark. Wine reads both as Unicode, while
// Windows reads them as ANSI text (the rule the portable reader follows); the check warns about
// both either way.
#include "engine/format/profile_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/dirpack/text_bytes.h"

#ifdef _WIN32
#include <windows.h>

#include "tests/support/files.h"
#endif

namespace {

struct Query {
  std::u16string section, key, value;
};

struct ProfileCase {
  const char* name;
  std::string bytes;
  std::vector<std::u16string> sections;
  std::vector<Query> queries;
};

std::wstring Wide(const std::u16string& units) { return std::wstring(units.begin(), units.end()); }

std::vector<ProfileCase> Cases() {
  return {
      {"blanks around names and values, letters in any case",
       "  [Dict]  \r\n\tName  =  value  \r\n",
       {u"Dict"},
       {{u"dict", u"name", u"value"}, {u" DICT ", u" NAME\t", u"value"}, {u"dict", u"other", u""}}},
      {"the first section of a name and its first key answer",
       "[a]\nk=1\nk=2\n[A]\nk=3\nj=4\n",
       {u"a", u"A"},
       {{u"a", u"k", u"1"}, {u"A", u"j", u""}}},
      {"matching quotes are dropped, others kept",
       "[q]\nd=\"x y\"\ns='z'\nm=\"x'\none=\"\nin=a\"b\"\neq = a = b\n",
       {u"q"},
       {{u"q", u"d", u"x y"},
        {u"q", u"s", u"z"},
        {u"q", u"m", u"\"x'"},
        {u"q", u"one", u"\""},
        {u"q", u"in", u"a\"b\""},
        {u"q", u"eq", u"a = b"}}},
      {"comments and lines without an equals sign",
       "; [hidden]\n[s]\n;k=1\nk\nk=5\nv=2\nw=\n",
       {u"s"},
       {{u"s", u"k", u""}, {u"s", u"v", u"2"}, {u"s", u"w", u""}, {u"hidden", u"k", u""}}},
      {"section headers: blanks inside the brackets dropped, the last bracket closes, lines before the first "
       "section answer to an empty name",
       "k=0\n[ spaced ]\nk=1\n[br]acket]\nk=2\n[open\nk=4\n",
       {u"spaced", u"br]acket"},
       {{u"spaced", u"k", u"1"}, {u"br]acket", u"k", u"2"}, {u"", u"k", u"0"}}},
      {"lines end at CR, LF or both",
       "[a]\rk=1\r[b]\r\nk=2\n\n[c]\n\rk=3",
       {u"a", u"b", u"c"},
       {{u"a", u"k", u"1"}, {u"b", u"k", u"2"}, {u"c", u"k", u"3"}}},
      {"UTF-16LE with its mark: Chinese names and values; blanks are ASCII only",
       dirpacktest::Utf16LeWithMark(
           u"; 说明\r\n[词典]\r\ndesc=\u3000汉英词典\u3000\r\n[hanying]\r\ndesc_name=汉英日常用语\r\n"),
       {u"词典", u"hanying"},
       {{u"词典", u"desc", u"\u3000汉英词典\u3000"}, {u"HanYing", u"desc_name", u"汉英日常用语"}}},
      {"bytes in code page 936 (GBK)",
       "[hanying]\r\ndesc_name=\xBA\xBA\xD3\xA2\xC8\xD5\xB3\xA3\xD3\xC3\xD3\xEF\r\n",
       {u"hanying"},
       {{u"hanying", u"desc_name", u"汉英日常用语"}}},
      {"UTF-8 without a mark is read in code page 936 and arrives garbled",
       "[s]\nv=\xE6\xB1\x89\xE8\x8B\xB1\n",
       {u"s"},
       {{u"s", u"v", u"\u59F9\u590E\u5AF3"}}},
      {"a value longer than any buffer the wizard uses arrives whole",
       "[long]\nv=" + std::string(300, 'x') + "\n",
       {u"long"},
       {{u"long", u"v", std::u16string(300, u'x')}}},
  };
}

TEST(ProfileText, NamesCompareWithBlanksDroppedAndLettersAToZFolded) {
  EXPECT_EQ(ProfileNameKey(L" xINCI8\t"), ProfileNameKey(L"Xinci8"));
  EXPECT_NE(ProfileNameKey(L"xinci"), ProfileNameKey(L"xinci8"));
  EXPECT_EQ(ProfileNameKey(L"\t词典\r"), L"词典");
  EXPECT_NE(ProfileNameKey(L"\u3000词典"), L"词典") << "an ideographic space is no blank";
  EXPECT_EQ(ProfileNameKey(L"\u00C9t\u00C9"), L"\u00C9t\u00C9") << "only A-Z are folded";
}

#ifdef _WIN32
// The same files through the system's functions.
std::vector<std::wstring> RealSectionNames(const std::wstring& path) {
  std::wstring buffer(65536, L'\0');
  const DWORD length = GetPrivateProfileSectionNamesW(&buffer[0], static_cast<DWORD>(buffer.size()), path.c_str());
  std::vector<std::wstring> names;
  for (size_t at = 0; at < length && buffer[at] != L'\0';) {
    const size_t end = buffer.find(L'\0', at);
    names.push_back(buffer.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

std::wstring RealValue(const std::wstring& path, const std::u16string& section, const std::u16string& key) {
  std::wstring buffer(65536, L'\0');
  const DWORD length = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"", &buffer[0],
                                                static_cast<DWORD>(buffer.size()), path.c_str());
  return buffer.substr(0, length);
}

#endif

std::vector<std::wstring> Names(const std::vector<std::u16string>& sections) {
  std::vector<std::wstring> names;
  for (const std::u16string& section : sections) names.push_back(Wide(section));
  return names;
}

TEST(ProfileText, AnswersAsTheProfileFunctionsDo) {
#ifdef _WIN32
  ASSERT_EQ(GetACP(), 936u) << "the tests run with the users' code page";
  testsupport::ScratchDir scratch(L"profile");
  int index = 0;
#endif
  for (const ProfileCase& c : Cases()) {
    const ProfileText text(DecodeProfileBytes(c.bytes));
    EXPECT_EQ(text.SectionNames(), Names(c.sections)) << c.name;
#ifdef _WIN32
    // A file of its own each: the profile functions keep recently read files cached by name.
    const std::wstring path = scratch / (L"case" + std::to_wstring(++index) + L".ini");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, c.bytes));
    EXPECT_EQ(RealSectionNames(path), text.SectionNames()) << c.name;
#endif
    for (const Query& q : c.queries) {
      const std::wstring value = text.Value(Wide(q.section), Wide(q.key));
      const std::string asked =
          " [" + std::string(q.section.begin(), q.section.end()) + "] " + std::string(q.key.begin(), q.key.end());
      EXPECT_EQ(value, Wide(q.value)) << c.name << asked;
#ifdef _WIN32
      EXPECT_EQ(RealValue(path, q.section, q.key), value) << c.name << asked;
#endif
    }
  }
}

}  // namespace
