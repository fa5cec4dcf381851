// The eleven report generators and the helpers they share; internal to reports/ and its tests.
// Generators only append to the emptied result buffer and store a bounded verdict; they keep
// nothing between calls and allocate nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/tool.h"
#include "reports/report.h"
#include "reports/report_keys.h"
#include "text/buffer.h"
#include "text/number.h"

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

// The dispatcher's table, by report kind: the generator and the input keys it reads (null
// past the last), so the tool records can be checked against what each report reads. Row 0
// (the ordinary calculation: outputs and rules) has no generator and is never dispatched.
struct ReportEntry {
  ReportGenerator generate;
  const char* keys[4];
};
inline constexpr ReportEntry kReports[] = {
    {nullptr, {}},                                             //  0  outputs and rules
    {ShiftRota, {kKeyNurses, kKeyDays}},                       //  1  nurse three-shift rota
    {DosingTimetable, {kKeyStart, kKeyInterval, kKeyTimes}},   //  2  equal-interval doses
    {BloodDrawOrder, {kKeyKind}},                              //  3  blood-collection tubes
    {CriticalValues, {kKeyKind}},                              //  4  laboratory critical values
    {HighAlertDrugs, {kKeyKind}},                              //  5  high-alert medicines
    {DrugCompatibility, {kKeyDrugA, kKeyDrugB}},               //  6  two drugs, one infusion
    {FollowUpPlan, {kKeyStart, kKeyGap, kKeyTimes}},           //  7  follow-up dates
    {SurgicalChecklist, {}},                                   //  8  surgical safety check
    {HandoverTemplate, {kKeyBeds}},                            //  9  handover form per bed
    {InfusionCard, {kKeyBed, kKeyDose, kKeyVolume, kKeyGtt}},  // 10  infusion card
    {LabPanels, {kKeyPanel}},                                  // 11  laboratory panel
};
inline constexpr std::int32_t kReportKindCount =
    static_cast<std::int32_t>(sizeof(kReports) / sizeof(kReports[0]));

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

// Stores a verdict, cut at capacity - 1 (nothing at all for a capacity below 1).
void StoreVerdict(char16_t* verdictText, std::int32_t verdictCapacity, const char16_t* text);

// One row of a selection table: the lines shown for one whole-number key. Unused lines are
// null.
struct LineChoice {
  std::int32_t key;
  const char16_t* lines[3];
};

// Writes the row's lines in order, each through WriteFixedLine.
void WriteChosenLines(TextWriter& out, const LineChoice& row);

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

// True for a value that WholeNumber keeps unchanged: no fraction, NaN or infinity, and inside
// the range that IsOutOfRange accepts.
bool IsWholeNumber(double value);

// Levels a report raises its verdict to when it marks what it shows.
inline constexpr Level kNotListedLevel = 1;  // a number outside a report's list
inline constexpr Level kMarkedLevel = 2;     // a marked, replaced, clamped or unusable value
inline constexpr Level kFailedLevel = 3;     // a figure shown as "--"

// A report's verdict while its lines are written: the plain text at level 0, raised by every
// mark a line carries, so the verdict can never read greener than the text above it.
struct ReportVerdict {
  Level level;
  const char16_t* text;
};

// Raises the verdict to `level` with `text` when that is above the level it holds; the first
// text given at the highest level stays.
void RaiseVerdict(ReportVerdict& verdict, Level level, const char16_t* text);

// `mark` after raising the verdict when `marked`, otherwise the empty text: the argument a
// line shows in the place of its mark.
const char16_t* MarkIf(bool marked, const char16_t* mark, ReportVerdict& verdict, Level level,
                       const char16_t* text);

// Stores the verdict's text (bounded) and returns its level.
Level FinishVerdict(const ReportVerdict& verdict, char16_t* verdictText,
                    std::int32_t verdictCapacity);

// After a whole-number input typed with a fraction, which is never cut to another number.
inline constexpr const char16_t* kNotWhole = u"（须为整数）";

// Room for a typed number as shown ("2.9999999999999996", "1e+300", "（超出范围）"), and for a
// note that names one ("（最多列出 30 次，已输入 42 次）").
inline constexpr std::int32_t kFieldTextCapacity = kLongNumberText + 1;
inline constexpr std::int32_t kNoteTextCapacity = 2 * kFieldTextCapacity;

// Formats `tmpl`, whose one %ls is the typed value with the digits it has ("0.5", "1e+300"):
// the note after a value that the report replaced by another.
void FormatTypedNote(char16_t* note, const char16_t* tmpl, double typed);

// A whole-number input as a report shows it: `number` is "%d", the typed digits of a fraction
// or kOutOfRange, and `mark` is kNotWhole after a fraction, otherwise empty; `whole` is the
// number, or INT32_MIN when there is none. A fraction or an out-of-range value raises the
// verdict to kMarkedLevel with `verdictText`.
struct WholeField {
  std::int32_t whole;
  char16_t number[kFieldTextCapacity];
  const char16_t* mark;
};
void ReadWholeField(double value, const char16_t* verdictText, ReportVerdict& verdict,
                    WholeField& field);

// A count that a report lists within low..high. A whole number outside the bounds lists the
// nearest bound, with a note for the same line ("（最多列出 30 次，已输入 42 次）"); a count
// typed with a fraction lists nothing and has kNotWhole as its note, NaN lists nothing and
// shows kOutOfRange. Each raises the verdict to kMarkedLevel with `verdictText`.
struct ListedCount {
  std::int32_t count;                   // items to list
  char16_t number[kFieldTextCapacity];  // shown where the count stands
  char16_t note[kNoteTextCapacity];     // shown after its unit; empty when nothing changed
};
void ReadCount(double value, std::int32_t low, std::int32_t high, const char16_t* unit,
               const char16_t* verdictText, ReportVerdict& verdict, ListedCount& count);

// The row of `rows` whose key is the typed value, or null for a value that is no whole number
// of the table: an unknown number is never shown as one of the table's choices.
template <std::size_t N>
const LineChoice* FindChoice(const LineChoice (&rows)[N], double value) {
  if (!IsWholeNumber(value)) return nullptr;
  const std::int32_t key = WholeNumber(value);
  for (const LineChoice& row : rows) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

// Writes the chosen row's lines, or for no choice the template line with the number as typed
// (ReadWholeField's number and mark, two %ls) and raises the verdict to kNotListedLevel with
// `verdictText`.
void WriteChoiceOrAsk(TextWriter& out, const LineChoice* row, double value,
                      const char16_t* notListedTemplate, const char16_t* verdictText,
                      ReportVerdict& verdict);

}  // namespace tarn
