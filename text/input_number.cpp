// Input box texts to numbers. A text is read only when its number is the whole of what it
// says, give or take the field's own unit: anything else after the number ("3000g" in a kg
// box, a decimal comma, a full-width digit) means the user meant another value, and reading
// the first part would show a wrong number as valid.
#include "text/input_number.h"

#include <cmath>
#include <limits>

#include "text/number.h"

namespace tarn {
namespace {

constexpr double kRefused = std::numeric_limits<double>::quiet_NaN();

const char16_t* SkipSpaces(const char16_t* text) {
  while (*text == u' ') ++text;
  return text;
}

char16_t FoldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// After the unit at `text` (ASCII letters compared in any case), or null when `text` does
// not start with it.
const char16_t* AfterUnit(const char16_t* text, const char16_t* unit) {
  for (; *unit != 0; ++unit, ++text) {
    if (FoldAscii(*text) != FoldAscii(*unit)) return nullptr;
  }
  return text;
}

// True when the number read is in hexadecimal form: only that form holds an x ("0x10",
// "-0X1p3"); "nan(...)" may too, but is refused as not finite anyway.
bool IsHexadecimal(const char16_t* begin, const char16_t* end) {
  for (; begin != end; ++begin) {
    if (*begin == u'x' || *begin == u'X') return true;
  }
  return false;
}

}  // namespace

double ReadInputNumber(const char16_t* text, const char16_t* unit) {
  if (text == nullptr) return 0.0;
  std::int32_t length = 0;
  bool onlySpaces = true;
  for (; text[length] != 0; ++length) {
    if (length == kMaxInputText) return kRefused;
    if (text[length] != u' ') onlySpaces = false;
  }
  if (onlySpaces) return 0.0;

  const char16_t* end = text;
  const double value = ParseNumber(text, &end);
  // Nobody types a dose in hexadecimal: "0x10" read as 16 kg would be a silent wrong weight.
  if (end == text || IsHexadecimal(text, end)) return kRefused;
  const char16_t* rest = SkipSpaces(end);
  if (*rest != 0 && unit != nullptr && *unit != 0) {
    const char16_t* afterUnit = AfterUnit(rest, unit);
    if (afterUnit != nullptr) rest = SkipSpaces(afterUnit);
  }
  return *rest == 0 ? value : kRefused;
}

}  // namespace tarn
