// Fuzz target: the number parser, narrow and UTF-16, against glibc's strtod in the "C"
// locale: the same value (bit for bit, any NaN for NaN) and the same consumed length
// (with one known glibc rounding fault settled by an exact reference, see Reference).
// Also checks the formatters' round trip: "%.17g" of any double reads back as itself, and that
// the input-box rule accepts nothing but a number ParseNumber reads from a short enough text.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "text/input_number.h"
#include "text/number.h"

namespace {

bool SameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  std::uint64_t aBits = 0;  // bit for bit: -0 and +0 differ
  std::uint64_t bBits = 0;
  std::memcpy(&aBits, &a, sizeof a);
  std::memcpy(&bBits, &b, sizeof b);
  return aBits == bBits;
}

// The value strtod should have given for `text`, whose number strtod read up to `end`.
// glibc 2.36 rounds some hexadecimal subnormals wrongly (0x8cccccccccccccp-1078 gives
// 0x0.8ccccccccccccp-1022 where the exact value lies 3/4 of the way to ...cdp-1022); for a
// hexadecimal text libstdc++'s own from_chars, which agrees with exact arithmetic, decides.
double Reference(const char* text, const char* end, double strtodValue) {
  const char* at = text;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  const bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  if (at[0] != '0' || (at[1] != 'x' && at[1] != 'X') || end <= at + 2) return strtodValue;
  double value = 0;
  const auto result = std::from_chars(at + 2, end, value, std::chars_format::hex);
  if (result.ec != std::errc() || result.ptr != end) return strtodValue;
  return negative ? -value : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Narrow: the bytes as one terminated text, in a block of its exact length.
  std::vector<char> narrow(data, data + size);
  narrow.push_back(0);
  const char* ourEnd = nullptr;
  const double ours = tarn::ParseNumber(narrow.data(), &ourEnd);
  char* theirEnd = nullptr;
  const double theirs = std::strtod(narrow.data(), &theirEnd);
  tarn::Check(ourEnd == theirEnd);
  tarn::Check(SameDouble(ours, Reference(narrow.data(), theirEnd, theirs)));

  // UTF-16: pairs of bytes as units. Units outside ASCII can never be part of a number, so
  // the narrow text with each of them replaced by DEL must read exactly alike.
  std::vector<char16_t> wide;
  std::vector<char> mapped;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    wide.push_back(unit);
    mapped.push_back(unit < 0x80 ? static_cast<char>(unit) : '\x7f');
  }
  wide.push_back(0);
  mapped.push_back(0);
  const char16_t* wideEnd = nullptr;
  const double wideValue = tarn::ParseNumber(wide.data(), &wideEnd);
  char* mappedEnd = nullptr;
  const double mappedValue = std::strtod(mapped.data(), &mappedEnd);
  tarn::Check(wideEnd - wide.data() == mappedEnd - mapped.data());
  tarn::Check(SameDouble(wideValue, Reference(mapped.data(), mappedEnd, mappedValue)));

  // An accepted input text is ParseNumber's value (0 for a blank one) and never too long,
  // with or without a unit after it.
  const double input = tarn::ReadInputNumber(wide.data(), u"mg/kg");
  if (std::isfinite(input)) {
    tarn::Check(wide.size() - 1 <= static_cast<std::size_t>(tarn::kMaxInputText));
    tarn::Check(SameDouble(input, wideValue) || (input == 0 && wideEnd == wide.data()));
  }

  // A null end pointer is allowed.
  tarn::Check(SameDouble(tarn::ParseNumber(narrow.data(), nullptr), ours));

  // Round trip of the value through the shortest exact general form.
  char text[64];
  tarn::FormatGeneral(ours, 17, text, sizeof text);
  const char* textEnd = nullptr;
  tarn::Check(SameDouble(tarn::ParseNumber(text, &textEnd), ours));
  tarn::Check(*textEnd == 0);
  return 0;
}
