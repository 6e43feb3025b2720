// Date text parse and compare vectors, native: the same code is built into vintora.dll.
#include "probe/date_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/probe/dict_date_printing.h"

namespace {

constexpr DictDate kUntouched = {0xA5A5A5A5u, 0xA5A5A5A5u, 0xA5A5A5A5u, 0xA5A5A5A5u};

// Parses a copy of `text`; the copy is left in `rewritten`.
bool Parse(const std::wstring& text, DictDate* out, std::wstring* rewritten = nullptr) {
  std::wstring buffer = text;
  const bool ok = ParseDateText(buffer.data(), out);
  if (rewritten) *rewritten = buffer.c_str();
  return ok;
}

DictDate Date(uint32_t y, uint32_t m, uint32_t d, uint32_t f) { return DictDate{y, m, d, f}; }
uint32_t Signed(int32_t v) { return static_cast<uint32_t>(v); }

struct Accepted {
  const wchar_t* text;
  DictDate date;
};

class ParseAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(ParseAccepts, FillsAllFourFields) {
  DictDate out = kUntouched;
  ASSERT_TRUE(Parse(GetParam().text, &out));
  EXPECT_EQ(out, GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseAccepts,
    ::testing::Values(
        Accepted{L"2009.11.13", Date(2009, 11, 13, 0)}, Accepted{L"2009-11-13", Date(2009, 11, 13, 0)},
        Accepted{L"2009-11-13-0", Date(2009, 11, 13, 0)}, Accepted{L"2009-11-13-2", Date(2009, 11, 13, 2)},
        Accepted{L"2009.11.13.7", Date(2009, 11, 13, 7)}, Accepted{L"2009.11-13.7", Date(2009, 11, 13, 7)},
        // A blank after the day ends the third number; no fourth.
        Accepted{L"2009-11-13 10:30", Date(2009, 11, 13, 0)},
        // A trailing separator introduces a fourth number with no digits: 0.
        Accepted{L"2009-11-13-", Date(2009, 11, 13, 0)}, Accepted{L"2009-11-13abc", Date(2009, 11, 13, 0)},
        Accepted{L"2009-11-13-5-6", Date(2009, 11, 13, 5)}, Accepted{L"1-2-3", Date(1, 2, 3, 0)},
        // No calendar: any numbers.
        Accepted{L"2009-13-45", Date(2009, 13, 45, 0)}, Accepted{L"2001-2-29", Date(2001, 2, 29, 0)},
        // A third number without digits is 0 (conversion stops at once).
        Accepted{L"2009-11-", Date(2009, 11, 0, 0)}, Accepted{L"2009-11-x", Date(2009, 11, 0, 0)},
        // wcstol: leading white space and a sign before the digits.
        Accepted{L" 2009- 11-\t13", Date(2009, 11, 13, 0)}, Accepted{L"+2009-+1-+2", Date(2009, 1, 2, 0)},
        Accepted{L"-1-2-3", Date(Signed(-1), 2, 3, 0)},
        Accepted{L"2009--1--2--3", Date(2009, Signed(-1), Signed(-2), Signed(-3))},
        // A first "-" with no digits before it converts nothing: 0, and parsing goes on from it.
        Accepted{L"--5-6-7", Date(0, Signed(-5), 6, 7)}, Accepted{L"007-08-09", Date(7, 8, 9, 0)},
        Accepted{L"0-0-0", Date(0, 0, 0, 0)}));

// Values beyond the signed 32-bit range clamp to its limits, on every platform (Linux's long
// is 64 bits and would otherwise keep them, or wrap them when stored).
INSTANTIATE_TEST_SUITE_P(Clamping, ParseAccepts,
                         ::testing::Values(Accepted{L"2147483647-1-1", Date(0x7FFFFFFFu, 1, 1, 0)},
                                           Accepted{L"2147483648-1-1", Date(0x7FFFFFFFu, 1, 1, 0)},
                                           Accepted{L"4294967297-1-1", Date(0x7FFFFFFFu, 1, 1, 0)},
                                           Accepted{L"99999999999999999999999-1-1", Date(0x7FFFFFFFu, 1, 1, 0)},
                                           Accepted{L"-2147483648-1-1", Date(0x80000000u, 1, 1, 0)},
                                           Accepted{L"-2147483649-1-1", Date(0x80000000u, 1, 1, 0)},
                                           Accepted{L"1-1-1-9223372036854775808", Date(1, 1, 1, 0x7FFFFFFFu)},
                                           Accepted{L"1-1-1--9223372036854775809", Date(1, 1, 1, 0x80000000u)},
                                           Accepted{L"1-4294967295-1", Date(1, 0x7FFFFFFFu, 1, 0)}));

class ParseRejects : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ParseRejects, LeavesRecordUntouched) {
  DictDate out = kUntouched;
  EXPECT_FALSE(Parse(GetParam(), &out));
  EXPECT_EQ(out, kUntouched);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseRejects,
                         ::testing::Values(L"", L"1", L"1-", L"--", L"..",  // fewer than 3 characters: L"1-"
                                           L"20091113",                     // no separator
                                           L"2009-11",                      // two numbers
                                           L"2009.11", L"1-2", L"x-1-2",    // x: no digits, stops at "x"
                                           L"-x-1-2",                       // first is 0, second stops at "x"
                                           L"2009/11/13", L"2009-11/13", L"2009 -11-13", L"2009-11 -13", L"abc",
                                           L"2009\x3002"
                                           L"11\x3002"
                                           L"13"));  // ideographic full stop

TEST(ParseDateText, NullTextOrRecordFails) {
  DictDate out = kUntouched;
  EXPECT_FALSE(ParseDateText(nullptr, &out));
  EXPECT_EQ(out, kUntouched);
  std::wstring text = L"2009.11.13";
  EXPECT_FALSE(ParseDateText(text.data(), nullptr));
}

TEST(ParseDateText, RewritesPeriodsInPlaceOnSuccessAndFailure) {
  DictDate out = kUntouched;
  std::wstring rewritten;
  EXPECT_TRUE(Parse(L"2009.11.13", &out, &rewritten));
  EXPECT_EQ(rewritten, L"2009-11-13");
  EXPECT_TRUE(Parse(L"2009.11.13 v1.2", &out, &rewritten));
  EXPECT_EQ(rewritten, L"2009-11-13 v1-2") << "every period, also after the date";

  out = kUntouched;
  EXPECT_FALSE(Parse(L"2009.11", &out, &rewritten));
  EXPECT_EQ(rewritten, L"2009-11") << "rewritten even though the parse fails";
  EXPECT_EQ(out, kUntouched);
  EXPECT_FALSE(Parse(L"..", &out, &rewritten));
  EXPECT_EQ(rewritten, L"..") << "too short: failed before the rewrite";
}

TEST(ParseDateText, StopsAtTheTerminator) {
  // Characters beyond the terminator are neither rewritten nor read.
  wchar_t buffer[] = L"1.2.3\0.9.9";
  DictDate out = kUntouched;
  ASSERT_TRUE(ParseDateText(buffer, &out));
  EXPECT_EQ(out, Date(1, 2, 3, 0));
  EXPECT_EQ(std::wstring(buffer, 10), std::wstring(L"1-2-3\0.9.9", 10));
}

TEST(CompareDictDates, FieldByFieldUnsigned) {
  const DictDate base = Date(2009, 11, 13, 5);
  EXPECT_EQ(CompareDictDates(&base, &base), 0);
  const DictDate same = base;
  EXPECT_EQ(CompareDictDates(&base, &same), 0);

  const DictDate lowerFourth = Date(2009, 11, 13, 4);
  EXPECT_EQ(CompareDictDates(&lowerFourth, &base), -1);
  EXPECT_EQ(CompareDictDates(&base, &lowerFourth), 1);

  // The first field that differs decides, whatever the later ones say.
  const DictDate newYear = Date(2010, 1, 1, 0);
  const DictDate lastDay = Date(2009, 12, 31, 9);
  EXPECT_EQ(CompareDictDates(&newYear, &lastDay), 1);
  EXPECT_EQ(CompareDictDates(&lastDay, &newYear), -1);
  const DictDate laterMonth = Date(2009, 12, 1, 0);
  EXPECT_EQ(CompareDictDates(&laterMonth, &base), 1);
  const DictDate earlierDay = Date(2009, 11, 12, 99);
  EXPECT_EQ(CompareDictDates(&earlierDay, &base), -1);
}

TEST(CompareDictDates, NegativeNumbersCompareAsLargeUnsigned) {
  DictDate minusOne = kUntouched;
  ASSERT_TRUE(Parse(L"-1-1-1", &minusOne));
  for (uint32_t year : {0u, 1u, 2009u, 0x7FFFFFFFu}) {
    const DictDate other = Date(year, 12, 31, 0xFFFFFFFFu);
    EXPECT_EQ(CompareDictDates(&minusOne, &other), 1) << year;
    EXPECT_EQ(CompareDictDates(&other, &minusOne), -1) << year;
  }
  const DictDate top = Date(0xFFFFFFFFu, 0, 0, 0);
  const DictDate signBit = Date(0x80000000u, 0, 0, 0);
  EXPECT_EQ(CompareDictDates(&top, &signBit), 1);
  const DictDate fourthHigh = Date(1, 1, 1, 0x80000000u);
  const DictDate fourthLow = Date(1, 1, 1, 0x7FFFFFFFu);
  EXPECT_EQ(CompareDictDates(&fourthHigh, &fourthLow), 1);
}

}  // namespace
