// Both builds: digests of the number texts over the generated values that the native build
// checks one by one against glibc. A pinned digest that differs in the Windows build means its
// standard library rounds or reads some value differently; the native glibc test says which.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "text/number.h"
#include "text/number_cases.h"

namespace tarn {
namespace {

using tarn_test::GeneratedDouble;
using tarn_test::GeneratedNumberText;

// FNV-1a, 64 bits.
struct Digest {
  std::uint64_t value = 0xCBF29CE484222325u;
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      value = (value ^ bytes[i]) * 0x100000001B3u;
    }
  }
  void AddNumber(double number) {
    const double canonical = std::isnan(number) ? 0.5 : number;  // NaN payloads may differ
    Add(&canonical, sizeof canonical);
  }
  void AddCount(std::int64_t count) { Add(&count, sizeof count); }
};

TEST(NumberDigest, FixedAndGeneral) {
  std::uint64_t state = tarn_test::kFormatSeed;
  Digest digest;
  char text[kMaxFixedText];
  for (int i = 0; i < tarn_test::kFormatCount; ++i) {
    const double value = GeneratedDouble(state, i % tarn_test::kDoubleKinds);
    for (std::int32_t decimals = 0; decimals <= 9; ++decimals) {
      const std::int32_t length = FormatFixed(value, decimals, text, kMaxFixedText);
      digest.Add(text, static_cast<std::size_t>(length) + 1);
    }
    const std::int32_t precision = tarn_test::GeneralPrecision(state, i);
    const std::int32_t length = FormatGeneral(value, precision, text, kMaxFixedText);
    digest.Add(text, static_cast<std::size_t>(length) + 1);
  }
  EXPECT_EQ(digest.value, 0xCFEEF36D9A62F427u);
}

TEST(NumberDigest, Read) {
  std::uint64_t state = tarn_test::kReadSeed;
  Digest digest;
  for (int i = 0; i < tarn_test::kReadCount; ++i) {
    const std::string text = GeneratedNumberText(state);
    const std::u16string wide(text.begin(), text.end());
    const char* end = nullptr;
    const char16_t* wideEnd = nullptr;
    const double value = ParseNumber(text.c_str(), &end);
    const double wideValue = ParseNumber(wide.c_str(), &wideEnd);
    digest.AddNumber(value);
    digest.AddCount(end - text.c_str());
    digest.AddNumber(wideValue);
    digest.AddCount(wideEnd - wide.c_str());
  }
  EXPECT_EQ(digest.value, 0xF3E0C2747AF075ADu);
}

// Every finite double written with 17 significant digits reads back as itself.
TEST(NumberDigest, SeventeenDigitsReadBackExactly) {
  std::uint64_t state = tarn_test::kFormatSeed + 7;
  char text[64];
  int failures = 0;
  for (int i = 0; i < tarn_test::kFormatCount && failures < 10; ++i) {
    const double value = GeneratedDouble(state, i % tarn_test::kDoubleKinds);
    if (!std::isfinite(value)) continue;
    FormatGeneral(value, 17, text, 64);
    const double back = ParseNumber(text, nullptr);
    if (!tarn_test::SameBits(back, value) && ++failures <= 10) {
      ADD_FAILURE() << text << " read back as " << back;
    }
  }
}

}  // namespace
}  // namespace tarn
