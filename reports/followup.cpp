// The follow-up plan (dates counted from today) and the intravenous infusion card. The plan
// reads the local date once per run through the platform layer; its day arithmetic is 64-bit
// and cannot overflow, since every offset is a 32-bit whole number. Neither shows the
// out-of-range sentinel, a date past year 9999 or a rounded order as data.
#include "engine/days.h"
#include "platform/platform.h"
#include "reports/generators.h"
#include "reports/report.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// ---- FollowUpPlan (kind 7) ----

constexpr std::int32_t kDefaultGapDays = 7;
constexpr std::int32_t kMinVisits = 1;
constexpr std::int32_t kMaxVisits = 20;

constexpr const char16_t* kPlanHeaderTemplate =
    u"随访节点（以今天为基准，起始第 %ls 天，间隔 %d 天，共 %d 次）：";
constexpr const char16_t* kVisitTemplate = u"第 %d 次：%ls";
constexpr const char16_t* kPlanContents =
    u"内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。";
constexpr const char16_t* kPlanVerdict = u"随访计划已生成，可按日期短信提醒患者";
constexpr const char16_t* kStartOutOfRangeVerdict = u"起始天数超出范围，请核对后重新生成";
constexpr const char16_t* kDateOutOfRangeVerdict = u"随访日期超出范围，请核对起始与间隔";
constexpr Level kOutOfRangeLevel = 2;

// Dates are shown for years 0001 to 9999 only: a five-digit or negative year is no date a
// patient can be given, and reads as a wrong one.
constexpr std::int64_t kFirstShownDay = -719162;  // 0001-01-01
constexpr std::int64_t kLastShownDay = 2932896;   // 9999-12-31
constexpr const char16_t* kDateOutOfRange = u"（日期超出范围）";

// ---- InfusionCard (kind 10) ----

constexpr double kMillilitresPerHourPerDrop = 3.0;  // 20 drops/ml: drops/min × 60 / 20

constexpr const char16_t* kCardTitle = u"静脉输液卡";
constexpr const char16_t* kBedTemplate = u"床号：%ls";
constexpr const char16_t* kMedicineTemplate = u"药液：医嘱药量 %ls ，加入溶媒 %ls ml%ls";
constexpr const char16_t* kDripTemplate = u"滴速：%.0f 滴/分（约 %.0f ml/h）%ls";
// After a solvent volume or drip rate that is not above 0 (NaN included): no infusion runs so.
constexpr const char16_t* kCheckThis = u"，请核对";
// The order's dose and solvent keep at least the decimals the card always had.
constexpr std::int32_t kDoseDecimals = 2;
constexpr std::int32_t kVolumeDecimals = 0;
constexpr std::int32_t kNumberTextCapacity = kLongNumberText + 1;
constexpr std::int32_t kWholeTextCapacity = 16;
constexpr const char16_t* kCardChecks[] = {
    u"核对：药名/剂量/浓度/有效期/配伍；双人签名。",
    u"观察：穿刺点、滴速、输注反应；每 30 分钟巡视并记录。",
};
constexpr const char16_t* kCardVerdict = u"输液卡已生成，双人核对后执行";

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
  const std::int32_t start = WholeNumber(InputValue(tool, inputValues, kKeyStart));
  const std::int32_t gapValue = WholeNumber(InputValue(tool, inputValues, kKeyGap));
  const std::int32_t gap = gapValue >= 1 ? gapValue : kDefaultGapDays;
  const std::int32_t visits =
      ClampWhole(WholeNumber(InputValue(tool, inputValues, kKeyTimes)), kMinVisits, kMaxVisits);

  char16_t startText[kWholeTextCapacity];
  WriteWholeNumber(startText, kWholeTextCapacity, start);
  WriteLine(out, kPlanHeaderTemplate, startText, gap, visits);
  if (IsOutOfRange(start)) {
    // No day to count from: listing dates would show the sentinel as data.
    WriteFixedLine(out, kPlanContents);
    StoreVerdict(verdictText, verdictCapacity, kStartOutOfRangeVerdict);
    return kOutOfRangeLevel;
  }
  bool anyOutOfRange = false;
  for (std::int32_t visit = 1; visit <= visits; ++visit) {
    // |start| <= 2^31 and (visit - 1) × gap < 20 × 2^31, and DaysFromCivil of any 32-bit year
    // stays below 2^40: the sum is far inside 64 bits.
    const std::int64_t dayNumber =
        today + start + static_cast<std::int64_t>(visit - 1) * static_cast<std::int64_t>(gap);
    char16_t date[kDateTextCapacity] = {};
    if (dayNumber < kFirstShownDay || dayNumber > kLastShownDay) {
      CopyText(date, kDateTextCapacity, kDateOutOfRange);
      anyOutOfRange = true;
    } else {
      CivilFromDays(dayNumber, date, kDateTextCapacity);
    }
    WriteLine(out, kVisitTemplate, visit, date);
  }
  WriteFixedLine(out, kPlanContents);
  if (anyOutOfRange) {
    StoreVerdict(verdictText, verdictCapacity, kDateOutOfRangeVerdict);
    return kOutOfRangeLevel;
  }
  StoreVerdict(verdictText, verdictCapacity, kPlanVerdict);
  return 0;
}

Level InfusionCard(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                   std::int32_t resultCapacity, char16_t* verdictText,
                   std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const std::int32_t bed = WholeNumber(InputValue(tool, inputValues, kKeyBed));
  const double dose = InputValue(tool, inputValues, kKeyDose);
  const double volume = InputValue(tool, inputValues, kKeyVolume);
  const double drops = InputValue(tool, inputValues, kKeyGtt);

  char16_t bedText[kWholeTextCapacity];
  WriteWholeNumber(bedText, kWholeTextCapacity, bed);
  // The order as typed: 0.125 and 2.5 whole, never rounded to another dose or volume.
  char16_t doseText[kNumberTextCapacity];
  TextWriter doseOut(doseText, kNumberTextCapacity);
  WriteExactNumber(doseOut, dose, kDoseDecimals);
  char16_t volumeText[kNumberTextCapacity];
  TextWriter volumeOut(volumeText, kNumberTextCapacity);
  WriteExactNumber(volumeOut, volume, kVolumeDecimals);

  WriteFixedLine(out, kCardTitle);
  WriteLine(out, kBedTemplate, bedText);
  WriteLine(out, kMedicineTemplate, doseText, volumeText, volume > 0 ? u"" : kCheckThis);
  WriteLine(out, kDripTemplate, drops, drops * kMillilitresPerHourPerDrop,
            drops > 0 ? u"" : kCheckThis);
  for (const char16_t* line : kCardChecks) WriteFixedLine(out, line);
  StoreVerdict(verdictText, verdictCapacity, kCardVerdict);
  return 0;
}

}  // namespace tarn
