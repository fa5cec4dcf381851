// Type-safe printf-style templates into bounded UTF-16 buffers. The template keeps the
// familiar spelling; the arguments carry their own types, so a wrong argument can never read
// garbage. Conversions:
//   %d %02d %03d %04d %lld   any integer (a double is truncated toward zero first)
//   %.0f .. %.9f %f         fixed point, exact halves to even ("C" locale, no grouping)
//   %g %.6g                 general form, printf rules
//   %ls                     UTF-16 text (null prints nothing)   %s  ASCII text
//   %c                      one character                        %%  a percent sign
// A conversion with no argument left, or an unknown conversion, prints nothing. Output is
// cut at capacity - 1 and always terminated; nothing is written at or past the capacity.
#pragma once
#include <cstdint>
#include <type_traits>

namespace tarn {

struct FormatArg {
  enum class Kind : std::uint8_t { Integer, Real, Wide, Narrow, Character };
  Kind kind;
  union {
    std::int64_t integer;
    double real;
    const char16_t* wide;
    const char* narrow;
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
  constexpr FormatArg(const char* value) : kind(Kind::Narrow), narrow(value) {}
  constexpr FormatArg(char value)
      : kind(Kind::Character), character(static_cast<char16_t>(value)) {}
  constexpr FormatArg(char16_t value) : kind(Kind::Character), character(value) {}
};

// Expands `tmpl` with `args` into the buffer (replacing its text). Returns the length written.
std::int32_t FormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                        const FormatArg* args, std::int32_t argCount);

// Expands `tmpl` and appends the result to the text already in the buffer, cut at
// capacity - 1. Returns the resulting length.
std::int32_t AppendFormatList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                              const FormatArg* args, std::int32_t argCount);

template <typename... Args>
std::int32_t Format(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                    const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  return FormatList(buffer, capacity, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

template <typename... Args>
std::int32_t AppendFormat(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                          const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  return AppendFormatList(buffer, capacity, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

}  // namespace tarn
