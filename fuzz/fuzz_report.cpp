// Fuzz target: the report dispatcher with random kinds, awkward input values (NaN, infinities,
// huge) and random buffer capacities, directly and through Calculate. Checks that every text
// stays terminated inside its capacity and nothing is written past it.
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "reports/report.h"
#include "run/calculate.h"

namespace {

// Every key any report reads, so each generator sees fuzzed values.
constexpr tarn::ToolInput kInputs[] = {
    {"nurses", u"", nullptr, 0},   {"days", u"", nullptr, 0},  {"start", u"", nullptr, 0},
    {"interval", u"", nullptr, 0}, {"times", u"", nullptr, 0}, {"kind", u"", nullptr, 0},
    {"drugA", u"", nullptr, 0},    {"drugB", u"", nullptr, 0}, {"gap", u"", nullptr, 0},
    {"beds", u"", nullptr, 0},     {"bed", u"", nullptr, 0},   {"dose", u"", nullptr, 0},
    {"volume", u"", nullptr, 0},   {"gtt", u"", nullptr, 0},   {"panel", u"", nullptr, 0},
};
constexpr std::int32_t kInputCount = sizeof kInputs / sizeof kInputs[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarn::FuzzReader reader{data, size};
  const auto rawKind = reader.Take<std::int32_t>();
  // Mostly the real kinds; sometimes any 32-bit value.
  const tarn::ReportKind kind = (rawKind & 0x10000) != 0 ? rawKind : (rawKind & 0xff) % 14 - 1;
  const bool throughCalculate = (reader.Take<std::uint8_t>() & 1) != 0;
  const std::int32_t resultCapacity = reader.TakeCapacity(9000);
  const std::int32_t verdictCapacity = reader.TakeCapacity(600);
  const std::int32_t copyCapacity = reader.TakeCapacity(9000);
  double values[kInputCount];
  for (double& value : values) value = reader.TakeValue();

  tarn::GuardedText result(resultCapacity);
  tarn::GuardedText verdict(verdictCapacity);
  tarn::GuardedText copy(copyCapacity);
  if (throughCalculate) {
    const tarn::ToolDef tool = {1,       u"t", nullptr, u"c", u"r",    nullptr, kInputCount,
                                kInputs, 0,    nullptr, 0,    nullptr, kind};
    tarn::Level level = -99;
    const tarn::Level returned =
        tarn::Calculate(tool, values, result.Data(), resultCapacity, verdict.Data(),
                        verdictCapacity, level, copy.Data(), copyCapacity);
    tarn::Check(returned == level);
    tarn::Check(copy.Sound());
  } else {
    const tarn::ToolDef tool = {1,       u"t", nullptr, u"c", u"r",    nullptr, kInputCount,
                                kInputs, 0,    nullptr, 0,    nullptr, kind};
    const tarn::Level level = tarn::RunReport(kind, tool, values, result.Data(), resultCapacity,
                                              verdict.Data(), verdictCapacity);
    tarn::Check(level >= 0 && level <= 3);
  }
  tarn::Check(result.Sound());
  tarn::Check(verdict.Sound());
  return 0;
}
