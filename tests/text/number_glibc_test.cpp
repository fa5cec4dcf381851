// Native builds only: the number texts against glibc's printf and strtod/wcstod over many
// generated values, so a rounding or reading rule that the tables miss is still caught. The
// Windows build runs the expected-string tables instead; its C runtime is no reference.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>

#include "text/number.h"

namespace tarn {
namespace {

constexpr std::uint64_t kSeed = 20240917;
constexpr int kMaxReported = 10;

double FromBits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Doubles that stress rounding: any bit pattern, everyday magnitudes, exact binary halves at
// few decimals, short decimals, subnormals and the largest values.
double GeneratedDouble(std::mt19937_64& random, int kind) {
  std::uniform_int_distribution<std::int64_t> whole(-2000000, 2000000);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  switch (kind) {
    case 0:
      return FromBits(random());
    case 1:
      return std::ldexp(unit(random) * 2 - 1, static_cast<int>(random() % 80) - 40);
    case 2:  // n / 2^k: exact ties for %.0f .. %.3f
      return std::ldexp(static_cast<double>(whole(random)), -static_cast<int>(random() % 11));
    case 3:
      return static_cast<double>(whole(random)) / std::pow(10.0, static_cast<double>(random() % 5));
    case 4:
      return FromBits(random() % 0x0010000000000000u) * (random() % 2 ? -1 : 1);
    default:
      return FromBits(0x7FE0000000000000u + random() % 0x0010000000000000u);
  }
}

TEST(NumberAgainstGlibc, FixedAndGeneral) {
  std::mt19937_64 random(kSeed);
  int failures = 0;
  char ours[kMaxFixedText];
  char theirs[kMaxFixedText + 16];
  for (int i = 0; i < 60000 && failures < kMaxReported; ++i) {
    const double value = GeneratedDouble(random, i % 6);
    for (std::int32_t decimals = 0; decimals <= 9; ++decimals) {
      FormatFixed(value, decimals, ours, kMaxFixedText);
      std::snprintf(theirs, sizeof theirs, "%.*f", static_cast<int>(decimals), value);
      if (std::strcmp(ours, theirs) != 0 && ++failures <= kMaxReported) {
        ADD_FAILURE() << "%." << decimals << "f of " << theirs << ": got " << ours;
      }
    }
    const std::int32_t precision = (i % 3 == 0) ? 6 : static_cast<std::int32_t>(random() % 18);
    FormatGeneral(value, precision, ours, kMaxFixedText);
    std::snprintf(theirs, sizeof theirs, "%.*g", static_cast<int>(precision), value);
    if (std::strcmp(ours, theirs) != 0 && ++failures <= kMaxReported) {
      ADD_FAILURE() << "%." << precision << "g: expected " << theirs << ", got " << ours;
    }
  }
}

// Compares both forms of ParseNumber with strtod / wcstod on one text: the same bits (any
// NaN matching any NaN) and the same number of characters read.
bool ReadsLikeGlibc(const std::string& text, int& failures) {
  char* theirEnd = nullptr;
  const double theirs = std::strtod(text.c_str(), &theirEnd);
  const std::wstring wide(text.begin(), text.end());
  wchar_t* theirWideEnd = nullptr;
  const double theirsWide = std::wcstod(wide.c_str(), &theirWideEnd);
  const std::u16string ours16(text.begin(), text.end());

  const char* end = nullptr;
  const double ours = ParseNumber(text.c_str(), &end);
  const char16_t* end16 = nullptr;
  const double oursWide = ParseNumber(ours16.c_str(), &end16);

  auto same = [](double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::memcmp(&a, &b, sizeof a) == 0;
  };
  const bool ok = same(ours, theirs) && end - text.c_str() == theirEnd - text.c_str() &&
                  same(oursWide, theirsWide) && same(theirs, theirsWide) &&
                  end16 - ours16.c_str() == theirWideEnd - wide.c_str();
  if (!ok && ++failures <= kMaxReported) {
    ADD_FAILURE() << "\"" << text << "\": strtod " << theirs << " (" << theirEnd - text.c_str()
                  << " read), ours " << ours << " (" << end - text.c_str() << "), wide " << oursWide
                  << " (" << end16 - ours16.c_str() << ")";
  }
  return ok;
}

TEST(NumberAgainstGlibc, ReadFragments) {
  static const char* const kFragments[] = {
      "  ", " ", "\t", "\n", "+", "-", "0x", "0X", "0", "1", "9", "5", "7", ".", ".", "e", "E",
      "e-", "e+", "p", "P", "p-", "inf", "INF", "nan", "NaN", "(", ")", "x", "ity", "in", "a",
      "f", "_", "308", "309", "-324", "-325", "323", "1074", "1075", "-1022", "-1023",
      "4940656458412465", "2470328229206232", "17976931348623157", "2250738585072011",
      "9007199254740993", "00000", "ffff", "8p"};
  constexpr std::size_t kFragmentCount = sizeof kFragments / sizeof kFragments[0];
  std::mt19937_64 random(kSeed + 1);
  int failures = 0;
  std::string text;
  for (int i = 0; i < 150000 && failures < kMaxReported; ++i) {
    text.clear();
    const int pieces = 1 + static_cast<int>(random() % 8);
    for (int p = 0; p < pieces; ++p) {
      if (random() % 7 == 0) {
        const std::size_t run = static_cast<std::size_t>(random() % 401);
        for (std::size_t d = 0; d < run; ++d) {
          text += static_cast<char>('0' + random() % (random() % 3 == 0 ? 1 : 10));
        }
      } else {
        text += kFragments[random() % kFragmentCount];
      }
    }
    ReadsLikeGlibc(text, failures);
  }
}

// Texts on the rounding edges: exact halfway points between neighbouring doubles written out
// in full (long double holds them exactly), the same a hair above and cut short below, and
// random doubles in their shortest-ish decimal and hexadecimal spellings.
TEST(NumberAgainstGlibc, ReadRoundingEdges) {
  std::mt19937_64 random(kSeed + 2);
  int failures = 0;
  char text[1200];
  for (int i = 0; i < 20000 && failures < kMaxReported; ++i) {
    double value = GeneratedDouble(random, i % 6);
    if (!std::isfinite(value)) continue;
    value = std::fabs(value);
    const double next = std::nextafter(value, INFINITY);
    const long double half = (static_cast<long double>(value) + next) / 2;
    std::snprintf(text, sizeof text, "%.800Le", half);
    std::string exact = text;
    ReadsLikeGlibc(exact, failures);
    const std::size_t mark = exact.find('e');
    std::string digits = exact.substr(0, mark);
    while (digits.size() > 2 && digits.back() == '0') digits.pop_back();
    const std::string exponent = exact.substr(mark);
    ReadsLikeGlibc(digits + "000000001" + exponent, failures);
    ReadsLikeGlibc(digits.substr(0, digits.size() - 1) + exponent, failures);
    std::snprintf(text, sizeof text, "%La", half);
    ReadsLikeGlibc(text, failures);
    for (int digitsWanted : {15, 16, 17}) {
      std::snprintf(text, sizeof text, "%.*g", digitsWanted, value);
      ReadsLikeGlibc(text, failures);
    }
    std::snprintf(text, sizeof text, "%a", value);
    ReadsLikeGlibc(text, failures);
  }
}

}  // namespace
}  // namespace tarn
#endif
