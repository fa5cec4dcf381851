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
#include <string>

#include "text/number.h"
#include "text/number_cases.h"

namespace tarn {
namespace {

constexpr int kMaxReported = 10;

using tarn_test::GeneratedDouble;
using tarn_test::GeneratedNumberText;

TEST(NumberAgainstGlibc, FixedAndGeneral) {
  std::uint64_t state = tarn_test::kFormatSeed;
  int failures = 0;
  char ours[kMaxFixedText];
  char theirs[kMaxFixedText + 16];
  for (int i = 0; i < tarn_test::kFormatCount && failures < kMaxReported; ++i) {
    const double value = GeneratedDouble(state, i % tarn_test::kDoubleKinds);
    for (std::int32_t decimals = 0; decimals <= 9; ++decimals) {
      FormatFixed(value, decimals, ours, kMaxFixedText);
      std::snprintf(theirs, sizeof theirs, "%.*f", static_cast<int>(decimals), value);
      if (std::strcmp(ours, theirs) != 0 && ++failures <= kMaxReported) {
        ADD_FAILURE() << "%." << decimals << "f of " << theirs << ": got " << ours;
      }
    }
    const std::int32_t precision = tarn_test::GeneralPrecision(state, i);
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
    return std::isnan(a) ? std::isnan(b) : tarn_test::SameBits(a, b);
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
  std::uint64_t state = tarn_test::kReadSeed;
  int failures = 0;
  for (int i = 0; i < tarn_test::kReadCount && failures < kMaxReported; ++i) {
    ReadsLikeGlibc(GeneratedNumberText(state), failures);
  }
}

// Texts on the rounding edges: exact halfway points between neighbouring doubles written out
// in full (long double holds them exactly), the same a hair above and cut short below, and
// random doubles in their shortest-ish decimal and hexadecimal spellings.
TEST(NumberAgainstGlibc, ReadRoundingEdges) {
  std::uint64_t state = tarn_test::kReadSeed + 1;
  int failures = 0;
  char text[1200];
  for (int i = 0; i < 20000 && failures < kMaxReported; ++i) {
    double value = GeneratedDouble(state, i % tarn_test::kDoubleKinds);
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
    ReadsLikeGlibc(digits + std::string(900, '0') + "1" + exponent, failures);
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
