// Number text against expected strings that hold on every build: %.Nf with exact halves to
// even, %g, zero-padded integers, and strtod/wcstod reading rules including hex, inf/nan,
// overflow and underflow.
#include "text/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "test_support.h"

namespace tarn {
namespace {

using tarn_test::GuardedBytes;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

std::string Fixed(double value, std::int32_t decimals) {
  char out[kMaxFixedText];
  const std::int32_t length = FormatFixed(value, decimals, out, kMaxFixedText);
  EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(out)));
  return out;
}

std::string General(double value, std::int32_t precision) {
  char out[64];
  const std::int32_t length = FormatGeneral(value, precision, out, 64);
  EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(out)));
  return out;
}

std::string Integer(std::int64_t value, std::int32_t minDigits) {
  char out[64];
  FormatInteger(value, minDigits, out, 64);
  return out;
}

struct FixedCase {
  double value;
  std::int32_t decimals;
  const char* expected;
};

constexpr FixedCase kFixedCases[] = {
    {2.5, 0, "2"},  // exact halves go to the even neighbour
    {3.5, 0, "4"},
    {0.5, 0, "0"},
    {1.5, 0, "2"},
    {-2.5, 0, "-2"},
    {33.5, 0, "34"},
    {100.5, 0, "100"},
    {0.125, 2, "0.12"},
    {0.375, 2, "0.38"},
    {2.675, 2, "2.67"},  // stored just below the half
    {1.005, 2, "1.00"},
    {0.0005, 3, "0.001"},  // stored just above the half
    {0.0015, 3, "0.002"},
    {1e-7, 3, "0.000"},
    {-0.0, 0, "-0"},
    {-0.4, 0, "-0"},
    {-0.0, 2, "-0.00"},
    {0.0, 3, "0.000"},
    {kTiny, 3, "0.000"},
    {-kTiny, 3, "-0.000"},
    {1234.5678, 1, "1234.6"},
    {1234.5678, 2, "1234.57"},
    {1234.5678, 3, "1234.568"},
    {123456789.987654321, 3, "123456789.988"},
    {9007199254740993.0, 1, "9007199254740992.0"},
    {1e21, 0, "1000000000000000000000"},
    {0.1, 9, "0.100000000"},
    {9.5367431640625e-07, 9, "0.000000954"},
    {1.0 / 3.0, 12, "0.333333333"},  // decimals above 9 are capped
    {2.5, -3, "2"},                  // and below 0 count as 0
    {kMax, 0,
     "179769313486231570814527423731704356798070567525844996598917476803157260"
     "780028538760589558632766878171540458953514382464234321326889464182768467"
     "546703537516986049910576551282076245490090389328944075868508455133942304"
     "583236903222948165808559332123348274797826204144723168738177180919299881"
     "250404026184124858368"},
    {kInf, 2, "inf"},
    {-kInf, 0, "-inf"},
    {kNaN, 3, "nan"},
    {-kNaN, 1, "-nan"},
};

TEST(FormatFixed, ExpectedTexts) {
  for (const FixedCase& c : kFixedCases) {
    EXPECT_EQ(Fixed(c.value, c.decimals), c.expected) << c.value << " %." << c.decimals << "f";
  }
}

// Whole numbers take a direct path; its edges must agree with the general conversion.
TEST(FormatFixed, WholeNumbersAtTheEdgesOfTheDirectPath) {
  const FixedCase cases[] = {
      {0.0, 2, "0.00"},
      {-0.0, 0, "-0"},
      {-0.0, 3, "-0.000"},
      {-5.0, 3, "-5.000"},
      {120.0, 1, "120.0"},
      {9007199254740991.0, 2, "9007199254740991.00"},  // 2^53 - 1, direct
      {9007199254740992.0, 1, "9007199254740992.0"},   // 2^53, general conversion
      {-9007199254740993.0, 0, "-9007199254740992"},   // rounds to 2^53 when read
      {1e20, 0, "100000000000000000000"},
      {0.5, 0, "0"},  // not whole: halves to even
      {1.5, 0, "2"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(Fixed(c.value, c.decimals), c.expected) << c.value << " %." << c.decimals << "f";
  }
}

// The longest fixed text (309 integer digits, sign, 9 decimals) fits kMaxFixedText.
TEST(FormatFixed, LongestText) {
  const std::string text = Fixed(-1e308, 9);
  EXPECT_EQ(text.size(), 320u);
  EXPECT_EQ(text.substr(0, 21), "-10000000000000000109");
  EXPECT_EQ(text.substr(text.size() - 10), ".000000000");
  EXPECT_LE(Fixed(-kMax, 9).size(), static_cast<std::size_t>(kMaxFixedText - 1));
}

TEST(FormatFixed, EverySmallCapacity) {
  const std::string full = "-3.14";
  for (std::int32_t capacity = 0; capacity <= 8; ++capacity) {
    GuardedBytes<16> out;
    const std::int32_t length = FormatFixed(-3.14159, 2, out.bytes, capacity);
    if (capacity == 0) {
      EXPECT_EQ(length, 0);
      EXPECT_TRUE(out.UntouchedFrom(0));
      continue;
    }
    const std::int32_t expected = capacity - 1 < 5 ? capacity - 1 : 5;
    EXPECT_EQ(length, expected);
    EXPECT_EQ(std::string(out.bytes), full.substr(0, static_cast<std::size_t>(expected)));
    EXPECT_TRUE(out.UntouchedFrom(expected + 1)) << capacity;
  }
  EXPECT_EQ(FormatFixed(1.0, 2, nullptr, 10), 0);
}

struct GeneralCase {
  double value;
  std::int32_t precision;
  const char* expected;
};

constexpr GeneralCase kGeneralCases[] = {
    {12.0, 6, "12"},
    {0.5, 6, "0.5"},
    {0.25, 6, "0.25"},
    {1234567.0, 6, "1.23457e+06"},
    {1e-5, 6, "1e-05"},
    {0.0001, 6, "0.0001"},
    {100000.0, 6, "100000"},
    {1e6, 6, "1e+06"},
    {123456.5, 6, "123456"},  // an exact half at the last digit goes to even
    {999999.5, 6, "1e+06"},
    {0.000123456789, 3, "0.000123"},
    {0.00001234, 2, "1.2e-05"},
    {9.5, 1, "1e+01"},
    {25.0, 0, "2e+01"},  // precision 0 counts as 1
    {0.0, 6, "0"},
    {-0.0, 6, "-0"},
    {-2.5, 6, "-2.5"},
    {1e100, 6, "1e+100"},
    {kTiny, 6, "4.94066e-324"},
    {kTiny, 17, "4.9406564584124654e-324"},
    {0.1, 17, "0.10000000000000001"},
    {0.1, 30, "0.10000000000000001"},  // precision above 17 is capped
    {kMax, 17, "1.7976931348623157e+308"},
    {kInf, 6, "inf"},
    {-kInf, 6, "-inf"},
    {kNaN, 6, "nan"},
};

TEST(FormatGeneral, ExpectedTexts) {
  for (const GeneralCase& c : kGeneralCases) {
    EXPECT_EQ(General(c.value, c.precision), c.expected) << c.value << " %." << c.precision << "g";
  }
}

TEST(FormatInteger, ZeroPaddedLikePrintf) {
  EXPECT_EQ(Integer(0, 0), "0");
  EXPECT_EQ(Integer(0, 3), "000");
  EXPECT_EQ(Integer(5, 2), "05");
  EXPECT_EQ(Integer(2024, 4), "2024");
  EXPECT_EQ(Integer(12345, 2), "12345");
  EXPECT_EQ(Integer(-5, 3), "-05");  // the width counts the sign
  EXPECT_EQ(Integer(-1, 4), "-001");
  EXPECT_EQ(Integer(-7, -4), "-7");
  EXPECT_EQ(Integer(INT64_MIN, 0), "-9223372036854775808");
  EXPECT_EQ(Integer(INT64_MAX, 25), "0000009223372036854775807");
  GuardedBytes<8> out;
  EXPECT_EQ(FormatInteger(-123456, 0, out.bytes, 4), 3);
  EXPECT_EQ(std::string(out.bytes), "-12");
  EXPECT_TRUE(out.UntouchedFrom(4));
}

// ---- reading ----

struct ParseCase {
  const char* text;
  double expected;
  std::int32_t consumed;
};

const std::string kManyZeros(900, '0');
// 2^53 + 1 lies exactly halfway between two doubles; digits far behind it decide the way.
const std::string kHalfway = "9007199254740993";
const std::string kAboveHalfwayFraction = kHalfway + "." + kManyZeros + "1";
const std::string kAboveHalfwayScaled = kHalfway + kManyZeros + "1e-901";
const std::string kLongOverflow = "1" + std::string(400, '0');
const std::string kLongUnderflow = "0." + std::string(400, '0') + "1";
const std::string kLongHex = "0x1" + std::string(20, '0') + "1p0";

const ParseCase kParseCases[] = {
    // nothing to read: 0 and nothing consumed
    {"", 0.0, 0},
    {"   ", 0.0, 0},
    {"abc", 0.0, 0},
    {"-", 0.0, 0},
    {"+", 0.0, 0},
    {".", 0.0, 0},
    {"-.", 0.0, 0},
    {".e5", 0.0, 0},
    {"e5", 0.0, 0},
    {"+-1", 0.0, 0},
    {"in", 0.0, 0},
    {"na", 0.0, 0},
    // A split literal keeps the hex escape from swallowing the "1".
    // clang-format off
    {"\xC2\xA0" "1", 0.0, 0},  // only ASCII white space is skipped
    // clang-format on
    // decimal
    {"1", 1.0, 1},
    {" \t\n\v\f\r42", 42.0, 8},
    {"+1.5", 1.5, 4},
    {"-2.5e3", -2500.0, 6},
    {"1e", 1.0, 1},  // an incomplete exponent is not read
    {"1e+", 1.0, 1},
    {"1e-x", 1.0, 1},
    {"1E5", 1e5, 3},
    {"1.e5", 1e5, 4},
    {".5", 0.5, 2},
    {"5.", 5.0, 2},
    {"007", 7.0, 3},
    {"0.1", 0.1, 3},
    {"12abc", 12.0, 2},
    {"1.5.5", 1.5, 3},
    {"-0", -0.0, 2},
    {"0e99999999999999999999", 0.0, 22},
    {"9007199254740993", 9007199254740992.0, 16},
    {"1.7976931348623157e308", kMax, 22},
    {"1.7976931348623158e308", kMax, 22},
    {"1.7976931348623159e308", kInf, 22},
    {"2.2250738585072011e-308", 2.2250738585072011e-308, 23},
    {"4.9406564584124654e-324", kTiny, 23},
    {"2.4703282292062328e-324", kTiny, 23},  // just above half the smallest subnormal
    {"2.4703282292062327e-324", 0.0, 23},
    {"1e400", kInf, 5},  // overflow gives infinity
    {"-1e400", -kInf, 6},
    {"1e-400", 0.0, 6},  // underflow gives zero
    {"-1e-400", -0.0, 7},
    {"1e99999999999999999999", kInf, 22},
    {"1e-99999999999999999999", 0.0, 23},
    // hexadecimal
    {"0x1p3", 8.0, 5},
    {"0X1P-2", 0.25, 6},
    {"0xAbC", 2748.0, 5},
    {"0x1.8p1", 3.0, 7},
    {"0x.8", 0.5, 4},
    {"0x1.", 1.0, 4},
    {"0x", 0.0, 1},  // "0x" alone reads its "0"
    {"-0x", -0.0, 2},
    {"0x.p1", 0.0, 1},
    {"0xg", 0.0, 1},
    {"0x1p", 1.0, 3},
    {"0x1p-", 1.0, 3},
    {"0x1P+4z", 16.0, 6},
    {"0x1p1024", kInf, 8},
    {"0x1p-1074", kTiny, 9},
    {"0x1p-1075", 0.0, 9},  // exactly half the smallest subnormal: ties to even (zero)
    {"0x1.8p-1075", kTiny, 11},
    {"0x1.8p-1074", 2 * kTiny, 11},
    {"0x1.fffffffffffff8p1023", kInf, 23},  // rounds up past the largest double
    {"0x1.fffffffffffff7ffp1023", kMax, 25},
    {"0x1p99999999999999999999", kInf, 24},
    {"0x1p-99999999999999999999", 0.0, 25},
    // infinity and not-a-number, any case
    {"inf", kInf, 3},
    {"INF", kInf, 3},
    {"-Inf", -kInf, 4},
    {"  +inf", kInf, 6},
    {"infinity", kInf, 8},
    {"INFINITYx", kInf, 8},
    {"infinit", kInf, 3},
    {"infx", kInf, 3},
    {"nan", kNaN, 3},
    {"-NaN", kNaN, 4},
    {"nan()", kNaN, 5},
    {"NaN(123abc_Z)", kNaN, 13},
    {"nan(", kNaN, 3},
    {"nan(1 2)", kNaN, 3},
    {"nanx", kNaN, 3},
};

struct LongCase {
  const std::string* text;
  double expected;
};

const LongCase kLongCases[] = {
    {&kAboveHalfwayFraction, 9007199254740994.0},
    {&kAboveHalfwayScaled, 9007199254740994.0},
    {&kLongOverflow, kInf},
    {&kLongUnderflow, 0.0},
    {&kLongHex, 19342813113834066795298816.0},  // 2^84: the far 1 is below half an ulp
};

// Same bits, or both NaN.
::testing::AssertionResult SameDouble(double actual, double expected) {
  const bool same = std::isnan(expected)
                        ? std::isnan(actual)
                        : actual == expected && std::signbit(actual) == std::signbit(expected);
  if (same) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got " << actual << " expected " << expected;
}

TEST(ParseNumber, NarrowTable) {
  for (const ParseCase& c : kParseCases) {
    const char* end = nullptr;
    const double value = ParseNumber(c.text, &end);
    EXPECT_TRUE(SameDouble(value, c.expected)) << '"' << c.text << '"';
    EXPECT_EQ(end - c.text, c.consumed) << '"' << c.text << '"';
  }
  for (const LongCase& c : kLongCases) {
    const char* end = nullptr;
    EXPECT_TRUE(SameDouble(ParseNumber(c.text->c_str(), &end), c.expected)) << *c.text;
    EXPECT_EQ(end - c.text->c_str(), static_cast<std::ptrdiff_t>(c.text->size()));
  }
}

// The same texts widened must read the same.
TEST(ParseNumber, WideTable) {
  for (const ParseCase& c : kParseCases) {
    const std::u16string text = tarn_test::Widen(c.text);
    const char16_t* end = nullptr;
    const double value = ParseNumber(text.c_str(), &end);
    if (static_cast<unsigned char>(c.text[0]) >= 0x80) continue;  // bytes, not characters
    EXPECT_TRUE(SameDouble(value, c.expected)) << '"' << c.text << '"';
    EXPECT_EQ(end - text.c_str(), c.consumed) << '"' << c.text << '"';
  }
  for (const LongCase& c : kLongCases) {
    const std::u16string text = tarn_test::Widen(*c.text);
    const char16_t* end = nullptr;
    EXPECT_TRUE(SameDouble(ParseNumber(text.c_str(), &end), c.expected)) << *c.text;
    EXPECT_EQ(end - text.c_str(), static_cast<std::ptrdiff_t>(text.size()));
  }
}

// Only ASCII characters take part: full-width digits and no-break spaces end the number, and a
// unit whose low byte is an ASCII digit is not mistaken for one.
TEST(ParseNumber, WideNonAscii) {
  const char16_t* end = nullptr;
  const char16_t* fullWidth = u"1２";
  EXPECT_EQ(ParseNumber(fullWidth, &end), 1.0);
  EXPECT_EQ(end, fullWidth + 1);
  const char16_t* noBreak = u"\u00A01";
  EXPECT_EQ(ParseNumber(noBreak, &end), 0.0);
  EXPECT_EQ(end, noBreak);
  const char16_t* lowByteDigit = u"4\u0135";  // U+0135 ends in 0x35, the byte of "5"
  EXPECT_EQ(ParseNumber(lowByteDigit, &end), 4.0);
  EXPECT_EQ(end, lowByteDigit + 1);
  const char16_t* lowByteInf = u"\u0169nf";
  EXPECT_EQ(ParseNumber(lowByteInf, &end), 0.0);
  EXPECT_EQ(end, lowByteInf);
}

TEST(ParseNumber, NullTextAndEnd) {
  EXPECT_EQ(ParseNumber(static_cast<const char*>(nullptr), nullptr), 0.0);
  const char16_t* end = u"x";
  EXPECT_EQ(ParseNumber(static_cast<const char16_t*>(nullptr), &end), 0.0);
  EXPECT_EQ(end, nullptr);
  EXPECT_EQ(ParseNumber("12.5", nullptr), 12.5);
  EXPECT_EQ(ParseNumber(u"12.5", nullptr), 12.5);
}

}  // namespace
}  // namespace tarn
