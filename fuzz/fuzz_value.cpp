// Fuzz target: FormatValue with random format codes, values and capacities, and the day
// numbers both ways. Checks bounds, the "--" of non-finite values, and that a date written
// for a day number reads back as the same day number.
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/days.h"
#include "engine/value_format.h"
#include "fuzz/fuzz_input.h"
#include "text/buffer.h"

namespace {

const char* const kCodes[] = {"f0",    "f1", "f2", "f3", "int", "pct",  "date",
                              nullptr, "",   "F1", "f5", "dat", "datex"};

// Reads the "%04lld-%02lld-%02lld" text back (years may be negative or longer than 4 digits).
bool ReadDate(const char16_t* text, std::int64_t& year, std::int64_t& month, std::int64_t& day) {
  std::int64_t parts[3] = {0, 0, 0};
  std::int32_t at = 0;
  bool negative = false;
  if (text[at] == u'-') {
    negative = true;
    ++at;
  }
  for (std::int32_t part = 0; part < 3; ++part) {
    if (part > 0 && text[at++] != u'-') return false;
    if (text[at] < u'0' || text[at] > u'9') return false;
    while (text[at] >= u'0' && text[at] <= u'9')
      parts[part] = parts[part] * 10 + (text[at++] - u'0');
  }
  year = negative ? -parts[0] : parts[0];
  month = parts[1];
  day = parts[2];
  return text[at] == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarn::FuzzReader reader{data, size};
  const auto codeChoice = reader.Take<std::uint8_t>();
  const double value = reader.TakeValue();
  const std::int32_t capacity = reader.TakeCapacity(200);
  std::vector<char> ownCode;
  const char* code = nullptr;
  if (codeChoice < 200) {
    code = kCodes[codeChoice % (sizeof kCodes / sizeof kCodes[0])];
  } else {
    while (reader.size > 8 && ownCode.size() < 8) ownCode.push_back(reader.Take<char>());
    ownCode.push_back(0);
    code = ownCode.data();
  }

  tarn::GuardedText text(capacity);
  tarn::FormatValue(code, value, text.Data(), capacity);
  tarn::Check(text.Sound());
  if (capacity >= 3 && !std::isfinite(value)) {
    tarn::Check(text.units[0] == u'-' && text.units[1] == u'-' && text.units[2] == 0);
  }

  // Day number -> date -> day number.
  const auto dayNumber = reader.Take<std::int64_t>() >> (reader.Take<std::uint8_t>() % 64);
  tarn::GuardedText date(capacity);
  const std::int32_t length = tarn::CivilFromDays(dayNumber, date.Data(), capacity);
  tarn::Check(date.Sound());
  if (length > 0) {
    tarn::Check(length == tarn::TextLength(date.Data()));
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    tarn::Check(ReadDate(date.Data(), year, month, day));
    tarn::Check(month >= 1 && month <= 12 && day >= 1 && day <= 31);
    if (year >= INT32_MIN && year <= INT32_MAX) {
      tarn::Check(tarn::DaysFromCivil(static_cast<std::int32_t>(year),
                                      static_cast<std::int32_t>(month),
                                      static_cast<std::int32_t>(day)) == dayNumber);
    }
  }
  return 0;
}
