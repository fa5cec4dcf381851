// Day numbers: signed 64-bit counts of days, 0 being 1970-01-01 in the proleptic Gregorian
// calendar, and their "%04lld-%02lld-%02lld" text. Used by the "date" value format and the
// follow-up plan; depends on nothing but the text buffers and number texts.
#pragma once
#include <cstdint>

namespace tarn {

// Day numbers whose date arithmetic stays inside 64 bits (with a wide margin); CivilFromDays
// writes no date outside -kMaxDayNumber .. kMaxDayNumber.
inline constexpr std::int64_t kMaxDayNumber = INT64_MAX / 4;

// Room for any date CivilFromDays writes: "-YYYY...-MM-DD" of the largest year here (about
// 6e15) with room to spare.
inline constexpr std::int32_t kDateTextCapacity = 32;

// Proleptic Gregorian date -> days since 1970-01-01 (arguments are not checked).
std::int64_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day);

// Day number -> "%04lld-%02lld-%02lld". Returns the characters written, or -1 (and an empty
// text, when capacity allows) when the date does not fit.
std::int32_t CivilFromDays(std::int64_t dayNumber, char16_t* out, std::int32_t capacity);

}  // namespace tarn
