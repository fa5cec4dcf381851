// Type-safe printf-style templates into bounded UTF-16 text. The template keeps the familiar
// spelling; the arguments carry their own types, so a wrong argument can never read garbage.
// The directives the program's templates use, and the only ones laid out:
//   %d %02d %03d %04d %lld     any integer (a double is truncated toward zero first)
//   %.0f .. %.3f               fixed point, exact halves to even ("C" locale, no grouping)
//   %g %.6g                    general form, printf rules
//   %ls                        UTF-16 text (null prints nothing)
//   %c                         one character            %%  a percent sign
// A conversion with no argument left, or an unknown conversion, prints nothing. Output is
// cut at capacity - 1 and always terminated; nothing is written at or past the capacity.
#pragma once
#include <cstdint>
#include <type_traits>

#include "text/buffer.h"

namespace tarn {

struct FormatArg {
  enum class Kind : std::uint8_t { Integer, Real, Wide, Character };
  Kind kind;
  union {
    std::int64_t integer;
    double real;
    const char16_t* wide;
    char16_t character;
  };

  template <typename T, typename std::enable_if<
                            std::is_integral<T>::value && !std::is_same<T, char>::value &&
                                !std::is_same<T, char16_t>::value && !std::is_same<T, bool>::value,
                            int>::type = 0>
  constexpr FormatArg(T value) : kind(Kind::Integer), integer(static_cast<std::int64_t>(value)) {}
  constexpr FormatArg(double value) : kind(Kind::Real), real(value) {}
  constexpr FormatArg(const char16_t* value) : kind(Kind::Wide), wide(value) {}
  constexpr FormatArg(char16_t* value) : kind(Kind::Wide), wide(value) {}
  constexpr FormatArg(char value)
      : kind(Kind::Character), character(static_cast<char16_t>(value)) {}
  constexpr FormatArg(char16_t value) : kind(Kind::Character), character(value) {}
};

// Expands `tmpl` with `args` into the writer, at its length and within its limit. With
// `shortenLongFixed`, a %f number whose fixed-point text would pass kLongNumberText is
// written as "%.6g" writes it (for a line that would otherwise be cut inside its digits).
void WriteFormatList(TextWriter& out, const char16_t* tmpl, const FormatArg* args,
                     std::int32_t argCount, bool shortenLongFixed = false);

template <typename... Args>
void WriteFormat(TextWriter& out, const char16_t* tmpl, const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  WriteFormatList(out, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

// Expands `tmpl` with `args` into the buffer (replacing its text). Returns the length written.
std::int32_t FormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                        const FormatArg* args, std::int32_t argCount);

template <typename... Args>
std::int32_t Format(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                    const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  return FormatList(buffer, capacity, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

}  // namespace tarn
