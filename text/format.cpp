// The type-safe template expander behind Format / WriteFormat: printf spellings, arguments
// that carry their kinds, output through the bounded writer. Numbers come from text/number.h,
// never from the C runtime. No heap; nothing is written at or past the capacity.
//
// conversion = "%" [ "0" width ] [ "." precision ] { "l" } letter
//   "0" and a width pad an integer with zeros after the sign to that width; "l" and "ll" are
//   accepted and ignored: the argument knows its size. Only what the program's templates use
//   is laid out: a width without "0", or on any other letter, and a precision on d, s or c
//   are read and ignored.
//   letter: d (integer), f (fixed, precision 0..9, default 6), g (general, default 6),
//   s (UTF-16 text; "%ls" is the spelling), c (one character), % (itself).
// Decided cases: a double given to %d is truncated toward zero, and NaN, infinities and
// values outside the 64-bit range print as INT64_MIN (-9223372036854775808), like every
// other double-to-integer conversion here, which maps them to the type's minimum. An integer
// given to %f or %g prints as the double nearest to it. A conversion given an argument of the
// wrong kind (a number for %s, text for %d) prints nothing but still uses that argument. A
// conversion with no argument left prints nothing. An unknown conversion letter (printf's
// other flags and letters among them), or a template that ends inside a conversion, prints
// nothing for the characters from "%" through that letter and uses no argument.
#include "text/format.h"

#include "text/number.h"

namespace tarn {

namespace {

// Widths and precisions are read saturating here; anything wider is cut by the capacity.
constexpr std::int32_t kMaxWidth = 100000;
// Default precision of %f and %g, as in printf.
constexpr std::int32_t kDefaultPrecision = 6;

struct Directive {
  bool zero = false;  // "0"
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
  for (; *cursor == u'0'; ++cursor) directive.zero = true;
  directive.width = ReadCount(cursor);
  if (*cursor == u'.') {
    ++cursor;
    directive.precision = ReadCount(cursor);
  }
  while (*cursor == u'l') ++cursor;
  if (*cursor != 0) directive.letter = *cursor++;
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

void PutConversion(TextWriter& out, const Directive& directive, const FormatArg& arg,
                   bool shortenLongFixed) {
  using Kind = FormatArg::Kind;
  char text[kMaxFixedText];
  switch (directive.letter) {
    case u'd': {
      std::int64_t value = 0;
      if (arg.kind == Kind::Integer) value = arg.integer;
      else if (arg.kind == Kind::Real) value = TruncateToInteger(arg.real);
      else if (arg.kind == Kind::Character) value = arg.character;
      else return;
      const std::int32_t minDigits = directive.zero ? directive.width : 0;
      out.WriteAscii(text, FormatInteger(value, minDigits, text, kMaxFixedText));
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
      std::int32_t length = 0;
      if (directive.letter == u'g') {
        length = FormatGeneral(value, precision, text, kMaxFixedText);
      } else if (shortenLongFixed) {
        length = FormatFixedShortened(value, precision, kLongNumberText, text);
      } else {
        length = FormatFixed(value, precision, text, kMaxFixedText);
      }
      out.WriteAscii(text, length);
      return;
    }
    case u's':
      if (arg.kind == Kind::Wide) out.Write(arg.wide);
      return;
    case u'c': {
      char16_t unit = 0;
      if (arg.kind == Kind::Character) unit = arg.character;
      else if (arg.kind == Kind::Integer && arg.integer > 0 && arg.integer <= 0xFFFF)
        unit = static_cast<char16_t>(arg.integer);
      if (unit != 0) out.Put(unit);  // a terminator would end the text here
      return;
    }
    default: return;
  }
}

bool UsesArgument(char16_t letter) {
  return letter == u'd' || letter == u'f' || letter == u'g' || letter == u's' || letter == u'c';
}

}  // namespace

void WriteFormatList(TextWriter& out, const char16_t* tmpl, const FormatArg* args,
                     std::int32_t argCount, bool shortenLongFixed) {
  std::int32_t next = 0;
  const char16_t* cursor = tmpl;
  while (cursor != nullptr && *cursor != 0) {
    // The text up to the next conversion goes out in one piece.
    std::int32_t run = 0;
    while (cursor[run] != 0 && cursor[run] != u'%') ++run;
    if (run > 0) {
      out.Write(cursor, run);
      cursor += run;
      continue;
    }
    ++cursor;
    const Directive directive = ReadDirective(cursor);
    if (directive.letter == u'%') {
      out.Put(u'%');
    } else if (UsesArgument(directive.letter) && args != nullptr && next < argCount) {
      PutConversion(out, directive, args[next++], shortenLongFixed);
    }
  }
  out.Terminate();
}

std::int32_t FormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                        const FormatArg* args, std::int32_t argCount) {
  TextWriter out(buffer, capacity);
  WriteFormatList(out, tmpl, args, argCount);
  return out.Length();
}

}  // namespace tarn
