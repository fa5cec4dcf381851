// Locale-free number text: printf's %.Nf / %g / %0Nlld and strtod's reading rules, built on
// std::to_chars / std::from_chars so both builds give the same digits. Never calls the C
// runtime's printf or strtod family; never allocates; never writes at or past a capacity.
#include "text/number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tarn {

namespace {

// Significant decimal digits kept when reading a number. A double's exact halfway points have
// at most 767 significant digits, so any digits after 800 only matter as "something nonzero
// follows", which one trailing 1 stands for.
constexpr std::int32_t kMaxKeptDigits = 800;
// Beyond these decimal magnitudes every double reading is infinity or zero.
// Limits of the exact fast path for short decimals (see ReadDecimal).
constexpr std::int32_t kFastPathDigits = 15;
constexpr std::int64_t kFastPathScale = 22;
constexpr double kPowersOfTen[kFastPathScale + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::int64_t kDecimalOverflow = 400;
constexpr std::int64_t kDecimalUnderflow = -400;
// Written exponents are read saturating at this size: far beyond any range, yet far from
// the int64 limit even after adding one count per digit of the longest possible text.
constexpr std::int64_t kExponentCap = 1000000000000000;

std::int32_t CopyOut(const char* text, std::int32_t length, char* out, std::int32_t capacity) {
  if (out == nullptr || capacity < 1) {
    return 0;
  }
  const std::int32_t count = length < capacity - 1 ? length : capacity - 1;
  for (std::int32_t i = 0; i < count; ++i) out[i] = text[i];  // short: no call
  out[count] = 0;
  return count;
}

// glibc printf spelling of the values that have no digits.
const char* NonFiniteText(double value) {
  if (std::isnan(value)) {
    return std::signbit(value) ? "-nan" : "nan";
  }
  return value < 0 ? "-inf" : "inf";
}

template <typename Char>
bool IsDigit(Char c) {
  return c >= '0' && c <= '9';
}

template <typename Char>
std::int32_t HexValue(Char c) {
  if (c >= '0' && c <= '9') return static_cast<std::int32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::int32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::int32_t>(c - 'A' + 10);
  return -1;
}

template <typename Char>
bool IsSpace(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Char>
Char Lower(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// True when `text` starts with the lower-case ASCII `word`, in any case.
template <typename Char>
bool StartsWithWord(const Char* text, const char* word) {
  for (; *word != 0; ++text, ++word) {
    if (Lower(*text) != static_cast<Char>(*word)) {
      return false;
    }
  }
  return true;
}

// exponent = ("e" | "E" | "p" | "P") [ "+" | "-" ] digit { digit }
// Reads the digits after the marker; returns the position after them, or null when the
// exponent is incomplete (then the marker is not part of the number).
template <typename Char>
const Char* ReadExponent(const Char* cursor, std::int64_t& exponent) {
  bool negative = false;
  if (*cursor == '+' || *cursor == '-') {
    negative = *cursor == '-';
    ++cursor;
  }
  if (!IsDigit(*cursor)) {
    return nullptr;
  }
  std::int64_t value = 0;
  for (; IsDigit(*cursor); ++cursor) {
    if (value < kExponentCap) {
      value = value * 10 + (*cursor - '0');
    }
  }
  exponent = negative ? -value : value;
  return cursor;
}

// hex = "0x" ( hexdigit { hexdigit } [ "." { hexdigit } ] | "." hexdigit { hexdigit } )
//       [ binary exponent ]; `cursor` is just past the "0x".
// Rounds to nearest, ties to even, into normal or subnormal doubles; returns null when no
// hexadecimal digit follows (then only the "0" of "0x" is a number).
template <typename Char>
const Char* ReadHex(const Char* cursor, double& magnitude) {
  std::uint64_t mantissa = 0;  // the first 15-16 significant hex digits
  bool sticky = false;         // a nonzero digit was dropped after them
  std::int64_t exponent = 0;   // value = mantissa * 2^exponent (before the 'p' part)
  bool anyDigit = false;
  bool afterPoint = false;
  for (;; ++cursor) {
    if (*cursor == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    const std::int32_t digit = HexValue(*cursor);
    if (digit < 0) {
      break;
    }
    anyDigit = true;
    if (mantissa < (std::uint64_t{1} << 60)) {
      mantissa = mantissa * 16 + static_cast<std::uint64_t>(digit);
      if (afterPoint) exponent -= 4;
    } else {
      sticky = sticky || digit != 0;
      if (!afterPoint) exponent += 4;
    }
  }
  if (!anyDigit) {
    return nullptr;
  }
  if (*cursor == 'p' || *cursor == 'P') {
    std::int64_t binary = 0;
    if (const Char* after = ReadExponent(cursor + 1, binary)) {
      exponent += binary;
      cursor = after;
    }
  }
  if (mantissa == 0) {
    magnitude = 0.0;
    return cursor;
  }
  // Put the leading 1 at bit 63, then keep 53 bits (fewer for subnormals) and round.
  while ((mantissa >> 63) == 0) {
    mantissa <<= 1;
    --exponent;
  }
  const std::int64_t topExponent = exponent + 63;  // value in [2^top, 2^(top+1))
  if (topExponent > 1023) {
    magnitude = std::numeric_limits<double>::infinity();
    return cursor;
  }
  std::int64_t keep = 53;
  if (topExponent < -1022) keep -= -1022 - topExponent;
  const std::int64_t drop = 64 - keep;
  if (drop > 64) {  // below half the smallest subnormal
    magnitude = 0.0;
    return cursor;
  }
  std::uint64_t kept = 0;
  std::uint64_t rest = mantissa;
  std::uint64_t half = std::uint64_t{1} << 63;
  if (drop < 64) {
    kept = mantissa >> drop;
    rest = mantissa & ((std::uint64_t{1} << drop) - 1);
    half = std::uint64_t{1} << (drop - 1);
  }
  if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) {
    ++kept;
  }
  // kept has at most 54 bits, so the conversion and the scaling are exact (or overflow to
  // infinity exactly when rounding carried past the largest double).
  magnitude = std::ldexp(static_cast<double>(kept), static_cast<int>(exponent + drop));
  return cursor;
}

// decimal = ( digit { digit } [ "." { digit } ] | "." digit { digit } ) [ exponent ]
// The digits are gathered into a short canonical text "DDD...e-NNN" that std::from_chars
// reads with correct rounding; magnitudes far out of range are decided here, because
// from_chars leaves its result unset for them.
template <typename Char>
const Char* ReadDecimal(const Char* cursor, double& magnitude) {
  char digits[kMaxKeptDigits + 32];
  std::int32_t kept = 0;
  bool sticky = false;
  std::int64_t scale = 0;  // value = digits * 10^scale
  bool anyDigit = false;
  bool afterPoint = false;
  for (;; ++cursor) {
    if (*cursor == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    if (!IsDigit(*cursor)) {
      break;
    }
    anyDigit = true;
    const char digit = static_cast<char>(*cursor);
    if (kept == 0 && digit == '0') {
      if (afterPoint) --scale;
    } else if (kept < kMaxKeptDigits) {
      digits[kept++] = digit;
      if (afterPoint) --scale;
    } else {
      sticky = sticky || digit != '0';
      if (!afterPoint) ++scale;
    }
  }
  if (!anyDigit) {
    return nullptr;
  }
  if (*cursor == 'e' || *cursor == 'E') {
    std::int64_t exponent = 0;
    if (const Char* after = ReadExponent(cursor + 1, exponent)) {
      scale += exponent;
      cursor = after;
    }
  }
  if (kept == 0) {
    magnitude = 0.0;
    return cursor;
  }
  if (sticky) {
    digits[kept++] = '1';
    --scale;
  }
  // The common short numbers ("40", "0.5", "2.75e3"): up to 15 digits and a power of ten up
  // to 10^22 are both exact doubles, so one multiplication or division rounds correctly
  // (Clinger's fast path) and the slower exact route below is not needed.
  if (kept <= kFastPathDigits && scale >= -kFastPathScale && scale <= kFastPathScale) {
    std::int64_t whole = 0;
    for (std::int32_t i = 0; i < kept; ++i) whole = whole * 10 + (digits[i] - '0');
    const double mantissa = static_cast<double>(whole);
    magnitude = scale >= 0 ? mantissa * kPowersOfTen[scale] : mantissa / kPowersOfTen[-scale];
    return cursor;
  }
  // The value lies in [10^(kept-1+scale), 10^(kept+scale)).
  if (kept + scale > kDecimalOverflow) {
    magnitude = std::numeric_limits<double>::infinity();
    return cursor;
  }
  if (kept + scale < kDecimalUnderflow) {
    magnitude = 0.0;
    return cursor;
  }
  std::int32_t length = kept;
  digits[length++] = 'e';
  const auto written = std::to_chars(digits + length, digits + sizeof digits, scale);
  length = static_cast<std::int32_t>(written.ptr - digits);
  double value = 0.0;
  const auto result = std::from_chars(digits, digits + length, value);
  if (result.ec == std::errc::result_out_of_range) {
    value = kept + scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  magnitude = value;
  return cursor;
}

// number = { space } [ "+" | "-" ] ( hex | decimal | "inf" [ "inity" ]
//          | "nan" [ "(" { letter | digit | "_" } ")" ] )
template <typename Char>
double ParseText(const Char* text, const Char** end) {
  if (end != nullptr) *end = text;
  if (text == nullptr) {
    return 0.0;
  }
  const Char* cursor = text;
  while (IsSpace(*cursor)) ++cursor;
  bool negative = false;
  if (*cursor == '+' || *cursor == '-') {
    negative = *cursor == '-';
    ++cursor;
  }
  double magnitude = 0.0;
  const Char* after = nullptr;
  if (cursor[0] == '0' && (cursor[1] == 'x' || cursor[1] == 'X')) {
    after = ReadHex(cursor + 2, magnitude);
    if (after == nullptr) {
      after = cursor + 1;  // "0x" with no digits reads as the "0" alone
      magnitude = 0.0;
    }
  } else if (IsDigit(*cursor) || *cursor == '.') {
    after = ReadDecimal(cursor, magnitude);
  } else if (StartsWithWord(cursor, "inf")) {
    after = cursor + (StartsWithWord(cursor, "infinity") ? 8 : 3);
    magnitude = std::numeric_limits<double>::infinity();
  } else if (StartsWithWord(cursor, "nan")) {
    after = cursor + 3;
    magnitude = std::numeric_limits<double>::quiet_NaN();
    if (*after == '(') {
      const Char* close = after + 1;
      while (IsDigit(*close) || (Lower(*close) >= 'a' && Lower(*close) <= 'z') || *close == '_') {
        ++close;
      }
      if (*close == ')') after = close + 1;
    }
  }
  if (after == nullptr) {
    return 0.0;
  }
  if (end != nullptr) *end = after;
  return negative ? -magnitude : magnitude;
}

}  // namespace

std::int32_t FormatFixed(double value, std::int32_t decimals, char* out, std::int32_t capacity) {
  if (!std::isfinite(value)) {
    const char* text = NonFiniteText(value);
    return CopyOut(text, static_cast<std::int32_t>(std::strlen(text)), out, capacity);
  }
  const std::int32_t places = decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
  char text[kMaxFixedText];
  // A value whose scaled form value × 10^places is a whole number below 2^50 (most doses and
  // volumes) is written from that number directly, without the general conversion's search
  // for the rounding. The powers of ten up to 10^9 are exact, so the product is the exact
  // product correctly rounded: within 1/16 of the whole number here, which is therefore the
  // correctly rounded result too.
  constexpr double kExactScaled = 1125899906842624.0;  // 2^50
  const double scaled = std::fabs(value) * kPowersOfTen[places];
  if (scaled < kExactScaled && scaled == std::trunc(scaled)) {
    auto whole = static_cast<std::int64_t>(scaled);
    char digits[24];
    std::int32_t count = 0;
    for (; count <= places || whole != 0; whole /= 10) {
      if (count == places && places > 0) digits[count++] = '.';
      digits[count++] = static_cast<char>('0' + whole % 10);
    }
    std::int32_t length = 0;
    if (std::signbit(value)) text[length++] = '-';  // "-0" too, as printf writes it
    while (count > 0) text[length++] = digits[--count];
    return CopyOut(text, length, out, capacity);
  }
  const auto result =
      std::to_chars(text, text + kMaxFixedText, value, std::chars_format::fixed, places);
  if (result.ec != std::errc()) {
    return CopyOut("", 0, out, capacity);
  }
  return CopyOut(text, static_cast<std::int32_t>(result.ptr - text), out, capacity);
}

std::int32_t FormatFixedShortened(double value, std::int32_t decimals, std::int32_t limit,
                                  char* out) {
  constexpr std::int32_t kShortDigits = 6;
  const std::int32_t length = FormatFixed(value, decimals, out, kMaxFixedText);
  return length <= limit ? length : FormatGeneral(value, kShortDigits, out, kMaxFixedText);
}

std::int32_t FormatGeneralRoundTrip(double value, std::int32_t fewestDigits, char* out,
                                    std::int32_t capacity) {
  constexpr std::int32_t kRoundTripDigits = 17;
  std::int32_t length = FormatGeneral(value, fewestDigits, out, capacity);
  if (std::isnan(value)) return length;
  for (std::int32_t digits = fewestDigits + 1;
       digits <= kRoundTripDigits && ParseNumber(out, nullptr) != value; ++digits) {
    length = FormatGeneral(value, digits, out, capacity);
  }
  return length;
}

std::int32_t FormatGeneral(double value, std::int32_t precision, char* out, std::int32_t capacity) {
  if (!std::isfinite(value)) {
    const char* text = NonFiniteText(value);
    return CopyOut(text, static_cast<std::int32_t>(std::strlen(text)), out, capacity);
  }
  const std::int32_t digits = precision < 1 ? 1 : (precision > 17 ? 17 : precision);
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  if (result.ec != std::errc()) {
    return CopyOut("", 0, out, capacity);
  }
  return CopyOut(text, static_cast<std::int32_t>(result.ptr - text), out, capacity);
}

std::int32_t FormatInteger(std::int64_t value, std::int32_t minDigits, char* out,
                           std::int32_t capacity) {
  // Built from the end: the digits, the zero padding, the sign. The magnitude is unsigned,
  // so INT64_MIN has one too.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) magnitude = ~magnitude + 1;
  constexpr std::int32_t kMaxWidth = 64;  // the width counts the sign, as printf's does
  char text[kMaxWidth + 24];
  std::int32_t start = sizeof text;
  do {
    text[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const std::int32_t sign = value < 0 ? 1 : 0;
  const std::int32_t width = minDigits > kMaxWidth ? kMaxWidth : minDigits;
  while (static_cast<std::int32_t>(sizeof text) - start + sign < width) text[--start] = '0';
  if (sign != 0) text[--start] = '-';
  return CopyOut(text + start, static_cast<std::int32_t>(sizeof text) - start, out, capacity);
}

double ParseNumber(const char* text, const char** end) { return ParseText(text, end); }

double ParseNumber(const char16_t* text, const char16_t** end) { return ParseText(text, end); }

}  // namespace tarn
