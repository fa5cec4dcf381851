// The eleven report generators and the helpers they share; internal to reports/ and its tests.
// Generators only append to the emptied result buffer and store a bounded verdict; they keep
// nothing between calls and allocate nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/tool.h"
#include "text/buffer.h"

namespace tarn {

// Every generator takes the buffers as RunReport passes them and returns the report's level.
using ReportGenerator = Level (*)(const ToolDef& tool, const double* inputValues,
                                  char16_t* resultText, std::int32_t resultCapacity,
                                  char16_t* verdictText, std::int32_t verdictCapacity);

Level ShiftRota(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity);
Level DosingTimetable(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                      std::int32_t resultCapacity, char16_t* verdictText,
                      std::int32_t verdictCapacity);
Level BloodDrawOrder(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity);
Level CriticalValues(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity);
Level HighAlertDrugs(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity);
Level DrugCompatibility(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                        std::int32_t resultCapacity, char16_t* verdictText,
                        std::int32_t verdictCapacity);
Level FollowUpPlan(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                   std::int32_t resultCapacity, char16_t* verdictText,
                   std::int32_t verdictCapacity);
Level SurgicalChecklist(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                        std::int32_t resultCapacity, char16_t* verdictText,
                        std::int32_t verdictCapacity);
Level HandoverTemplate(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                       std::int32_t resultCapacity, char16_t* verdictText,
                       std::int32_t verdictCapacity);
Level InfusionCard(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                   std::int32_t resultCapacity, char16_t* verdictText,
                   std::int32_t verdictCapacity);
Level LabPanels(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity);

// FollowUpPlan with today's day number given instead of read from the clock, so the calendar
// can be checked on any date. FollowUpPlan reads the local date once and calls this.
Level FollowUpPlanOn(std::int64_t today, const ToolDef& tool, const double* inputValues,
                     char16_t* resultText, std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity);

// The drugs that DrugCompatibility knows are numbered 1 to 10.
inline constexpr std::int32_t kCompatDrugCount = 10;

// Shown in place of a name for a number outside 1..10, so an unknown number never reads as a
// drug of the table.
inline constexpr const char16_t* kUnknownCompatDrug = u"（无此编号）";

// Name of drug `number`; a number outside 1..10 gives kUnknownCompatDrug.
const char16_t* CompatDrugName(std::int32_t number);

// Appends a fixed line and CR LF exactly as AppendLine does, but never expands placeholders:
// fixed texts may hold percent signs. (WriteFixedLine in report.h is its writer form.)
void AppendFixedLine(char16_t* buffer, std::int32_t capacity, const char16_t* text);

// Stores a verdict, cut at capacity - 1 (nothing at all for a capacity below 1).
void StoreVerdict(char16_t* verdictText, std::int32_t verdictCapacity, const char16_t* text);

// One row of a selection table: the lines shown for one whole-number key. Unused lines are
// null. The last row of every table is the "any other value" row.
struct LineChoice {
  std::int32_t key;
  const char16_t* lines[3];
};

// Marks the last row of a selection table; its key is never compared.
inline constexpr std::int32_t kAnyOther = 0;

// The row whose key matches, or the table's last row.
template <std::size_t N>
const LineChoice& ChooseLines(const LineChoice (&rows)[N], std::int32_t key) {
  static_assert(N >= 1, "a selection table needs its any-other row");
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (rows[i].key == key) return rows[i];
  }
  return rows[N - 1];
}

// Writes the row's lines in order, each through WriteFixedLine.
void WriteChosenLines(TextWriter& out, const LineChoice& row);

// The longest number text a report writes as it is (the 80-byte classic buffer less its
// terminator); a longer one turns to exponent form rather than being cut inside its digits.
inline constexpr std::int32_t kLongNumberText = 79;

// Writes `value` with at least `minDecimals` decimals (0..9) and as many more as it takes to
// read back as the same double (0.125, 2.5, 0.50 for two); a value needing more than 9
// decimals, or whose fixed text would pass kLongNumberText, in the shortest "%g" form that
// reads back ("1e-10", "1e+300"). Infinities and NaN as the formatter spells them.
void WriteExactNumber(TextWriter& out, double value, std::int32_t minDecimals);

// Shown in place of a whole number whose input converts to WholeNumber's out-of-range value,
// which is never shown as data.
inline constexpr const char16_t* kOutOfRange = u"（超出范围）";

// True for WholeNumber's out-of-range value (NaN, or outside the 32-bit range; the bottom
// value itself is taken as out of range too, as no report's number can be that low).
inline bool IsOutOfRange(std::int32_t whole) { return whole == INT32_MIN; }

// A whole number as "%d" writes it, or kOutOfRange in its place.
void WriteWholeNumber(char16_t* text, std::int32_t capacity, std::int32_t whole);

// Clamps a whole number into low..high.
inline std::int32_t ClampWhole(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

}  // namespace tarn
