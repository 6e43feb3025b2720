// Finding the date stamp inside a dictionary's descriptive text, native.
#include "probe/date_stamp.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

namespace {

const wchar_t kFilled[kDateStampChars] = L"#untouched####";

struct Stamp {
  bool found;
  std::wstring text;
};

Stamp Find(const wchar_t* descriptive) {
  wchar_t out[kDateStampChars];
  std::wmemcpy(out, kFilled, kDateStampChars);
  Stamp result{FindDateStamp(descriptive, out), {}};
  if (result.found) {
    EXPECT_EQ(out[kDateStampChars - 1], L'\0');
    result.text = out;
    for (size_t i = result.text.size(); i < kDateStampChars; ++i) EXPECT_EQ(out[i], L'\0') << "zero-filled";
  } else {
    EXPECT_EQ(std::wstring(out, kDateStampChars), std::wstring(kFilled, kDateStampChars)) << "untouched";
  }
  return result;
}

TEST(FindDateStamp, BetweenTheTags) {
  EXPECT_EQ(Find(L"<date_time>2009.11.13</date_time>").text, L"2009.11.13");
  EXPECT_EQ(Find(L"name=Sample\n<date_time>2009-11-13-2</date_time>\nsize=3").text, L"2009-11-13-2");
  EXPECT_EQ(Find(L"<date_time></date_time>").text, L"") << "nothing between: found, empty";
  EXPECT_EQ(Find(L"<date_time>a</date_time><date_time>b</date_time>").text, L"a") << "the first";
  EXPECT_EQ(Find(L"</date_time><date_time>7</date_time>").text, L"7") << "closing tag searched after the opening one";
  EXPECT_EQ(Find(L"<date_time><date_time>1</date_time>").text, L"<date_time>1") << "a second opening tag is text";
}

TEST(FindDateStamp, FifteenCharactersFitSixteenDoNot) {
  const Stamp fifteen = Find(L"<date_time>2009-11-13-1234</date_time>");
  EXPECT_TRUE(fifteen.found);
  EXPECT_EQ(fifteen.text, L"2009-11-13-1234");
  EXPECT_FALSE(Find(L"<date_time>2009-11-13-12345</date_time>").found);
  EXPECT_FALSE(Find(L"<date_time>2009-11-13 10:30:00</date_time>").found);
}

TEST(FindDateStamp, MissingOrMisspelledTags) {
  EXPECT_FALSE(Find(nullptr).found);
  EXPECT_FALSE(Find(L"").found);
  EXPECT_FALSE(Find(L"2009.11.13").found);
  EXPECT_FALSE(Find(L"<DATE_TIME>2009.11.13</DATE_TIME>").found) << "case-sensitive";
  EXPECT_FALSE(Find(L"<Date_Time>2009.11.13</date_time>").found);
  EXPECT_FALSE(Find(L"<date_time>2009.11.13</DATE_TIME>").found);
  EXPECT_FALSE(Find(L"<date_time>2009.11.13").found) << "no closing tag";
  EXPECT_FALSE(Find(L"<date_time>2009.11.13</date_time").found);
  EXPECT_FALSE(Find(L"<date_time").found);
  EXPECT_FALSE(Find(L"2009.11.13</date_time>").found) << "no opening tag";
  EXPECT_FALSE(Find(L"<date_time >2009.11.13</date_time>").found);
}

TEST(FindDateStamp, NeverReadsPastTheTerminator) {
  // The closing tag lies after the terminator: it must not be found. Under the sanitizers an
  // exactly sized heap copy also catches any read beyond the text.
  const wchar_t withHiddenTail[] = L"<date_time>2009.11.13\0</date_time>";
  EXPECT_FALSE(Find(withHiddenTail).found);
  for (const std::wstring text : {L"<date_time>2009.11.13", L"<date_time>", L"<date_tim", L"x"}) {
    std::unique_ptr<wchar_t[]> exact(new wchar_t[text.size() + 1]);
    std::wmemcpy(exact.get(), text.c_str(), text.size() + 1);
    EXPECT_FALSE(Find(exact.get()).found);
  }
}

}  // namespace
