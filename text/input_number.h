// The number typed into an input box: which texts hold one, and which are refused. Portable;
// the window reads its edits through this, so the rule is tested without a window.
#pragma once
#include <cstdint>

namespace tarn {

// The longest input text that is read (in UTF-16 units); a longer one is refused whole rather
// than read cut. A caller reading an edit needs room for one unit more to see that.
inline constexpr std::int32_t kMaxInputText = 127;

// The value of an input box's text, or NaN when the text must be refused; the result is
// finite exactly when the text is accepted. `unit` is the field's own unit (null or empty:
// the field has none).
// - null, empty or only U+0020 spaces: 0;
// - longer than kMaxInputText units: refused;
// - otherwise the longest number ParseNumber reads from the start (leading white space, sign,
//   decimal and exponent forms), refused when it reads nothing ("abc", "，5", "１２"), when
//   it is in hexadecimal form ("0x10", "0x1p3") or when the number is not finite ("inf",
//   "nan", "1e999", returned as read). After the
//   number only spaces may follow, or spaces, the field's own unit (ASCII letters in any
//   case) and spaces: "12kg", "12 KG" and " 12 " are 12 in a kg field, while "3000g",
//   "12公斤", "12,5" and "1 2" are refused there, and a field without a unit takes spaces only.
double ReadInputNumber(const char16_t* text, const char16_t* unit);

}  // namespace tarn
