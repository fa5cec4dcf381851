// Value formats: a format code resolved to what it writes, and the value's text through the
// bounded writer. No heap; a cut never leaves a digit string or a date that reads as another.
#include "engine/value_format.h"

#include <cmath>

#include "engine/days.h"
#include "text/number.h"

namespace tarn {
namespace {

// A format code resolved to what it writes: a date, or fixed point with a suffix.
struct ValueFormat {
  bool date;
  std::int32_t decimals;
  char suffix;  // 0: none
};

// Exact, case-sensitive codes; any other code, or none, is "f2". Compared inline: a code is
// resolved for every value shown.
ValueFormat ResolveFormat(const char* code) {
  if (code == nullptr) return {false, 2, 0};
  const auto is = [code](const char* name) {
    std::int32_t i = 0;
    while (code[i] != 0 && code[i] == name[i]) ++i;
    return code[i] == name[i];
  };
  switch (code[0]) {
    case 'f':
      if (is("f0")) return {false, 0, 0};
      if (is("f1")) return {false, 1, 0};
      if (is("f2")) return {false, 2, 0};
      if (is("f3")) return {false, 3, 0};
      break;
    case 'i':
      if (is("int")) return {false, 0, 0};
      break;
    case 'p':
      if (is("pct")) return {false, 1, '%'};
      break;
    case 'd':
      if (is("date")) return {true, 0, 0};
      break;
    default: break;
  }
  return {false, 2, 0};
}

}  // namespace

// A fixed-point text too long for its room (from about 1e75 up) is written in exponent form
// rather than cut: a cut digit string would read as a different, wrong number. A day number
// beyond any calendar we can write, or a date with no room for all of it, shows "--": a cut
// date ("2024-01-1") reads as another day.

void WriteValue(TextWriter& out, const char* code, double value) {
  if (!std::isfinite(value)) {
    out.Write(kNotAValue);
    return;
  }
  const ValueFormat format = ResolveFormat(code);
  if (format.date) {
    const double days = std::trunc(value);  // truncated toward zero
    char16_t date[kValueTextCapacity];
    const std::int32_t room = out.Room() < kValueTextCapacity ? out.Room() + 1 : kValueTextCapacity;
    if (std::fabs(days) > static_cast<double>(kMaxDayNumber) ||
        CivilFromDays(static_cast<std::int64_t>(days), date, room) < 0) {
      out.Write(kNotAValue);
    } else {
      out.Write(date);
    }
    return;
  }
  // The suffix counts within the longest text a value keeps.
  const std::int32_t room = kLongNumberText - (format.suffix != 0 ? 1 : 0);
  char text[kMaxFixedText];
  std::int32_t length = FormatFixedShortened(value, format.decimals, room, text);
  if (format.suffix != 0) text[length++] = format.suffix;
  out.WriteAscii(text, length);
}

void FormatValue(const char* format, double value, char16_t* out, std::int32_t capacity) {
  TextWriter text(out, capacity);
  text.Terminate();
  WriteValue(text, format, value);
}

}  // namespace tarn
