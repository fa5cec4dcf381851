// The nurse three-shift rota and the equal-interval dosing timetable. Clock maths is defined
// for every double: times that cannot be shown exactly print as "--" instead of converting an
// out-of-range double to an integer.
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
constexpr const char16_t* kRotaSizeTemplate = u"人员：%d 人；周期：%d 天";
constexpr const char16_t* kNurseLineTemplate = u"护士%02d：";
constexpr const char16_t* kCellIndent = u"  ";
constexpr const char16_t* kDayCellTemplate = u"%d日%c ";
constexpr const char16_t* kRotaHint =
    u"提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。";
constexpr const char16_t* kRotaVerdict = u"已生成轮转排班表，可复制到排班本或表格";

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
// Whole days are exact below 2^53; a later time has no day or clock reading worth showing.
constexpr double kMaxShownDays = 9007199254740992.0;

// An infinite or NaN start or interval prints as the formatter spells it ("inf", "nan"); the
// window refuses such input, so only a caller of the engine itself can pass one.
constexpr const char16_t* kDosingHeaderTemplate = u"首剂时间 %.0f:00，间隔 %.0f 小时，共 %d 次：";
constexpr const char16_t* kDoseCellTemplate = u"第%d天 %02d:%02d";
constexpr const char16_t* kDoseCellUnknown = u"第--天 --:--";
constexpr const char16_t* kDoseSeparator = u"  |  ";
constexpr const char16_t* kDosingNote = u"说明：按等间隔给药；抗菌药物需结合半衰期与肾肝功能调整。";
constexpr const char16_t* kDosingVerdict = u"给药时间表已生成，注意首剂与夜间给药时间";

// Writes the cell of a dose `hours` after midnight of day 1: day D, hour HH, minute MM, all
// truncated. A time that is not finite or lies past the exact day range shows as unknown.
void WriteDoseCell(TextWriter& out, double hours) {
  const double dayIndex = std::trunc(hours / kHoursPerDay);
  if (!std::isfinite(hours) || !(std::fabs(dayIndex) < kMaxShownDays)) {
    out.Write(kDoseCellUnknown);
    return;
  }
  // fmod of a finite value by 24 lies in (-24, 24) and the minutes in (-60, 60): both convert
  // safely; the day index is below 2^53 and converts safely to 64 bits.
  const double clock = std::fmod(hours, kHoursPerDay);
  const double hour = std::trunc(clock);
  const double minute = std::trunc((clock - hour) * kMinutesPerHour);
  const std::int64_t day = 1 + static_cast<std::int64_t>(dayIndex);
  WriteFormat(out, kDoseCellTemplate, day, static_cast<std::int32_t>(hour),
              static_cast<std::int32_t>(minute));
}

}  // namespace

Level ShiftRota(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const std::int32_t nurses =
      ClampWhole(WholeNumber(InputValue(tool, inputValues, kKeyNurses)), kMinNurses, kMaxNurses);
  const std::int32_t days =
      ClampWhole(WholeNumber(InputValue(tool, inputValues, kKeyDays)), kMinDays, kMaxDays);

  WriteFixedLine(out, kRotaRule);
  WriteLine(out, kRotaSizeTemplate, nurses, days);
  WriteFixedLine(out, u"");
  for (std::int32_t nurse = 0; nurse < nurses; ++nurse) {
    WriteLine(out, kNurseLineTemplate, nurse + 1);
    out.Write(kCellIndent);
    for (std::int32_t day = 0; day < days; ++day) {
      const char16_t letter = kShiftLetters[(nurse + 2 * day) % 3];
      WriteFormat(out, kDayCellTemplate, day + 1, letter);
    }
    out.Write(u"\r\n");
  }
  WriteFixedLine(out, u"");
  WriteFixedLine(out, kRotaHint);
  StoreVerdict(verdictText, verdictCapacity, kRotaVerdict);
  return 0;
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
  const double start = startValue < 0.0 ? 0.0 : startValue;
  const double interval = intervalValue > 0.0 ? intervalValue : kDefaultIntervalHours;
  const std::int32_t doses = ClampWhole(WholeNumber(timesValue), kMinDoses, kMaxDoses);

  WriteLine(out, kDosingHeaderTemplate, start, interval, doses);
  for (std::int32_t dose = 0; dose < doses; ++dose) {
    // The first dose is at the start itself, even for an infinite interval (0 × inf is NaN).
    const double offset = dose == 0 ? 0.0 : dose * interval;
    WriteDoseCell(out, offset + start);
    if (dose + 1 < doses) out.Write(kDoseSeparator);
  }
  out.Write(u"\r\n");
  WriteFixedLine(out, kDosingNote);
  StoreVerdict(verdictText, verdictCapacity, kDosingVerdict);
  return 0;
}

}  // namespace tarn
