// The number typed into an input box: which texts hold one, and which are refused. Portable;
// the window reads its edits through this, so the rule is tested without a window.
#pragma once
#include <cstdint>

namespace tarn {

// The longest input text that is read (in UTF-16 units); a longer one is refused whole rather
// than read cut. A caller reading an edit needs room for one unit more to see that.
inline constexpr std::int32_t kMaxInputText = 127;

// The value of an input box's text, or NaN when the text must be refused; the result is
// finite exactly when the text is accepted.
// - null, empty or only U+0020 spaces: 0;
// - longer than kMaxInputText units: refused;
// - otherwise the longest number ParseNumber reads from the start (leading white space, sign,
//   decimal, exponent and "0x" forms; "12kg" is 12), refused when it reads nothing ("abc",
//   "，5", "１２"), when an ASCII or full-width digit appears anywhere after the number read
//   ("12,5", "1 2", "12.5.1", "1２"), or when the number is not finite ("inf", "nan", "1e999",
//   returned as read).
double ReadInputNumber(const char16_t* text);

}  // namespace tarn
