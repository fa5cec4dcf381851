// Locale-free number text: the exact results of printf's %.Nf / %g and of strtod in the
// "C" locale, built on std::to_chars / std::from_chars so every platform gives the same
// digits (fixed-point exact halves go to the even neighbour, as glibc does).
// ASCII output; `capacity` counts bytes including the terminator; cut at capacity - 1.
#pragma once
#include <cstdint>

namespace tarn {

// Longest fixed-point text of a double: 309 integer digits, sign, point, 9 decimals.
inline constexpr std::int32_t kMaxFixedText = 330;

// printf("%.*f", decimals, value) with decimals clamped to 0..9; "inf", "-inf", "nan" for
// non-finite values. Returns the number of characters written (after cutting).
std::int32_t FormatFixed(double value, std::int32_t decimals, char* out, std::int32_t capacity);

// The longest fixed-point text a shown number keeps: the classic 80-byte buffer less its
// terminator. A longer one is written in "%.6g" form rather than cut inside its digits.
inline constexpr std::int32_t kLongNumberText = 79;

// FormatFixed, but a text longer than `limit` (at most kLongNumberText) is written as
// "%.6g" writes it: a number cut inside its digits would read as another. `out` holds
// kMaxFixedText bytes, so the fixed text is measured whole.
std::int32_t FormatFixedShortened(double value, std::int32_t decimals, std::int32_t limit,
                                  char* out);

// printf("%.*g", precision, value) (precision 0 counts as 1, clamped to 1..17).
std::int32_t FormatGeneral(double value, std::int32_t precision, char* out, std::int32_t capacity);

// FormatGeneral with the fewest significant digits, from `fewestDigits` up to 17, whose text
// reads back as the same double (17 always do); a value that never reads back the same (NaN)
// keeps `fewestDigits`. Shown and recorded figures use it so that no digit of a typed value
// is lost and none is added.
std::int32_t FormatGeneralRoundTrip(double value, std::int32_t fewestDigits, char* out,
                                    std::int32_t capacity);

// printf("%0*lld", minDigits, value): zero padded after the sign to at least minDigits
// characters, the sign counting as one of them as in printf ("-05" for -5 and 3).
std::int32_t FormatInteger(std::int64_t value, std::int32_t minDigits, char* out,
                           std::int32_t capacity);

// strtod in the "C" locale: skips leading white space (space, \t \n \v \f \r), optional sign,
// decimal or "0x" hexadecimal form, "inf", "infinity", "nan", "nan(...)" in any case; takes
// the longest valid prefix; overflow gives +-infinity, underflow the correctly rounded tiny
// value or zero. When nothing can be read the result is 0 and *end is `text`.
// `end` may be null.
double ParseNumber(const char* text, const char** end);

// wcstod in the "C" locale: the same rules on UTF-16 text (only ASCII characters can be part
// of a number).
double ParseNumber(const char16_t* text, const char16_t** end);

}  // namespace tarn
