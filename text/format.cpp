// The type-safe template expander behind Format / AppendFormat: printf spellings, arguments
// that carry their kinds, output cut at capacity - 1. Numbers come from text/number.h, never
// from the C runtime. No heap; nothing is written at or past the capacity.
//
// conversion = "%" { flag } [ width ] [ "." [ precision ] ] { length } letter
//   flag: "-" left-justify, "+" / " " sign of non-negative numbers, "0" zero padding;
//   length letters (h l L q j z t) are accepted and ignored: the argument knows its size.
//   letter: d i (integer), f (fixed, precision 0..9, default 6), g (general, default 6),
//   s (text of either width; "%ls" is the usual spelling), c (one character), % (itself).
// Decided cases: a double given to %d is truncated toward zero, and NaN, infinities and
// values outside the 64-bit range print as INT64_MIN (-9223372036854775808), like every
// other double-to-integer conversion here, which maps them to the type's minimum. An integer
// given to %f or %g prints as the double nearest to it. A conversion given an argument of the
// wrong kind (a number for %s, text for %d) prints nothing but still uses that argument. A
// conversion with no argument left prints nothing. An unknown conversion letter, or a template
// that ends inside a conversion, prints nothing for the characters from "%" through that
// letter and uses no argument.
#include "text/format.h"

#include <cmath>

#include "text/number.h"

namespace tarn {

namespace {

// Widths and precisions are read saturating here; anything wider is cut by the capacity.
constexpr std::int32_t kMaxWidth = 100000;
// Default precision of %f and %g, as in printf.
constexpr std::int32_t kDefaultPrecision = 6;

// The bounded destination: length grows only while a unit still fits below capacity - 1.
struct Output {
  char16_t* buffer;
  std::int32_t capacity;
  std::int32_t length;
};

bool Put(Output& out, char16_t unit) {
  if (out.length >= out.capacity - 1) {
    return false;
  }
  out.buffer[out.length++] = unit;
  return true;
}

void PutRepeated(Output& out, char16_t unit, std::int32_t count) {
  for (; count > 0; --count) {
    if (!Put(out, unit)) return;
  }
}

struct Directive {
  bool left = false;   // "-"
  bool plus = false;   // "+"
  bool space = false;  // " "
  bool zero = false;   // "0"
  std::int32_t width = 0;
  std::int32_t precision = -1;  // -1: none given
  char16_t letter = 0;          // 0: the template ended inside the conversion
};

std::int32_t ReadCount(const char16_t*& cursor) {
  std::int32_t value = 0;
  for (; *cursor >= u'0' && *cursor <= u'9'; ++cursor) {
    if (value < kMaxWidth) value = value * 10 + (*cursor - u'0');
  }
  return value;
}

// Reads the conversion after a "%"; leaves `cursor` after its letter (or at the terminator).
Directive ReadDirective(const char16_t*& cursor) {
  Directive directive;
  for (;; ++cursor) {
    if (*cursor == u'-') directive.left = true;
    else if (*cursor == u'+') directive.plus = true;
    else if (*cursor == u' ') directive.space = true;
    else if (*cursor == u'0') directive.zero = true;
    else break;
  }
  directive.width = ReadCount(cursor);
  if (*cursor == u'.') {
    ++cursor;
    directive.precision = ReadCount(cursor);
  }
  while (*cursor == u'h' || *cursor == u'l' || *cursor == u'L' || *cursor == u'q' ||
         *cursor == u'j' || *cursor == u'z' || *cursor == u't') {
    ++cursor;
  }
  if (*cursor != 0) {
    directive.letter = *cursor++;
  }
  return directive;
}

// Truncation toward zero, defined for every double (see the file comment).
std::int64_t TruncateToInteger(double value) {
  // 2^63 is exact as a double; every double below it in magnitude fits after truncation.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(value > -kLimit && value < kLimit)) {
    return INT64_MIN;
  }
  return static_cast<std::int64_t>(value);
}

// Sign, then padding, then digits, the way printf lays out a number. `text` is the ASCII
// number with its "-" if any; `zeroAllowed` is false for inf and nan.
void PutNumber(Output& out, const Directive& directive, const char* text, std::int32_t length,
               std::int32_t minDigits, bool zeroAllowed) {
  char sign = 0;
  if (length > 0 && text[0] == '-') {
    sign = '-';
    ++text;
    --length;
  } else if (directive.plus) {
    sign = '+';
  } else if (directive.space) {
    sign = ' ';
  }
  const std::int32_t digitPad = minDigits > length ? minDigits - length : 0;
  const std::int32_t body = (sign != 0 ? 1 : 0) + digitPad + length;
  const std::int32_t fill = directive.width > body ? directive.width - body : 0;
  const bool zeroFill = directive.zero && !directive.left && zeroAllowed;
  if (!directive.left && !zeroFill) PutRepeated(out, u' ', fill);
  if (sign != 0) Put(out, static_cast<char16_t>(sign));
  if (zeroFill) PutRepeated(out, u'0', fill);
  PutRepeated(out, u'0', digitPad);
  for (std::int32_t i = 0; i < length; ++i) {
    if (!Put(out, static_cast<char16_t>(text[i]))) break;
  }
  if (directive.left) PutRepeated(out, u' ', fill);
}

// %s with either kind of text; non-ASCII bytes of a narrow text show as U+FFFD.
void PutText(Output& out, const Directive& directive, const FormatArg& arg) {
  const std::int32_t limit = directive.precision >= 0 ? directive.precision : INT32_MAX;
  std::int32_t length = 0;
  if (arg.kind == FormatArg::Kind::Wide && arg.wide != nullptr) {
    while (length < limit && arg.wide[length] != 0) ++length;
  } else if (arg.kind == FormatArg::Kind::Narrow && arg.narrow != nullptr) {
    while (length < limit && arg.narrow[length] != 0) ++length;
  }
  const std::int32_t fill = directive.width > length ? directive.width - length : 0;
  if (!directive.left) PutRepeated(out, u' ', fill);
  for (std::int32_t i = 0; i < length; ++i) {
    char16_t unit = 0;
    if (arg.kind == FormatArg::Kind::Wide) {
      unit = arg.wide[i];
    } else {
      const auto byte = static_cast<unsigned char>(arg.narrow[i]);
      unit = byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD';
    }
    if (!Put(out, unit)) break;
  }
  if (directive.left) PutRepeated(out, u' ', fill);
}

void PutConversion(Output& out, const Directive& directive, const FormatArg& arg) {
  using Kind = FormatArg::Kind;
  char text[kMaxFixedText];
  switch (directive.letter) {
    case u'd':
    case u'i': {
      std::int64_t value = 0;
      if (arg.kind == Kind::Integer) value = arg.integer;
      else if (arg.kind == Kind::Real) value = TruncateToInteger(arg.real);
      else if (arg.kind == Kind::Character) value = arg.character;
      else return;
      const std::int32_t length = FormatInteger(value, 0, text, kMaxFixedText);
      // printf: with a precision, that many digits at least and no zero padding;
      // a precision of 0 prints nothing for the value 0.
      Directive layout = directive;
      std::int32_t minDigits = 0;
      if (directive.precision >= 0) {
        layout.zero = false;
        minDigits = directive.precision;
        if (directive.precision == 0 && value == 0) {
          PutNumber(out, layout, text, 0, 0, false);
          return;
        }
      }
      PutNumber(out, layout, text, length, minDigits, true);
      return;
    }
    case u'f':
    case u'g': {
      double value = 0.0;
      if (arg.kind == Kind::Real) value = arg.real;
      else if (arg.kind == Kind::Integer) value = static_cast<double>(arg.integer);
      else return;
      const std::int32_t precision =
          directive.precision >= 0 ? directive.precision : kDefaultPrecision;
      const std::int32_t length = directive.letter == u'f'
                                      ? FormatFixed(value, precision, text, kMaxFixedText)
                                      : FormatGeneral(value, precision, text, kMaxFixedText);
      PutNumber(out, directive, text, length, 0, std::isfinite(value));
      return;
    }
    case u's':
      if (arg.kind == Kind::Wide || arg.kind == Kind::Narrow) PutText(out, directive, arg);
      return;
    case u'c': {
      char16_t unit = 0;
      if (arg.kind == Kind::Character) unit = arg.character;
      else if (arg.kind == Kind::Integer && arg.integer > 0 && arg.integer <= 0xFFFF)
        unit = static_cast<char16_t>(arg.integer);
      if (unit == 0) return;  // a terminator would end the text here
      const std::int32_t fill = directive.width > 1 ? directive.width - 1 : 0;
      if (!directive.left) PutRepeated(out, u' ', fill);
      Put(out, unit);
      if (directive.left) PutRepeated(out, u' ', fill);
      return;
    }
    default: return;
  }
}

bool UsesArgument(char16_t letter) {
  return letter == u'd' || letter == u'i' || letter == u'f' || letter == u'g' || letter == u's' ||
         letter == u'c';
}

void Expand(Output& out, const char16_t* tmpl, const FormatArg* args, std::int32_t argCount) {
  std::int32_t next = 0;
  const char16_t* cursor = tmpl;
  while (cursor != nullptr && *cursor != 0) {
    if (*cursor != u'%') {
      Put(out, *cursor++);
      continue;
    }
    ++cursor;
    const Directive directive = ReadDirective(cursor);
    if (directive.letter == u'%') {
      Put(out, u'%');
    } else if (UsesArgument(directive.letter) && args != nullptr && next < argCount) {
      PutConversion(out, directive, args[next++]);
    }
  }
  out.buffer[out.length] = 0;
}

}  // namespace

std::int32_t FormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                        const FormatArg* args, std::int32_t argCount) {
  if (buffer == nullptr || capacity < 1) {
    return 0;
  }
  Output out{buffer, capacity, 0};
  Expand(out, tmpl, args, argCount);
  return out.length;
}

std::int32_t AppendFormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                              const FormatArg* args, std::int32_t argCount) {
  if (buffer == nullptr || capacity < 1) {
    return 0;
  }
  // A text with no terminator inside the capacity counts as cut at capacity - 1.
  std::int32_t length = 0;
  while (length < capacity - 1 && buffer[length] != 0) ++length;
  Output out{buffer, capacity, length};
  Expand(out, tmpl, args, argCount);
  return out.length;
}

}  // namespace tarn
