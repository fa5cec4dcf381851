// The template expander: every conversion and flag the program's templates use, the kinds of
// arguments each accepts, missing and unknown conversions, and cuts at every small capacity.
#include "text/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "test_support.h"
#include "text/buffer.h"

namespace tarn {
namespace {

using tarn_test::GuardedText;

template <typename... Args>
std::u16string F(const char16_t* tmpl, const Args&... args) {
  char16_t buffer[512];
  const std::int32_t length = Format(buffer, 512, tmpl, args...);
  EXPECT_EQ(length, static_cast<std::int32_t>(std::u16string(buffer).size()));
  return std::u16string(buffer);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Format, Integers) {
  EXPECT_EQ(F(u"%d", 0), u"0");
  EXPECT_EQ(F(u"%d", -42), u"-42");
  EXPECT_EQ(F(u"%02d", 5), u"05");
  EXPECT_EQ(F(u"%02d", 30), u"30");
  EXPECT_EQ(F(u"%02d", 123), u"123");
  EXPECT_EQ(F(u"%03d", 17), u"017");
  EXPECT_EQ(F(u"%03d", 1000), u"1000");
  EXPECT_EQ(F(u"%04d", 7), u"0007");
  EXPECT_EQ(F(u"%03d", -5), u"-05");  // the width counts the sign, as in printf
  EXPECT_EQ(F(u"%010d", -5), u"-000000005");
  EXPECT_EQ(F(u"%04lld-%02lld-%02lld", std::int64_t{2024}, std::int64_t{1}, std::int64_t{9}),
            u"2024-01-09");
  EXPECT_EQ(F(u"%04lld", std::int64_t{-1}), u"-001");
  EXPECT_EQ(F(u"%lld", std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(F(u"%lld", std::numeric_limits<std::int64_t>::max()), u"9223372036854775807");
  EXPECT_EQ(F(u"%d", std::numeric_limits<std::uint32_t>::max()), u"4294967295");
  EXPECT_EQ(F(u"%d", short{-3}), u"-3");
}

// Zero padding counts the sign, as printf's does; layouts no template uses (a width without
// "0", a width on %f or %ls, a precision on %d or %ls) are read and ignored.
TEST(Format, ZeroPaddingAndIgnoredLayouts) {
  EXPECT_EQ(F(u"[%03d][%04lld]", -5, 42), u"[-05][0042]");
  EXPECT_EQ(F(u"[%5d][%.3d][%.0d]", 42, 7, 0), u"[42][7][0]");
  EXPECT_EQ(F(u"[%8.2f][%08.2f]", -3.14159, -3.14159), u"[-3.14][-3.14]");
  EXPECT_EQ(F(u"[%05.1f]", kInf), u"[inf]");
  EXPECT_EQ(F(u"[%5ls][%.2ls][%3c]", u"ab", u"xyz", u'D'), u"[ab][xyz][D]");
}

// A double at %d is truncated toward zero; values with no 64-bit integer print INT64_MIN.
TEST(Format, DoubleAtIntegerConversion) {
  EXPECT_EQ(F(u"%d", 2.9), u"2");
  EXPECT_EQ(F(u"%d", -2.9), u"-2");
  EXPECT_EQ(F(u"%02d", 3.0), u"03");
  EXPECT_EQ(F(u"%d", -0.5), u"0");
  EXPECT_EQ(F(u"%d", 9007199254740993.0), u"9007199254740992");
  EXPECT_EQ(F(u"%d", -9223372036854775808.0), u"-9223372036854775808");
  EXPECT_EQ(F(u"%d", 9223372036854775808.0), u"-9223372036854775808");
  EXPECT_EQ(F(u"%d", kNaN), u"-9223372036854775808");
  EXPECT_EQ(F(u"%d", kInf), u"-9223372036854775808");
  EXPECT_EQ(F(u"%d", -kInf), u"-9223372036854775808");
  EXPECT_EQ(F(u"%d", 1e300), u"-9223372036854775808");
}

TEST(Format, Fixed) {
  EXPECT_EQ(F(u"%.0f", 2.5), u"2");  // exact halves go to the even neighbour
  EXPECT_EQ(F(u"%.0f", 3.5), u"4");
  EXPECT_EQ(F(u"%.0f", 33.5), u"34");
  EXPECT_EQ(F(u"%.0f", 100.5), u"100");
  EXPECT_EQ(F(u"%.2f", 0.125), u"0.12");
  EXPECT_EQ(F(u"%.2f", 0.375), u"0.38");
  EXPECT_EQ(F(u"%.1f", 1234.56), u"1234.6");
  EXPECT_EQ(F(u"%.3f", 1234.5678), u"1234.568");
  EXPECT_EQ(F(u"%.2f", -1.005), u"-1.00");  // 1.005 is stored just below the half
  EXPECT_EQ(F(u"%.0f", -0.4), u"-0");
  EXPECT_EQ(F(u"%.1f", -0.0), u"-0.0");
  EXPECT_EQ(F(u"%f", 1.5), u"1.500000");
  EXPECT_EQ(F(u"%.9f", 1.0 / 3.0), u"0.333333333");
  EXPECT_EQ(F(u"%.12f", 1.0 / 3.0), u"0.333333333");  // precision is capped at 9
  EXPECT_EQ(F(u"%.f", 2.5), u"2");
  EXPECT_EQ(F(u"%.2f", 5), u"5.00");  // an integer at %f prints as a double
  EXPECT_EQ(F(u"%.1f%%", 12.5), u"12.5%");
}

TEST(Format, NonFiniteFixedAndGeneral) {
  EXPECT_EQ(F(u"%.2f", kInf), u"inf");
  EXPECT_EQ(F(u"%.0f", -kInf), u"-inf");
  EXPECT_EQ(F(u"%.2f", kNaN), u"nan");
  EXPECT_EQ(F(u"%g", -kInf), u"-inf");
  EXPECT_EQ(F(u"%.0f", 1e308).size(), 309u);
}

TEST(Format, General) {
  EXPECT_EQ(F(u"%g", 12.0), u"12");
  EXPECT_EQ(F(u"%g", 0.5), u"0.5");
  EXPECT_EQ(F(u"%g", 0.25), u"0.25");
  EXPECT_EQ(F(u"%g", 1234567.0), u"1.23457e+06");
  EXPECT_EQ(F(u"%.6g", 1234567.0), u"1.23457e+06");
  EXPECT_EQ(F(u"%g", 1e-5), u"1e-05");
  EXPECT_EQ(F(u"%g", 100000.0), u"100000");
  EXPECT_EQ(F(u"%g", 1e6), u"1e+06");
  EXPECT_EQ(F(u"%g", 0.0001), u"0.0001");
  EXPECT_EQ(F(u"%g", -0.0), u"-0");
  EXPECT_EQ(F(u"%g", 12), u"12");
  EXPECT_EQ(F(u"%.3g", 3.14159), u"3.14");
  EXPECT_EQ(F(u"%.0g", 25.0), u"2e+01");
}

TEST(Format, TextsAndCharacters) {
  const char16_t* title = u"Talvoro";
  char16_t label[] = u"护士01";
  EXPECT_EQ(F(u"计算完成  %ls", title), u"计算完成  Talvoro");
  EXPECT_EQ(F(u"%ls：", label), u"护士01：");
  EXPECT_EQ(F(u"%ls|%ls", static_cast<const char16_t*>(nullptr), u"x"), u"|x");
  EXPECT_EQ(F(u"%d日%c ", 3, 'D'), u"3日D ");
  EXPECT_EQ(F(u"%c%c", u'床', 65), u"床A");
  EXPECT_EQ(F(u"100%%"), u"100%");
  EXPECT_EQ(F(u"SpO2＿%%；"), u"SpO2＿%；");
  EXPECT_EQ(F(u"%%d", 5), u"%d");
}

// A wrong kind prints nothing but uses its argument; a missing argument prints nothing.
TEST(Format, WrongAndMissingArguments) {
  EXPECT_EQ(F(u"[%ls][%d]", 5, 6), u"[][6]");
  EXPECT_EQ(F(u"[%d][%d]", u"text", 6), u"[][6]");
  EXPECT_EQ(F(u"[%.2f]", u"x"), u"[]");
  EXPECT_EQ(F(u"[%c]", 1.5), u"[]");
  EXPECT_EQ(F(u"[%c]", 0), u"[]");
  EXPECT_EQ(F(u"[%c]", 70000), u"[]");
  EXPECT_EQ(F(u"[%d][%ls][%.2f]"), u"[][][]");
  EXPECT_EQ(F(u"[%d][%d]", 1), u"[1][]");
  EXPECT_EQ(F(u"[%d]", 1, 2, 3), u"[1]");
  char16_t buffer[8];
  EXPECT_EQ(FormatList(buffer, 8, u"[%d]", nullptr, 3), 2);
  EXPECT_EQ(std::u16string(buffer), u"[]");
}

// An unknown conversion prints nothing from its "%" through its letter and uses no argument;
// a template ending inside a conversion prints nothing for that tail.
TEST(Format, UnknownConversions) {
  EXPECT_EQ(F(u"[%y][%d]", 4), u"[][4]");
  EXPECT_EQ(F(u"[%x]", 255), u"[]");
  EXPECT_EQ(F(u"[%#d]", 255), u"[d]");
  // printf flags and letters no template uses are unknown conversions here.
  EXPECT_EQ(F(u"[%-5d][%+d][% d][%i][%hd][%zd]", 4), u"[5d][d][d][][d][d]");
  EXPECT_EQ(F(u"ab%"), u"ab");
  EXPECT_EQ(F(u"ab%05."), u"ab");
  EXPECT_EQ(F(u"ab%l"), u"ab");
  char16_t buffer[4] = u"xyz";
  EXPECT_EQ(Format(buffer, 4, nullptr), 0);
  EXPECT_EQ(buffer[0], 0);
}

// Huge widths and precisions are bounded by the capacity, not by how far the loop runs.
TEST(Format, HugeWidthIsCut) {
  GuardedText<40> buffer;
  EXPECT_EQ(Format(buffer.units, 20, u"%099999999999d|%.99999999999f", 1, 2.0), 19);
  EXPECT_TRUE(buffer.UntouchedFrom(20));
  EXPECT_EQ(buffer.Text(), std::u16string(19, u'0'));
}

// Every capacity from 0 to past the full length: the text is the full text cut at
// capacity - 1, and the guard units behind the capacity are never touched.
TEST(Format, EverySmallCapacity) {
  const char16_t* tmpl = u"第%d天 %02d:%02d %.2f%% %ls%c %g";
  const std::u16string full = F(tmpl, 3, 7, 5, 12.345, u"护士", u'D', 1234567.0);
  ASSERT_EQ(full, u"第3天 07:05 12.35% 护士D 1.23457e+06");
  const auto size = static_cast<std::int32_t>(full.size());
  for (std::int32_t capacity = 0; capacity <= size + 3; ++capacity) {
    GuardedText<64> buffer;
    const std::int32_t length =
        Format(buffer.units, capacity, tmpl, 3, 7, 5, 12.345, u"护士", u'D', 1234567.0);
    if (capacity == 0) {
      EXPECT_EQ(length, 0);
      EXPECT_TRUE(buffer.UntouchedFrom(0));
      continue;
    }
    const std::int32_t expected = capacity - 1 < size ? capacity - 1 : size;
    EXPECT_EQ(length, expected) << capacity;
    EXPECT_EQ(buffer.Text(), full.substr(0, static_cast<std::size_t>(expected))) << capacity;
    EXPECT_TRUE(buffer.UntouchedFrom(expected + 1)) << capacity;
  }
}

}  // namespace
}  // namespace tarn
