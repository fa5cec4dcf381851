// The follow-up plan (dates counted from today) and the intravenous infusion card. The plan
// reads the local date once per run through the platform layer; its day arithmetic is 64-bit
// and cannot overflow, since every offset is a 32-bit whole number. Neither shows the
// out-of-range sentinel, a date past year 9999 or a rounded order as data.
#include <cmath>

#include "engine/days.h"
#include "platform/platform.h"
#include "reports/generators.h"
#include "reports/report.h"
#include "reports/report_keys.h"
#include "text/number.h"

namespace tarn {
namespace {

// ---- FollowUpPlan (kind 7) ----

constexpr std::int32_t kDefaultGapDays = 7;
constexpr std::int32_t kMinVisits = 1;
constexpr std::int32_t kMaxVisits = 20;

constexpr const char16_t* kPlanHeaderTemplate =
    u"随访节点（以今天为基准，起始第 %ls 天%ls，间隔 %d 天%ls，共 %ls 次%ls）：";
constexpr const char16_t* kBaseDayTemplate = u"基准日：%ls";
constexpr const char16_t* kGapReplacedTemplate = u"（已输入 %ls 天，按默认 7 天计）";
constexpr const char16_t* kVisitTemplate = u"第 %d 次：%ls%ls";
// After a visit dated before the day the plan counts from: no visit can be held there.
constexpr const char16_t* kBeforeBaseDay = u"（早于基准日）";
constexpr const char16_t* kPlanContents =
    u"内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。";
constexpr const char16_t* kPlanVerdict = u"随访计划已生成，可按日期短信提醒患者";
constexpr const char16_t* kStartOutOfRangeVerdict = u"起始天数超出范围，请核对后重新生成";
constexpr const char16_t* kDateOutOfRangeVerdict = u"随访日期超出范围，请核对起始与间隔";
constexpr const char16_t* kStartNotWholeVerdict = u"起始天数须为整数，请核对";
constexpr const char16_t* kGapReplacedVerdict = u"随访间隔已按默认 7 天计，请核对";
constexpr const char16_t* kVisitsVerdict = u"随访次数须为 1-20 的整数，请核对";
constexpr const char16_t* kBeforeBaseDayVerdict = u"首次随访早于基准日，请核对起始天数";

// Dates are shown for years 0001 to 9999 only: a five-digit or negative year is no date a
// patient can be given, and reads as a wrong one.
constexpr std::int64_t kFirstShownDay = -719162;  // 0001-01-01
constexpr std::int64_t kLastShownDay = 2932896;   // 9999-12-31
constexpr const char16_t* kDateOutOfRange = u"（日期超出范围）";

// ---- InfusionCard (kind 10) ----

constexpr double kMillilitresPerHourPerDrop = 3.0;  // 20 drops/ml: drops/min × 60 / 20

constexpr const char16_t* kCardTitle = u"静脉输液卡";
constexpr const char16_t* kBedTemplate = u"床号：%ls%ls";
constexpr const char16_t* kMedicineTemplate = u"药液：医嘱药量 %ls%ls ，加入溶媒 %ls ml%ls";
// The rate with its digits, and the hourly volume from that same number.
constexpr const char16_t* kDripTemplate = u"滴速：%ls 滴/分（约 %ls ml/h）%ls";
// After a solvent volume or drip rate that is not above 0 (NaN included): no infusion runs so.
constexpr const char16_t* kCheckThis = u"，请核对";
// After an ordered dose that is not above 0: no order reads so.
constexpr const char16_t* kCheckDose = u"（请核对）";
// The order's dose and solvent keep at least the decimals the card always had.
constexpr std::int32_t kDoseDecimals = 2;
constexpr std::int32_t kVolumeDecimals = 0;
constexpr std::int32_t kNumberTextCapacity = kLongNumberText + 1;
constexpr const char16_t* kCardChecks[] = {
    u"核对：药名/剂量/浓度/有效期/配伍；双人签名。",
    u"观察：穿刺点、滴速、输注反应；每 30 分钟巡视并记录。",
};
constexpr const char16_t* kCardVerdict = u"输液卡已生成，双人核对后执行";
constexpr const char16_t* kBedVerdict = u"床号须为范围内的整数，请核对";
constexpr const char16_t* kDoseVerdict = u"医嘱药量须大于 0，请核对";
constexpr const char16_t* kVolumeVerdict = u"溶媒量须大于 0，请核对";
constexpr const char16_t* kDripVerdict = u"滴速须大于 0 且能按输液执行，请核对";

// Writes a day number's date, or kDateOutOfRange and a raised verdict for one that no patient
// can be given.
void WriteShownDate(std::int64_t dayNumber, char16_t* date, ReportVerdict& verdict) {
  if (dayNumber < kFirstShownDay || dayNumber > kLastShownDay) {
    CopyText(date, kDateTextCapacity, kDateOutOfRange);
    RaiseVerdict(verdict, kMarkedLevel, kDateOutOfRangeVerdict);
  } else {
    CivilFromDays(dayNumber, date, kDateTextCapacity);
  }
}

}  // namespace

Level FollowUpPlan(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                   std::int32_t resultCapacity, char16_t* verdictText,
                   std::int32_t verdictCapacity) {
  const LocalDateTime now = LocalNow();
  const std::int64_t today = DaysFromCivil(now.year, now.month, now.day);
  return FollowUpPlanOn(today, tool, inputValues, resultText, resultCapacity, verdictText,
                        verdictCapacity);
}

Level FollowUpPlanOn(std::int64_t today, const ToolDef& tool, const double* inputValues,
                     char16_t* resultText, std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  ReportVerdict verdict = {0, kPlanVerdict};
  const double startValue = InputValue(tool, inputValues, kKeyStart);
  const double gapValue = InputValue(tool, inputValues, kKeyGap);
  WholeField start = {};
  ReadWholeField(
      startValue,
      IsOutOfRange(WholeNumber(startValue)) ? kStartOutOfRangeVerdict : kStartNotWholeVerdict,
      verdict, start);
  // A gap that is no whole number of days from 1 up is replaced, and the line says so.
  const bool gapReplaced = !IsWholeNumber(gapValue) || gapValue < 1;
  const std::int32_t gap = gapReplaced ? kDefaultGapDays : WholeNumber(gapValue);
  char16_t gapNote[kNoteTextCapacity] = {};
  if (gapReplaced) {
    RaiseVerdict(verdict, kMarkedLevel, kGapReplacedVerdict);
    FormatTypedNote(gapNote, kGapReplacedTemplate, gapValue);
  }
  ListedCount visits = {};
  ReadCount(InputValue(tool, inputValues, kKeyTimes), kMinVisits, kMaxVisits, u"次", kVisitsVerdict,
            verdict, visits);

  WriteLine(out, kPlanHeaderTemplate, start.number, start.mark, gap, gapNote, visits.number,
            visits.note);
  char16_t baseDay[kDateTextCapacity] = {};
  WriteShownDate(today, baseDay, verdict);
  WriteLine(out, kBaseDayTemplate, baseDay);
  // A start that is no whole number leaves no day to count from: no dates are listed.
  const std::int32_t listed = IsOutOfRange(start.whole) ? 0 : visits.count;
  for (std::int32_t visit = 1; visit <= listed; ++visit) {
    // |start| <= 2^31 and (visit - 1) × gap < 20 × 2^31, and DaysFromCivil of any 32-bit year
    // stays below 2^40: the sum is far inside 64 bits.
    const std::int64_t dayNumber =
        today + start.whole + static_cast<std::int64_t>(visit - 1) * static_cast<std::int64_t>(gap);
    char16_t date[kDateTextCapacity] = {};
    WriteShownDate(dayNumber, date, verdict);
    WriteLine(
        out, kVisitTemplate, visit, date,
        MarkIf(dayNumber < today, kBeforeBaseDay, verdict, kMarkedLevel, kBeforeBaseDayVerdict));
  }
  WriteFixedLine(out, kPlanContents);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level InfusionCard(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                   std::int32_t resultCapacity, char16_t* verdictText,
                   std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  ReportVerdict verdict = {0, kCardVerdict};
  WholeField bed = {};
  ReadWholeField(InputValue(tool, inputValues, kKeyBed), kBedVerdict, verdict, bed);
  const double dose = InputValue(tool, inputValues, kKeyDose);
  const double volume = InputValue(tool, inputValues, kKeyVolume);
  const double drops = InputValue(tool, inputValues, kKeyGtt);

  // The order as typed: 0.125 and 2.5 whole, never rounded to another dose or volume.
  char16_t doseText[kNumberTextCapacity];
  TextWriter doseOut(doseText, kNumberTextCapacity);
  WriteExactNumber(doseOut, dose, kDoseDecimals);
  char16_t volumeText[kNumberTextCapacity];
  TextWriter volumeOut(volumeText, kNumberTextCapacity);
  WriteExactNumber(volumeOut, volume, kVolumeDecimals);
  // The rate with its digits (40.5), and the hourly volume from that same number; a rate whose
  // hourly volume shows as 0 runs no infusion either.
  char16_t dropsText[kNumberTextCapacity];
  TextWriter dropsOut(dropsText, kNumberTextCapacity);
  WriteExactNumber(dropsOut, drops, 0);
  const double hourly = drops * kMillilitresPerHourPerDrop;
  char hourlyAscii[kMaxFixedText];
  const std::int32_t hourlyLength = FormatFixedShortened(hourly, 0, kLongNumberText, hourlyAscii);
  char16_t hourlyText[kNumberTextCapacity];
  WidenAscii(hourlyText, kNumberTextCapacity, hourlyAscii);
  const bool dripUnusable =
      !(drops > 0) || !std::isfinite(hourly) || (hourlyLength == 1 && hourlyAscii[0] == '0');

  // Marked in the order of the lines, so the verdict names the first line to check.
  const char16_t* doseMark = MarkIf(!(dose > 0), kCheckDose, verdict, kMarkedLevel, kDoseVerdict);
  const char16_t* volumeMark =
      MarkIf(!(volume > 0), kCheckThis, verdict, kMarkedLevel, kVolumeVerdict);
  const char16_t* dripMark = MarkIf(dripUnusable, kCheckThis, verdict, kMarkedLevel, kDripVerdict);

  WriteFixedLine(out, kCardTitle);
  WriteLine(out, kBedTemplate, bed.number, bed.mark);
  WriteLine(out, kMedicineTemplate, doseText, doseMark, volumeText, volumeMark);
  WriteLine(out, kDripTemplate, dropsText, hourlyText, dripMark);
  for (const char16_t* line : kCardChecks) WriteFixedLine(out, line);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

}  // namespace tarn
