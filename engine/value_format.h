// Value formats: the display text of a computed value by its output's format code. No heap;
// every text is bounded by its caller's capacity or writer.
#pragma once
#include <cstdint>

#include "text/buffer.h"

namespace tarn {

// Holds the text of any value in any format whole (the longest is 79 characters).
inline constexpr std::int32_t kValueTextCapacity = 128;

// Shown in place of a value that is not one: non-finite, or a date beyond any calendar.
inline constexpr char16_t kNotAValue[] = u"--";

// Display text of a value by format code ("f0" "f1" "f2" "f3" "int" "pct" "date"; anything
// else or null: "f2"). Non-finite values show "--". Always terminated within `capacity`.
void FormatValue(const char* format, double value, char16_t* out, std::int32_t capacity);

// FormatValue's text written at the writer's end, within its limit.
void WriteValue(TextWriter& out, const char* code, double value);

}  // namespace tarn
