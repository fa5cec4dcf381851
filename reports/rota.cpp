// The nurse three-shift rota and the equal-interval dosing timetable. Clock maths is defined
// for every double: times that cannot be shown exactly print as "--" instead of converting an
// out-of-range double to an integer. The header and the cells read one clock.
#include <cmath>

#include "reports/generators.h"
#include "reports/report.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// ---- ShiftRota (kind 1) ----

constexpr std::int32_t kMinNurses = 1;
constexpr std::int32_t kMaxNurses = 40;
constexpr std::int32_t kMinDays = 1;
constexpr std::int32_t kMaxDays = 31;

constexpr const char16_t* kRotaRule =
    u"排班规则：三班轮转（白班 D / 夜班 N / 休息 R），每日每班 1 人，按人员顺序滚动。";
constexpr const char16_t* kRotaSizeTemplate = u"人员：%ls 人%ls；周期：%ls 天%ls";
constexpr const char16_t* kNurseLineTemplate = u"护士%02d：";
constexpr const char16_t* kCellIndent = u"  ";
constexpr const char16_t* kDayCellTemplate = u"%d日%c ";
constexpr const char16_t* kRotaHint =
    u"提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。";
constexpr const char16_t* kRotaVerdict = u"已生成轮转排班表，可复制到排班本或表格";
constexpr const char16_t* kRotaSizeVerdict = u"人数须为 1-40、天数须为 1-31 的整数，请核对";

// Shift of (nurse + 2 × day) mod 3: each nurse runs D, R, N, and on any day three
// consecutive nurses hold one shift each.
constexpr char16_t kShiftLetters[3] = {
    u'D',  // 0  day shift 白班
    u'N',  // 1  night shift 夜班
    u'R',  // 2  rest 休息
};

// ---- DosingTimetable (kind 2) ----

constexpr double kDefaultIntervalHours = 8.0;
constexpr std::int32_t kMinDoses = 1;
constexpr std::int32_t kMaxDoses = 30;
constexpr double kHoursPerDay = 24.0;
constexpr double kMinutesPerHour = 60.0;
constexpr double kMinutesPerDay = 1440.0;
// Whole days are exact below 2^53; a later time has no day or clock reading worth showing.
constexpr double kMaxShownDays = 9007199254740992.0;

constexpr const char16_t* kDosingHeaderTemplate =
    u"首剂时间 %ls%ls，间隔 %ls 小时%ls，共 %ls 次%ls：";
// After a start or interval that the timetable does not use as typed.
constexpr const char16_t* kStartReplacedTemplate = u"（已输入 %ls，按 0:00 计）";
constexpr const char16_t* kIntervalReplacedTemplate = u"（已输入 %ls 小时，按默认 8 小时计）";
constexpr const char16_t* kFirstDoseTemplate = u"%d:%02d";  // day 1, as the header always had it
constexpr const char16_t* kDoseCellTemplate = u"第%d天 %02d:%02d";
constexpr const char16_t* kDoseCellUnknown = u"第--天 --:--";
constexpr const char16_t* kDoseSeparator = u"  |  ";
constexpr const char16_t* kDosingNote = u"说明：按等间隔给药；抗菌药物需结合半衰期与肾肝功能调整。";
constexpr const char16_t* kDosingVerdict = u"给药时间表已生成，注意首剂与夜间给药时间";
constexpr const char16_t* kDosingUnknownVerdict = u"部分给药时间无法计算，请核对首剂时间与给药间隔";
constexpr const char16_t* kDosingReplacedVerdict = u"首剂时间或给药间隔已按默认值计，请核对";
constexpr const char16_t* kDosingCountVerdict = u"给药次数须为 1-30 的整数，请核对";
constexpr std::int32_t kClockTextCapacity = 64;
constexpr std::int32_t kNumberTextCapacity = kLongNumberText + 1;

// A dose time as the timetable shows it: day D from 1, hour and minute.
struct DoseClock {
  bool known;  // false: not finite, or past the exact day range
  std::int64_t day;
  std::int32_t hour;
  std::int32_t minute;
};

// The clock `hours` after midnight of day 1, rounded to the nearest minute (8.2 h is 08:12,
// though 8.2 × 60 is 491.99999...); a time that rounds up to midnight moves to the next day.
DoseClock ClockAt(double hours) {
  double dayIndex = std::trunc(hours / kHoursPerDay);
  if (!std::isfinite(hours) || !(std::fabs(dayIndex) < kMaxShownDays - 1)) {
    return {false, 0, 0, 0};
  }
  // fmod of a finite value by 24 lies in (-24, 24) and its minutes in (-1440, 1440): both
  // convert safely; the day index stays below 2^53 and converts safely to 64 bits.
  double minutes = std::round(std::fmod(hours, kHoursPerDay) * kMinutesPerHour);
  if (minutes >= kMinutesPerDay) {
    minutes -= kMinutesPerDay;
    dayIndex += 1;
  }
  const auto minuteOfDay = static_cast<std::int32_t>(minutes);
  return {true, 1 + static_cast<std::int64_t>(dayIndex), minuteOfDay / 60, minuteOfDay % 60};
}

// A cell that shows "--" is a failed figure, and raises the verdict as one.
void WriteDoseCell(TextWriter& out, const DoseClock& clock, ReportVerdict& verdict) {
  if (clock.known) {
    WriteFormat(out, kDoseCellTemplate, clock.day, clock.hour, clock.minute);
  } else {
    out.Write(kDoseCellUnknown);
    RaiseVerdict(verdict, kFailedLevel, kDosingUnknownVerdict);
  }
}

// The header's first dose from the same clock as the first cell: "8:30" on day 1, otherwise
// exactly as the cell shows it ("第5天 04:00").
void WriteFirstDose(TextWriter& out, const DoseClock& clock, ReportVerdict& verdict) {
  if (clock.known && clock.day == 1) {
    WriteFormat(out, kFirstDoseTemplate, clock.hour, clock.minute);
  } else {
    WriteDoseCell(out, clock, verdict);
  }
}

// The note after a value the timetable replaced, naming what was typed; empty otherwise.
void WriteReplacedNote(char16_t* note, bool replaced, double typed, const char16_t* tmpl,
                       ReportVerdict& verdict) {
  note[0] = 0;
  if (!replaced) return;
  RaiseVerdict(verdict, kMarkedLevel, kDosingReplacedVerdict);
  FormatTypedNote(note, tmpl, typed);
}

}  // namespace

Level ShiftRota(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  ReportVerdict verdict = {0, kRotaVerdict};
  ListedCount nurses = {};
  ListedCount days = {};
  ReadCount(InputValue(tool, inputValues, kKeyNurses), kMinNurses, kMaxNurses, u"人",
            kRotaSizeVerdict, verdict, nurses);
  ReadCount(InputValue(tool, inputValues, kKeyDays), kMinDays, kMaxDays, u"天", kRotaSizeVerdict,
            verdict, days);

  WriteFixedLine(out, kRotaRule);
  WriteLine(out, kRotaSizeTemplate, nurses.number, nurses.note, days.number, days.note);
  WriteFixedLine(out, u"");
  // A count typed with a fraction lists nothing: neither axis of the rota is known.
  const std::int32_t rows = days.count > 0 ? nurses.count : 0;
  for (std::int32_t nurse = 0; nurse < rows; ++nurse) {
    WriteLine(out, kNurseLineTemplate, nurse + 1);
    out.Write(kCellIndent);
    for (std::int32_t day = 0; day < days.count; ++day) {
      const char16_t letter = kShiftLetters[(nurse + 2 * day) % 3];
      WriteFormat(out, kDayCellTemplate, day + 1, letter);
    }
    out.Write(u"\r\n");
  }
  if (rows > 0) WriteFixedLine(out, u"");
  WriteFixedLine(out, kRotaHint);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level DosingTimetable(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                      std::int32_t resultCapacity, char16_t* verdictText,
                      std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const double startValue = InputValue(tool, inputValues, kKeyStart);
  const double intervalValue = InputValue(tool, inputValues, kKeyInterval);
  const double timesValue = InputValue(tool, inputValues, kKeyTimes);

  // A fraction of an hour stays; a NaN start or interval is kept or replaced by these same
  // comparisons (NaN is neither below 0 nor above it).
  ReportVerdict verdict = {0, kDosingVerdict};
  const bool startReplaced = startValue < 0.0;
  const bool intervalReplaced = !(intervalValue > 0.0);
  const double start = startReplaced ? 0.0 : startValue;
  const double interval = intervalReplaced ? kDefaultIntervalHours : intervalValue;
  ListedCount doses = {};
  ReadCount(timesValue, kMinDoses, kMaxDoses, u"次", kDosingCountVerdict, verdict, doses);
  char16_t startNote[kNoteTextCapacity];
  WriteReplacedNote(startNote, startReplaced, startValue, kStartReplacedTemplate, verdict);
  char16_t intervalNote[kNoteTextCapacity];
  WriteReplacedNote(intervalNote, intervalReplaced, intervalValue, kIntervalReplacedTemplate,
                    verdict);

  // The interval with the digits it has (2.5, 8, 0.5); an infinite or NaN start or interval,
  // which only a caller of the engine itself can pass, prints as "inf" or "nan".
  char16_t firstDose[kClockTextCapacity];
  TextWriter firstDoseOut(firstDose, kClockTextCapacity);
  WriteFirstDose(firstDoseOut, ClockAt(start), verdict);
  char16_t intervalText[kNumberTextCapacity];
  TextWriter intervalOut(intervalText, kNumberTextCapacity);
  WriteExactNumber(intervalOut, interval, 0);
  WriteLine(out, kDosingHeaderTemplate, firstDose, startNote, intervalText, intervalNote,
            doses.number, doses.note);
  for (std::int32_t dose = 0; dose < doses.count; ++dose) {
    // The first dose is at the start itself, even for an infinite interval (0 × inf is NaN).
    const double offset = dose == 0 ? 0.0 : dose * interval;
    WriteDoseCell(out, ClockAt(offset + start), verdict);
    if (dose + 1 < doses.count) out.Write(kDoseSeparator);
  }
  if (doses.count > 0) out.Write(u"\r\n");
  WriteFixedLine(out, kDosingNote);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

}  // namespace tarn
