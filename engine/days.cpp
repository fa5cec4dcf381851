// Day numbers and their dates: the 400-year Gregorian cycle (146097 days per era, 36524 per
// century, 1460 per four years; 719468 days from 0000-03-01 to 1970-01-01; 153 days in each
// five-month run of a year that starts in March). All arithmetic is 64-bit; no heap.
#include "engine/days.h"

#include "text/buffer.h"
#include "text/number.h"

namespace tarn {

std::int64_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;                               // 0..399
  const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;  // March is 0
  const std::int64_t doy = (153 * shiftedMonth + 2) / 5 + day - 1;      // 0..365
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;       // 0..146096
  return era * 146097 + doe - 719468;
}

std::int32_t CivilFromDays(std::int64_t dayNumber, char16_t* out, std::int32_t capacity) {
  TextWriter text(out, capacity);
  text.Terminate();
  if (dayNumber > kMaxDayNumber || dayNumber < -kMaxDayNumber) return -1;
  const std::int64_t z = dayNumber + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;                                       // 0..146096
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // 0..399
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // 0..365
  const std::int64_t mp = (5 * doy + 2) / 153;                                     // 0..11
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

  // Year, month and day are bounded above, so the three parts always fit the date buffer.
  char date[kDateTextCapacity];
  std::int32_t length = FormatInteger(year, 4, date, kDateTextCapacity);
  date[length++] = '-';
  length += FormatInteger(month, 2, date + length, kDateTextCapacity - length);
  date[length++] = '-';
  length += FormatInteger(day, 2, date + length, kDateTextCapacity - length);
  if (length >= capacity) return -1;  // a cut date would read as another day
  text.WriteAscii(date, length);
  return length;
}

}  // namespace tarn
