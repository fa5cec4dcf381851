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

// Clamps a whole number into low..high.
inline std::int32_t ClampWhole(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value < low ? low : (value > high ? high : value);
}

}  // namespace tarn
