// ProfileText, the reading of dictconfig.ini by the wizard and by dirpack's folder check, case by
// case. Under Wine each case's file is also read through GetPrivateProfileSectionNamesW and
// GetPrivateProfileStringW, which must answer as ProfileText does, so that its rules cannot drift
// from the system's unnoticed.
// Left out: a UTF-8 or a big-endian UTF-16 byte-order mark. Wine reads both as Unicode, while
// Windows reads them as ANSI text (the rule the portable reader follows); the check warns about
// both either way.
// Names that differ in the case of a letter outside A-Z match on Windows, whose profile functions
// ignore case for every letter; Wine 8's ignore it for A-Z only, so under Wine those queries are
// held against the system's case-insensitive compare instead of its profile functions.
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
  bool otherLettersCase = false;  // the names asked differ from the stored ones in a letter outside A-Z
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
      {"letters outside A-Z in any case: Latin, Greek, Cyrillic, full-width",
       dirpacktest::Utf16LeWithMark(u"[\u00C9t\u00E9]\r\nD\u00C9SC=\u590F\r\n[\u0391\u03B2]\r\nk=2\r\n"
                                    u"[\u0414\u0436]\r\nk=3\r\n[\uFF21]\r\nk=4\r\n"),
       {u"\u00C9t\u00E9", u"\u0391\u03B2", u"\u0414\u0436", u"\uFF21"},
       {{u"\u00C9t\u00E9", u"D\u00C9SC", u"\u590F"},
        {u"\u00E9t\u00E9", u"d\u00E9sc", u"\u590F", true},
        {u"\u00C9T\u00C9", u"D\u00C9SC", u"\u590F", true},
        {u"\u03B1\u0392", u"K", u"2", true},
        {u"\u0434\u0416", u"k", u"3", true},
        {u"\uFF41", u"k", u"4", true},
        {u"et\u00E9", u"d\u00E9sc", u""}}},
      {"a value longer than any buffer the wizard uses arrives whole",
       "[long]\nv=" + std::string(300, 'x') + "\n",
       {u"long"},
       {{u"long", u"v", std::u16string(300, u'x')}}},
  };
}

struct NamePair {
  const wchar_t* first;
  const wchar_t* second;
  bool match;
  const char* why;
};

TEST(ProfileText, NamesCompareWithBlanksDroppedAndCaseIgnoredForEveryLetter) {
  const NamePair pairs[] = {
      {L" xINCI8\t", L"Xinci8", true, "blanks dropped, A-Z folded"},
      {L"xinci", L"xinci8", false, "a longer name"},
      {L"\t词典\r", L"词典", true, "ASCII blanks around a Chinese name"},
      {L"\u3000词典", L"词典", false, "an ideographic space is no blank"},
      {L"\u00C9t\u00E9", L"\u00E9t\u00E9", true, "Latin letters with accents"},
      {L"\u00C9T\u00C9", L"\u00E9t\u00E9", true, "all capitals"},
      {L"\u00FF", L"\u0178", true, "y with diaeresis, whose capital lies outside Latin-1"},
      {L"\u0391\u0392\u0393", L"\u03B1\u03B2\u03B3", true, "Greek"},
      {L"\u0414\u0416", L"\u0434\u0436", true, "Cyrillic"},
      {L"\uFF21", L"\uFF41", true, "full-width Latin"},
      {L"\u00E9", L"e", false, "an accent is no case"},
      {L"\u0131d", L"ID", false, "dotless i stays apart from I"},
      {L"\u00DF", L"SS", false, "one unit for one unit: sharp s is not SS"},
      {L"\u6C49", L"\u6F22", false, "simplified and traditional characters are different names"},
  };
  for (const NamePair& pair : pairs) {
    EXPECT_EQ(ProfileNamesMatch(pair.first, pair.second), pair.match) << pair.why;
    EXPECT_EQ(ProfileNamesMatch(pair.second, pair.first), pair.match) << pair.why;
  }
#ifdef _WIN32
  // The system's compare, which the profile functions of Windows use.
  for (const NamePair& pair : pairs) {
    if (pair.first[0] == L' ' || pair.first[0] == L'\t') continue;  // blanks are the profile functions' own rule
    EXPECT_EQ(CompareStringOrdinal(pair.first, -1, pair.second, -1, TRUE) == CSTR_EQUAL, pair.match) << pair.why;
  }
#endif
}

#ifdef _WIN32
// Wine's profile functions ignore case for A-Z only, where Windows' ignore it for every letter.
bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

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
      if (q.otherLettersCase && UnderWine()) continue;  // held against the system's compare above
      EXPECT_EQ(RealValue(path, q.section, q.key), value) << c.name << asked;
#endif
    }
  }
}

}  // namespace
