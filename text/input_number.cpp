// Input box texts to numbers. A text is read only when its number is the whole of what it
// says: a digit left after the number means the user typed something else (a decimal comma,
// a full-width digit), and reading the first part would show a wrong number as valid.
#include "text/input_number.h"

#include <cmath>
#include <limits>

#include "text/number.h"

namespace tarn {
namespace {

constexpr double kRefused = std::numeric_limits<double>::quiet_NaN();

// ASCII digits and the full-width digits that Chinese input methods type.
bool IsAnyDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19');
}

}  // namespace

double ReadInputNumber(const char16_t* text) {
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
  if (end == text) return kRefused;
  for (const char16_t* rest = end; *rest != 0; ++rest) {
    if (IsAnyDigit(*rest)) return kRefused;
  }
  return value;
}

}  // namespace tarn
