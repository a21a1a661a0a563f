#include <gtest/gtest.h>

#include "http/internet_date.h"

namespace orvex {
namespace {

TDateTime At(int y, int m, int d, int hh, int mm, int ss) {
  TDateTime result = 0;
  EXPECT_TRUE(TryEncodeDateTime(y, m, d, hh, mm, ss, result));
  return result;
}

constexpr double kSecond = 1.0 / kSecondsPerDay;

TEST(InternetDate, TheThreeFormsGiveTheSameMoment) {
  const TDateTime expected = At(1994, 11, 6, 8, 49, 37);
  const char* forms[] = {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                         "Sun Nov  6 08:49:37 1994", "Sun,06 Nov 1994 08:49:37 GMT"};
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    EXPECT_NEAR(ParseInternetDate(form), expected, kSecond / 10);
    EXPECT_NEAR(InternetDateToLocal(form), expected + LocalUtcOffset(), kSecond / 10);
  }
}

TEST(InternetDate, ZoneOffsetMovesTheResult) {
  TDateTime gmt = InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 GMT");
  TDateTime plusOne = InternetDateToLocal("Sun, 06 Nov 1994 08:49:37 +0100");
  EXPECT_NEAR(gmt - plusOne, 1.0 / 24, kSecond / 10);
  EXPECT_NEAR(ParseGmtOffset("-0230"), -(2.5 / 24), kSecond / 10);
  EXPECT_EQ(ParseGmtOffset("GMT"), 0);
  EXPECT_EQ(ParseGmtOffset("+01:0"), 0);
}

TEST(InternetDate, YearRules) {
  // A year token of 1900 takes the year from the rest of the text.
  EXPECT_NEAR(ParseInternetDate("Mon, 01 Jan 1900 2005"), At(2005, 1, 1, 0, 0, 0), kSecond / 10);
  EXPECT_NEAR(ParseInternetDate("Thu, 01 Jan 70 00:00:00 GMT"), At(2070, 1, 1, 0, 0, 0),
              kSecond / 10);
  EXPECT_NEAR(ParseInternetDate("Thu, 01 Jan 80 00:00:00 GMT"), At(1980, 1, 1, 0, 0, 0),
              kSecond / 10);
}

TEST(InternetDate, BadTextGivesZero) {
  const char* texts[] = {"",
                         "   ",
                         "garbage",
                         "Sun, 32 Nov 1994 08:49:37 GMT",
                         "Sun, 06 Foo 1994 08:49:37 GMT",
                         "Sun, 06 Nov 1994 25:00:00 GMT",
                         "31-Feb-2001"};
  for (const char* text : texts) EXPECT_EQ(ParseInternetDate(text), 0) << text;
}

TEST(InternetDate, PmAndZoneText) {
  std::string zone;
  EXPECT_NEAR(ParseInternetDate("06 Nov 1994 08:49:37 PM", &zone), At(1994, 11, 6, 20, 49, 37),
              kSecond / 10);
  ParseInternetDate("Sun, 06 Nov 1994 08:49:37 +0100", &zone);
  EXPECT_EQ(zone, "+0100");
}

TEST(InternetDate, FormatHttpDate) {
  EXPECT_EQ(FormatHttpDate(At(1994, 11, 6, 8, 49, 37)), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(FormatHttpDate(At(2024, 2, 29, 23, 59, 59)), "Thu, 29 Feb 2024 23:59:59 GMT");
  TDateTime now = NowUtc();
  EXPECT_NEAR(ParseInternetDate(FormatHttpDate(now)), now, 1.01 * kSecond);
}

}  // namespace
}  // namespace orvex
