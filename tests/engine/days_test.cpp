// Day numbers: fixed points of the calendar and round trips over tens of thousands of years.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/days.h"

namespace tarn {
namespace {

// "%04d-%02d-%02d" spelled out, independent of the code under test.
std::u16string DateText(std::int32_t year, std::int32_t month, std::int32_t day) {
  auto digits = [](std::int64_t value, std::size_t width) {
    std::u16string text;
    for (std::int64_t v = value < 0 ? -value : value; v > 0; v /= 10) {
      text.insert(text.begin(), static_cast<char16_t>(u'0' + v % 10));
    }
    const std::size_t minimum = value < 0 ? width - 1 : width;
    while (text.size() < minimum) text.insert(text.begin(), u'0');
    return value < 0 ? u"-" + text : text;
  };
  return digits(year, 4) + u"-" + digits(month, 2) + u"-" + digits(day, 2);
}

struct DateCase {
  std::int32_t year, month, day;
  std::int64_t dayNumber;
  const char16_t* text;
};

TEST(DayNumbers, KnownDates) {
  const DateCase cases[] = {
      {1970, 1, 1, 0, u"1970-01-01"},      {1970, 1, 2, 1, u"1970-01-02"},
      {1969, 12, 31, -1, u"1969-12-31"},   {2000, 3, 1, 11017, u"2000-03-01"},
      {2000, 2, 29, 11016, u"2000-02-29"}, {2024, 2, 29, 19782, u"2024-02-29"},
      {1900, 3, 1, -25508, u"1900-03-01"}, {1900, 2, 28, -25509, u"1900-02-28"},
      {2024, 1, 1, 19723, u"2024-01-01"},  {2026, 12, 7, 20794, u"2026-12-07"},
      {0, 3, 1, -719468, u"0000-03-01"},   {-1, 12, 31, -719529, u"-001-12-31"},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.dayNumber) << c.year << "-" << c.month;
    char16_t text[32];
    const std::int32_t length = CivilFromDays(c.dayNumber, text, 32);
    EXPECT_EQ(std::u16string(text), std::u16string(c.text));
    EXPECT_EQ(length, static_cast<std::int32_t>(std::u16string(c.text).size()));
  }
}

TEST(DayNumbers, RoundTripEveryDayOverFortyThousandYears) {
  // Every day from year -20000 to 20000: consecutive, and each converts back to itself.
  const std::int64_t first = DaysFromCivil(-20000, 1, 1);
  const std::int64_t last = DaysFromCivil(20000, 12, 31);
  std::int32_t year = -20000, month = 1, day = 1;
  constexpr std::int32_t kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (std::int64_t n = first; n <= last; ++n) {
    ASSERT_EQ(DaysFromCivil(year, month, day), n);
    if (n % 101 == 0) {  // the way back, on a sample that meets every month and day
      char16_t text[32];
      ASSERT_GT(CivilFromDays(n, text, 32), 0);
      EXPECT_EQ(std::u16string(text), DateText(year, month, day));
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const std::int32_t monthLength = kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
    if (++day > monthLength) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
}

TEST(CivilFromDays, ReportsWhatDoesNotFit) {
  char16_t text[11];
  EXPECT_EQ(CivilFromDays(0, text, 11), 10);
  EXPECT_EQ(CivilFromDays(0, text, 10), -1);
  EXPECT_EQ(text[0], 0);
  // Far beyond any calendar: refused instead of overflowing 64-bit arithmetic.
  char16_t wide[64];
  EXPECT_EQ(CivilFromDays(INT64_MAX, wide, 64), -1);
  EXPECT_EQ(CivilFromDays(INT64_MIN, wide, 64), -1);
  EXPECT_GT(CivilFromDays(INT64_MAX / 8, wide, 64), 10);
}

}  // namespace
}  // namespace tarn
