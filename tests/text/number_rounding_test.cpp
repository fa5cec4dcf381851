// Reading numbers at the edges of exact rounding: hexadecimal subnormals (where glibc 2.36's
// strtod itself is wrong, found by fuzzing against it) and the limits of the short-decimal
// fast path. The expected values are C++ literals, which the compiler rounds exactly.
#include <gtest/gtest.h>

#include <cstring>

#include "text/number.h"

namespace tarn {
namespace {

struct ReadCase {
  const char* text;
  double value;
};

void ExpectReads(const ReadCase* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const char* end = nullptr;
    const double value = ParseNumber(cases[i].text, &end);
    EXPECT_EQ(value, cases[i].value) << cases[i].text;
    EXPECT_EQ(end, cases[i].text + std::strlen(cases[i].text)) << cases[i].text;
  }
}

TEST(ParseNumber, HexSubnormalsRoundToNearestEven) {
  const ReadCase cases[] = {
      // 3/4 of the way between two subnormals: up (glibc 2.36 rounds this one down).
      {"0x8cccccccccccccp-1078", 0x0.8cccccccccccdp-1022},
      {"0x1.8p-1074", 0x0.0000000000002p-1022},  // a tie goes to the even neighbour
      {"0x1p-1075", 0.0},                        // half the smallest subnormal: to even zero
      {"0x1.0000000000001p-1075", 0x0.0000000000001p-1022},  // just above half
      {"0x3p-1076", 0x0.0000000000001p-1022},
      {"0x1.fffffffffffff8p-1023", 0x1p-1022},  // rounds up into the normal range
  };
  ExpectReads(cases, sizeof cases / sizeof cases[0]);
}

TEST(ParseNumber, ShortDecimalsAroundTheFastPath) {
  const ReadCase cases[] = {
      {"40", 40.0},
      {"0.1", 0.1},
      {"2.675", 2.675},
      {"123456789012345", 123456789012345.0},    // 15 digits: the fast path
      {"1234567890123456", 1234567890123456.0},  // 16 digits: the exact route
      {"9007199254740993", 9007199254740993.0},  // 2^53 + 1 rounds to even
      {"1e22", 1e22},                            // the largest exact power of ten
      {"1e23", 1e23},                            // not exact: the exact route
      {"4.35e-22", 4.35e-22},
      {"1e-23", 1e-23},
      {"0.000000000000000000001", 1e-21},
      {"12345678901234.5e-3", 12345678901.2345},
  };
  ExpectReads(cases, sizeof cases / sizeof cases[0]);
}

}  // namespace
}  // namespace tarn
