// The follow-up plan (dates counted from today) and the intravenous infusion card. The plan
// reads the local date once per run through the platform layer; its day arithmetic is 64-bit
// and cannot overflow, since every offset is a 32-bit whole number.
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
constexpr std::int32_t kDateTextCapacity = 32;

constexpr const char16_t* kPlanHeaderTemplate =
    u"随访节点（以今天为基准，起始第 %d 天，间隔 %d 天，共 %d 次）：";
constexpr const char16_t* kVisitTemplate = u"第 %d 次：%ls";
constexpr const char16_t* kPlanContents =
    u"内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。";
constexpr const char16_t* kPlanVerdict = u"随访计划已生成，可按日期短信提醒患者";

// ---- InfusionCard (kind 10) ----

constexpr double kMillilitresPerHourPerDrop = 3.0;  // 20 drops/ml: drops/min × 60 / 20

constexpr const char16_t* kCardTitle = u"静脉输液卡";
constexpr const char16_t* kBedTemplate = u"床号：%d";
constexpr const char16_t* kMedicineTemplate = u"药液：医嘱药量 %.2f ，加入溶媒 %.0f ml";
constexpr const char16_t* kDripTemplate = u"滴速：%.0f 滴/分（约 %.0f ml/h）";
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

  WriteLine(out, kPlanHeaderTemplate, start, gap, visits);
  for (std::int32_t visit = 1; visit <= visits; ++visit) {
    // |start| <= 2^31 and (visit - 1) × gap < 20 × 2^31, and DaysFromCivil of any 32-bit year
    // stays below 2^40: the sum is far inside 64 bits.
    const std::int64_t dayNumber =
        today + start + static_cast<std::int64_t>(visit - 1) * static_cast<std::int64_t>(gap);
    char16_t date[kDateTextCapacity] = {};
    CivilFromDays(dayNumber, date, kDateTextCapacity);
    WriteLine(out, kVisitTemplate, visit, date);
  }
  WriteFixedLine(out, kPlanContents);
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

  WriteFixedLine(out, kCardTitle);
  WriteLine(out, kBedTemplate, bed);
  WriteLine(out, kMedicineTemplate, dose, volume);
  WriteLine(out, kDripTemplate, drops, drops * kMillilitresPerHourPerDrop);
  for (const char16_t* line : kCardChecks) WriteFixedLine(out, line);
  StoreVerdict(verdictText, verdictCapacity, kCardVerdict);
  return 0;
}

}  // namespace tarn
