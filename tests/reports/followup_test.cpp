// The follow-up plan on fixed days (month and year ends, leap days, offsets at the ends of the
// 32-bit range) and on the real clock; the infusion card's lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/days.h"
#include "platform/platform.h"
#include "report_fixture.h"
#include "reports/generators.h"

namespace tarn {
namespace {

using testing_reports::KeyValue;
using testing_reports::Lines;
using testing_reports::ReportOutcome;
using testing_reports::ReportTool;
using testing_reports::RunGenerator;
using testing_reports::Utf8;

constexpr const char* kPlanContents =
    "内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。\r\n";

// The contents line, which follows the base day at once when no date can be listed.
constexpr const char* kContentsLine =
    "内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。";

ReportOutcome RunPlanOn(std::int64_t today, const std::vector<KeyValue>& inputs) {
  const ReportTool tool(7, inputs);
  std::vector<char16_t> result(8192, 0), verdict(512, 0);
  const Level level =
      FollowUpPlanOn(today, tool.Tool(), tool.Values(), result.data(), 8192, verdict.data(), 512);
  return ReportOutcome{Utf8(result.data()), Utf8(verdict.data()), level};
}

std::string DateText(std::int64_t dayNumber) {
  char16_t date[32] = {};
  CivilFromDays(dayNumber, date, 32);
  return Utf8(date);
}

TEST(FollowUpPlan, WeeklyVisitsFromAWeekAhead) {
  const auto outcome =
      RunPlanOn(DaysFromCivil(2026, 12, 7), {{"start", 7}, {"gap", 7}, {"times", 3}});
  EXPECT_EQ(outcome.result,
            std::string("随访节点（以今天为基准，起始第 7 天，间隔 7 天，共 3 次）：\r\n"
                        "基准日：2026-12-07\r\n"
                        "第 1 次：2026-12-14\r\n"
                        "第 2 次：2026-12-21\r\n"
                        "第 3 次：2026-12-28\r\n") +
                kPlanContents);
  EXPECT_EQ(outcome.verdict, "随访计划已生成，可按日期短信提醒患者");
  EXPECT_EQ(outcome.level, 0);
}

TEST(FollowUpPlan, VisitsFollowTheCalendarAcrossMonthsYearsAndLeapDays) {
  struct Case {
    std::int32_t year, month, day;  // today
    std::vector<KeyValue> inputs;
    std::vector<std::string> dates;
  };
  const Case cases[] = {
      {2024, 1, 31, {{"start", 1}, {"gap", 29}, {"times", 2}}, {"2024-02-01", "2024-03-01"}},
      {2024,
       2,
       28,
       {{"start", 1}, {"gap", 1}, {"times", 3}},
       {"2024-02-29", "2024-03-01", "2024-03-02"}},
      {2023, 2, 28, {{"start", 1}}, {"2023-03-01"}},
      {2100, 2, 28, {{"start", 1}}, {"2100-03-01"}},  // a century that is not a leap year
      {2000, 2, 28, {{"start", 1}}, {"2000-02-29"}},  // one that is
      {2025, 12, 31, {{"start", 1}, {"gap", 365}, {"times", 2}}, {"2026-01-01", "2027-01-01"}},
      {2026, 1, 1, {{"start", -1}}, {"2025-12-31（早于基准日）"}},  // yesterday, marked
      {2026, 3, 15, {}, {"2026-03-15"}},                            // no inputs: one visit today
      {2026, 3, 15, {{"gap", 0}, {"times", 2}}, {"2026-03-15", "2026-03-22"}},
      {2026, 3, 15, {{"gap", -3}, {"times", 2}}, {"2026-03-15", "2026-03-22"}},
      {2026, 3, 15, {{"times", 2.9}}, {}},  // a count with a fraction lists nothing
  };
  for (const Case& c : cases) {
    const auto lines = Lines(RunPlanOn(DaysFromCivil(c.year, c.month, c.day), c.inputs).result);
    ASSERT_EQ(lines.size(), c.dates.size() + 4);
    EXPECT_EQ(lines[1], "基准日：" + DateText(DaysFromCivil(c.year, c.month, c.day)));
    for (std::size_t k = 0; k < c.dates.size(); ++k) {
      EXPECT_EQ(lines[k + 2], "第 " + std::to_string(k + 1) + " 次：" + c.dates[k])
          << c.year << "-" << c.month << "-" << c.day;
    }
  }
}

TEST(FollowUpPlan, CountIsClampedToTwentyAndGapDefaultsToSeven) {
  const std::int64_t today = DaysFromCivil(2026, 6, 1);
  const auto lines = Lines(RunPlanOn(today, {{"times", 25}, {"gap", 0.5}}).result);
  EXPECT_EQ(lines[0],
            "随访节点（以今天为基准，起始第 0 天，间隔 7 天（已输入 0.5 天，按默认 7 天计），"
            "共 20 次（最多列出 20 次，已输入 25 次））：");
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[21], "第 20 次：" + DateText(today + std::int64_t{19} * 7));
}

// Each value the plan cannot use as typed is named on its line, and raises the verdict.
TEST(FollowUpPlan, NamesWhatItReplacesAndMarksVisitsBeforeTheBaseDay) {
  struct Case {
    std::vector<KeyValue> inputs;
    const char* header;  // between "起始第 " and "）："
    const char* firstVisit;
    const char* verdict;
  };
  const Case cases[] = {
      {{{"start", 7}, {"gap", 1e10}, {"times", 1}},
       "7 天，间隔 7 天（已输入 10000000000 天，按默认 7 天计），共 1 次",
       "第 1 次：2026-06-08",
       "随访间隔已按默认 7 天计，请核对"},
      {{{"start", 7.5}, {"gap", 7}, {"times", 2}},
       "7.5 天（须为整数），间隔 7 天，共 2 次",
       kContentsLine,
       "起始天数须为整数，请核对"},
      {{{"start", 1}, {"gap", 7}, {"times", 1e10}},
       "1 天，间隔 7 天，共 20 次（最多列出 20 次，已输入 10000000000 次）",
       "第 1 次：2026-06-02",
       "随访次数须为 1-20 的整数，请核对"},
      {{{"start", -1}, {"gap", 7}, {"times", 2}},
       "-1 天，间隔 7 天，共 2 次",
       "第 1 次：2026-05-31（早于基准日）",
       "首次随访早于基准日，请核对起始天数"},
  };
  for (const Case& c : cases) {
    const auto outcome = RunPlanOn(DaysFromCivil(2026, 6, 1), c.inputs);
    const auto lines = Lines(outcome.result);
    EXPECT_EQ(lines[0], std::string("随访节点（以今天为基准，起始第 ") + c.header + "）：");
    EXPECT_EQ(lines[1], "基准日：2026-06-01");
    EXPECT_EQ(lines[2], c.firstVisit) << c.header;
    EXPECT_EQ(outcome.verdict, c.verdict) << c.header;
    EXPECT_EQ(outcome.level, 2) << c.header;
  }
}

// Offsets at the ends of the 32-bit range once wrapped around to nonsense dates; then the
// sentinel showed as "起始第 -2147483648 天" with dates in year -5877584, and 2e9 days gave
// year 5477840. Neither the sentinel nor a date outside years 0001-9999 is shown as data.
TEST(FollowUpPlan, NoSentinelOrImpossibleDateIsShownAsData) {
  const std::int64_t today = DaysFromCivil(2026, 6, 1);
  const auto daysFromToday = [today](std::int32_t year, std::int32_t month, std::int32_t day) {
    return static_cast<double>(DaysFromCivil(year, month, day) - today);
  };
  const double lastDay = daysFromToday(9999, 12, 31);
  const double firstDay = daysFromToday(1, 1, 1);
  const auto days = [](double offset) { return std::to_string(static_cast<std::int64_t>(offset)); };
  const std::string noDate = "（日期超出范围）";
  const std::string startOut = "起始天数超出范围，请核对后重新生成";
  const std::string datesOut = "随访日期超出范围，请核对起始与间隔";
  struct Case {
    std::vector<KeyValue> inputs;
    std::string header;  // between "起始第 " and " 次）："
    std::vector<std::string> dates;
    const std::string& verdict;
    Level level;
  };
  const Case cases[] = {
      {{{"start", 2147483647.0}, {"gap", 2147483647.0}, {"times", 2}},
       "2147483647 天，间隔 2147483647 天，共 2",
       {noDate, noDate},
       datesOut,
       2},
      {{{"start", 2e9}, {"gap", 7}, {"times", 1}},
       "2000000000 天，间隔 7 天，共 1",
       {noDate},
       datesOut,
       2},
      {{{"start", -2147483648.0}, {"gap", 7}, {"times", 20}},
       "（超出范围） 天，间隔 7 天，共 20",
       {},
       startOut,
       2},
      {{{"start", std::numeric_limits<double>::quiet_NaN()}, {"gap", 7}, {"times", 2}},
       "（超出范围） 天，间隔 7 天，共 2",
       {},
       startOut,
       2},
      {{{"start", 1e10}, {"gap", 1e15}, {"times", 2}},
       "（超出范围） 天，间隔 7 天（已输入 1000000000000000 天，按默认 7 天计），共 2",
       {},
       startOut,
       2},
      // The ends of the calendar shown.
      {{{"start", lastDay}, {"gap", 1}, {"times", 2}},
       days(lastDay) + " 天，间隔 1 天，共 2",
       {"9999-12-31", noDate},
       datesOut,
       2},
      {{{"start", firstDay}, {"gap", 7}, {"times", 1}},
       days(firstDay) + " 天，间隔 7 天，共 1",
       {"0001-01-01（早于基准日）"},
       "首次随访早于基准日，请核对起始天数",
       2},
      {{{"start", firstDay - 1}, {"gap", 7}, {"times", 1}},
       days(firstDay - 1) + " 天，间隔 7 天，共 1",
       {noDate + "（早于基准日）"},
       datesOut,
       2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunPlanOn(today, c.inputs);
    const auto lines = Lines(outcome.result);
    EXPECT_EQ(lines[0], "随访节点（以今天为基准，起始第 " + c.header + " 次）：");
    ASSERT_EQ(lines.size(), c.dates.size() + 4) << c.header;
    for (std::size_t k = 0; k < c.dates.size(); ++k) {
      EXPECT_EQ(lines[k + 2], "第 " + std::to_string(k + 1) + " 次：" + c.dates[k]) << c.header;
    }
    EXPECT_EQ(lines[c.dates.size() + 2],
              "内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。");
    EXPECT_EQ(outcome.verdict,
              c.verdict.empty() ? "随访计划已生成，可按日期短信提醒患者" : c.verdict)
        << c.header;
    EXPECT_EQ(outcome.level, c.level) << c.header;
  }
}

TEST(FollowUpPlan, ReadsTodayFromTheLocalClock) {
  const LocalDateTime before = LocalNow();
  const auto outcome = RunGenerator(FollowUpPlan, {});
  const LocalDateTime after = LocalNow();
  const auto lines = Lines(outcome.result);
  // Either reading is right if midnight passes during the run; the base day is that day.
  const std::string dayBefore = DateText(DaysFromCivil(before.year, before.month, before.day));
  const std::string dayAfter = DateText(DaysFromCivil(after.year, after.month, after.day));
  const std::string& day = lines[1] == "基准日：" + dayBefore ? dayBefore : dayAfter;
  EXPECT_EQ(lines[1], "基准日：" + day);
  EXPECT_EQ(lines[2], "第 1 次：" + day);
}

TEST(InfusionCard, PrintsTheInputsAsTheyCome) {
  const char* const ready = "输液卡已生成，双人核对后执行";
  const char* const checkBed = "床号须为范围内的整数，请核对";
  const char* const checkDose = "医嘱药量须大于 0，请核对";
  const char* const checkDrip = "滴速须大于 0 且能按输液执行，请核对";
  struct Case {
    std::vector<KeyValue> inputs;
    const char* bed;
    const char* medicine;
    const char* drip;
    const char* verdict;  // a marked line never stands under the plain verdict
    Level level;
  };
  const Case cases[] = {
      {{},
       "床号：0",
       "药液：医嘱药量 0.00（请核对） ，加入溶媒 0 ml，请核对",
       "滴速：0 滴/分（约 0 ml/h），请核对",
       checkDose,
       2},
      {{{"bed", 12}, {"dose", 0.5}, {"volume", 100}, {"gtt", 40}},
       "床号：12",
       "药液：医嘱药量 0.50 ，加入溶媒 100 ml",
       "滴速：40 滴/分（约 120 ml/h）",
       ready,
       0},
      {{{"dose", 1}, {"volume", 100}, {"gtt", 45}},
       "床号：0",
       "药液：医嘱药量 1.00 ，加入溶媒 100 ml",
       "滴速：45 滴/分（约 135 ml/h）",
       ready,
       0},
      // The rate keeps its digits and the hourly volume comes from it: 40 × 3 stood beside
      // 122 ml/h; 100.5 ml/h still goes to the even neighbour.
      {{{"dose", 1}, {"volume", 250}, {"gtt", 33.5}},
       "床号：0",
       "药液：医嘱药量 1.00 ，加入溶媒 250 ml",
       "滴速：33.5 滴/分（约 100 ml/h）",
       ready,
       0},
      {{{"dose", 1}, {"volume", 250}, {"gtt", 40.5}},
       "床号：0",
       "药液：医嘱药量 1.00 ，加入溶媒 250 ml",
       "滴速：40.5 滴/分（约 122 ml/h）",
       ready,
       0},
      {{{"dose", 1}, {"volume", 250}, {"gtt", 0.4}},
       "床号：0",
       "药液：医嘱药量 1.00 ，加入溶媒 250 ml",
       "滴速：0.4 滴/分（约 1 ml/h）",
       ready,
       0},
      // 0.16 drops a minute shows 0 ml/h: no infusion runs at what the card shows.
      {{{"dose", 1}, {"volume", 250}, {"gtt", 0.16}},
       "床号：0",
       "药液：医嘱药量 1.00 ，加入溶媒 250 ml",
       "滴速：0.16 滴/分（约 0 ml/h），请核对",
       checkDrip,
       2},
      // A bed with a fraction once printed as another patient's bed (3.7 as 3).
      {{{"bed", 3.7}, {"dose", -1.125}, {"volume", 250.5}},
       "床号：3.7（须为整数）",
       "药液：医嘱药量 -1.125（请核对） ，加入溶媒 250.5 ml",
       "滴速：0 滴/分（约 0 ml/h），请核对",
       checkBed,
       2},
      {{{"beds", 7}},
       "床号：0",
       "药液：医嘱药量 0.00（请核对） ，加入溶媒 0 ml，请核对",
       "滴速：0 滴/分（约 0 ml/h），请核对",
       checkDose,
       2},
      // The order as typed: 0.125 once showed 0.12, 0.004 as 0.00 and 2.5 ml as 2 ml.
      {{{"dose", 0.125}, {"volume", 2.5}, {"gtt", 20}},
       "床号：0",
       "药液：医嘱药量 0.125 ，加入溶媒 2.5 ml",
       "滴速：20 滴/分（约 60 ml/h）",
       ready,
       0},
      {{{"dose", 0.004}, {"volume", 0.1}, {"gtt", 1}},
       "床号：0",
       "药液：医嘱药量 0.004 ，加入溶媒 0.1 ml",
       "滴速：1 滴/分（约 3 ml/h）",
       ready,
       0},
      {{{"dose", 1e-10}, {"volume", 1.0 / 3}, {"gtt", 1}},
       "床号：0",
       "药液：医嘱药量 1e-10 ，加入溶媒 0.3333333333333333 ml",
       "滴速：1 滴/分（约 3 ml/h）",
       ready,
       0},
      // Not above 0, NaN included, and the sentinel never shown as a bed.
      {{{"bed", 1e10},
        {"dose", 1},
        {"volume", -5},
        {"gtt", std::numeric_limits<double>::quiet_NaN()}},
       "床号：（超出范围）",
       "药液：医嘱药量 1.00 ，加入溶媒 -5 ml，请核对",
       "滴速：nan 滴/分（约 nan ml/h），请核对",
       checkBed,
       2},
      {{{"bed", 1}, {"dose", 1}, {"volume", 1}, {"gtt", std::numeric_limits<double>::infinity()}},
       "床号：1",
       "药液：医嘱药量 1.00 ，加入溶媒 1 ml",
       "滴速：inf 滴/分（约 inf ml/h），请核对",
       checkDrip,
       2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(InfusionCard, c.inputs);
    EXPECT_EQ(outcome.result, std::string("静脉输液卡\r\n") + c.bed + "\r\n" + c.medicine + "\r\n" +
                                  c.drip + "\r\n" +
                                  "核对：药名/剂量/浓度/有效期/配伍；双人签名。\r\n"
                                  "观察：穿刺点、滴速、输注反应；每 30 分钟巡视并记录。\r\n");
    EXPECT_EQ(outcome.verdict, c.verdict) << c.drip;
    EXPECT_EQ(outcome.level, c.level) << c.drip;
  }
}

}  // namespace
}  // namespace tarn
