// Generated inputs for the number-text tests, made with integer and exact floating operations
// only, so both builds generate the very same values and texts from the same seed.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace tarn_test {

// Bit-for-bit equality: -0 and +0 differ, a NaN equals only the same NaN.
inline bool SameBits(double a, double b) {
  std::uint64_t aBits = 0;
  std::uint64_t bBits = 0;
  std::memcpy(&aBits, &a, sizeof a);
  std::memcpy(&bBits, &b, sizeof b);
  return aBits == bBits;
}

// SplitMix64: a tiny generator whose sequence is fixed by its seed.
inline std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

inline double FromBits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline constexpr int kDoubleKinds = 6;

// Seeds and counts shared by the glibc comparison (native) and the digests (both builds), so
// the values glibc vouches for are the very ones whose digests are pinned.
inline constexpr std::uint64_t kFormatSeed = 20240917;
inline constexpr int kFormatCount = 60000;
inline constexpr std::uint64_t kReadSeed = 20240918;
inline constexpr int kReadCount = 150000;

// Precision used for %g with the i-th generated value.
inline std::int32_t GeneralPrecision(std::uint64_t& state, int i) {
  return i % 3 == 0 ? 6 : static_cast<std::int32_t>(NextRandom(state) % 18);
}

// Doubles that stress rounding, by kind: any bit pattern, everyday magnitudes, n / 2^k (exact
// ties for %.0f .. %.3f), short decimals, subnormals, the largest values.
inline double GeneratedDouble(std::uint64_t& state, int kind) {
  const std::uint64_t bits = NextRandom(state);
  const std::uint64_t sign = bits & 0x8000000000000000u;
  const auto whole = static_cast<double>(static_cast<std::int64_t>(bits % 4000001) - 2000000);
  switch (kind) {
    case 0: return FromBits(bits);
    case 1: {
      const std::uint64_t exponent = 1023 - 40 + (bits >> 52) % 81;
      return FromBits(sign | (exponent << 52) | (NextRandom(state) & 0x000FFFFFFFFFFFFFu));
    }
    case 2: return std::ldexp(whole, -static_cast<int>((bits >> 40) % 11));
    case 3: {
      static constexpr double kPowers[] = {1, 10, 100, 1000, 10000};
      return whole / kPowers[(bits >> 40) % 5];  // one correctly rounded division
    }
    case 4: return FromBits(sign | (NextRandom(state) & 0x000FFFFFFFFFFFFFu));
    default:
      return FromBits(sign | 0x7FE0000000000000u | (NextRandom(state) & 0x000FFFFFFFFFFFFFu));
  }
}

// A random concatenation of pieces of number syntax, digit runs up to 400 long and exponents
// near the ends of the double range.
inline std::string GeneratedNumberText(std::uint64_t& state) {
  // Packed by hand: the formatter would give each fragment a line.
  // clang-format off
  static const char* const kFragments[] = {
      "  ", " ", "\t", "\n", "+", "-", "0x", "0X", "0", "1", "9", "5", "7", ".", ".", "e", "E",
      "e-", "e+", "p", "P", "p-", "inf", "INF", "nan", "NaN", "(", ")", "x", "ity", "in", "a",
      "f", "_", "308", "309", "-324", "-325", "323", "1074", "1075", "-1022", "-1023",
      "4940656458412465", "2470328229206232", "17976931348623157", "2250738585072011",
      "9007199254740993", "00000", "ffff", "8p"};
  // clang-format on
  constexpr std::uint64_t kFragmentCount = sizeof kFragments / sizeof kFragments[0];
  std::string text;
  const std::uint64_t pieces = 1 + NextRandom(state) % 8;
  for (std::uint64_t p = 0; p < pieces; ++p) {
    if (NextRandom(state) % 7 == 0) {
      const std::uint64_t run = NextRandom(state) % 401;
      const std::uint64_t base = NextRandom(state) % 3 == 0 ? 1 : 10;  // runs of zeros too
      for (std::uint64_t d = 0; d < run; ++d) {
        text += static_cast<char>('0' + NextRandom(state) % base);
      }
    } else {
      text += kFragments[NextRandom(state) % kFragmentCount];
    }
  }
  return text;
}

}  // namespace tarn_test
