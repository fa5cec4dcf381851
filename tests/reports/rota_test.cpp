// The shift rota (texts, clamps, the shift pattern, the whole 40 × 31 rota) and the
// dosing timetable (clock and day arithmetic, including values no clock can show).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "report_fixture.h"
#include "reports/generators.h"
#include "reports/report.h"
#include "run/calculate.h"
#include "test_support.h"

namespace tarn {
namespace {

using testing_reports::KeyValue;
using testing_reports::Lines;
using testing_reports::ReportTool;
using testing_reports::RunGenerator;
using testing_reports::Utf8;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr const char* kRotaRule =
    "排班规则：三班轮转（白班 D / 夜班 N / 休息 R），每日每班 1 人，按人员顺序滚动。\r\n";
constexpr const char* kRotaHint =
    "提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。\r\n";

TEST(ShiftRota, WithoutInputsIsOneNurseForOneDay) {
  const auto outcome = RunGenerator(ShiftRota, {});
  EXPECT_EQ(outcome.result,
            std::string(kRotaRule) +
                "人员：1 人（至少列出 1 人，已输入 0 人）；周期：1 天（至少列出 1 天，已输入 0 天）"
                "\r\n\r\n" +
                "护士01：\r\n  1日D \r\n\r\n" + kRotaHint);
  EXPECT_EQ(outcome.verdict, "人数须为 1-40、天数须为 1-31 的整数，请核对");
  EXPECT_EQ(outcome.level, 2);
}

TEST(ShiftRota, ThreeNursesOverThreeDays) {
  const auto outcome = RunGenerator(ShiftRota, {{"nurses", 3}, {"days", 3}});
  EXPECT_EQ(outcome.result, std::string(kRotaRule) + "人员：3 人；周期：3 天\r\n\r\n" +
                                "护士01：\r\n  1日D 2日R 3日N \r\n"
                                "护士02：\r\n  1日N 2日D 3日R \r\n"
                                "护士03：\r\n  1日R 2日N 3日D \r\n"
                                "\r\n" +
                                kRotaHint);
}

TEST(ShiftRota, CountsAreTruncatedAndClamped) {
  struct Case {
    std::vector<KeyValue> inputs;
    const char* sizeLine;
    const char* lastNurseCells;  // the cell line of the last nurse; null: no rota is listed
    Level level;
  };
  // A count with a fraction once listed its whole part (2.9 nurses as 2), and one outside the
  // bounds listed the bound without a word.
  const Case cases[] = {
      {{{"nurses", 2.9}, {"days", 3}}, "人员：2.9 人（须为整数）；周期：3 天", nullptr, 2},
      {{{"nurses", -4}, {"days", 0}},
       "人员：1 人（至少列出 1 人，已输入 -4 人）；周期：1 天（至少列出 1 天，已输入 0 天）",
       "  1日D ",
       2},
      {{{"nurses", kNaN}, {"days", kInf}},
       "人员：（超出范围） 人；周期：31 天（最多列出 31 天，已输入 inf 天）",
       nullptr,
       2},
      {{{"nurses", 1e10}, {"days", 1}},
       "人员：40 人（最多列出 40 人，已输入 10000000000 人）；周期：1 天",
       "  1日D ",
       2},
      {{{"days", 2}, {"nurses", 4}},
       "人员：4 人；周期：2 天",
       "  1日D 2日R ",  // nurse 4 = nurse 1
       0},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(ShiftRota, c.inputs);
    const auto lines = Lines(outcome.result);
    EXPECT_EQ(lines[1], c.sizeLine);
    ASSERT_GE(lines.size(), 5u);
    if (c.lastNurseCells != nullptr) {
      EXPECT_EQ(lines[lines.size() - 4], c.lastNurseCells) << c.sizeLine;
    } else {
      EXPECT_EQ(lines.size(), 5u) << c.sizeLine;
    }
    EXPECT_EQ(outcome.level, c.level) << c.sizeLine;
  }
}

TEST(ShiftRota, AnyThreeConsecutiveNursesHoldEachShiftOnEveryDay) {
  const auto lines = Lines(RunGenerator(ShiftRota, {{"nurses", 50}, {"days", 40}}).result);
  EXPECT_EQ(
      lines[1],
      "人员：40 人（最多列出 40 人，已输入 50 人）；周期：31 天（最多列出 31 天，已输入 40 天）");
  // Parse the 40 × 31 grid back out of the text.
  std::vector<std::string> shifts;  // one string of letters per nurse
  for (std::size_t nurse = 0; nurse < 40; ++nurse) {
    const std::string& label = lines[3 + 2 * nurse];
    const std::string expectedLabel =
        "护士" + std::string(nurse < 9 ? "0" : "") + std::to_string(nurse + 1) + "：";
    ASSERT_EQ(label, expectedLabel);
    const std::string& cells = lines[4 + 2 * nurse];
    std::string letters;
    std::size_t from = 0;
    for (int day = 1; day <= 31; ++day) {
      const std::string head = " " + std::to_string(day) + "日";
      const std::size_t at = cells.find(head, from);
      ASSERT_NE(at, std::string::npos) << nurse << " " << day;
      letters += cells[at + head.size()];
      from = at + head.size() + 1;
    }
    shifts.push_back(letters);
  }
  EXPECT_EQ(lines[3 + 2 * 40], "");
  for (std::size_t first = 0; first + 2 < 40; ++first) {
    for (std::size_t day = 0; day < 31; ++day) {
      std::string held = {shifts[first][day], shifts[first + 1][day], shifts[first + 2][day]};
      std::sort(held.begin(), held.end());
      EXPECT_EQ(held, "DNR") << "nurses " << first + 1 << "-" << first + 3 << ", day " << day + 1;
    }
  }
  for (const std::string& letters : shifts) {
    for (std::size_t day = 0; day + 1 < 31; ++day) {
      // Each nurse cycles D → R → N → D: a night is always followed by a day shift.
      const char next = letters[day] == 'D' ? 'R' : letters[day] == 'R' ? 'N' : 'D';
      EXPECT_EQ(letters[day + 1], next);
    }
  }
}

TEST(ShiftRota, FortyNursesForThirtyOneDaysEndWithTheHint) {
  const ReportTool tool(1, {{"nurses", 40}, {"days", 31}});
  std::vector<char16_t> whole(kWholeResultCapacity, 0), verdict(512, 0);
  RunReport(1, tool.Tool(), tool.Values(), whole.data(), kWholeResultCapacity, verdict.data(), 512);
  const std::string text = Utf8(whole.data());
  ASSERT_GT(text.size(), std::string(kRotaHint).size());
  EXPECT_EQ(text.substr(text.size() - std::string(kRotaHint).size()), kRotaHint);
  EXPECT_NE(text.find("护士40：\r\n  1日D 2日R 3日N"), std::string::npos);
  EXPECT_EQ(Utf8(verdict.data()),
            "已生成轮转排班表，可复制到排班本或表格");  // the bounds themselves
  EXPECT_NE(text.find("人员：40 人；周期：31 天\r\n"), std::string::npos);
}

constexpr const char* kDosingNote = "说明：按等间隔给药；抗菌药物需结合半衰期与肾肝功能调整。\r\n";

TEST(DosingTimetable, EightHourlyFromEightIsTheWholeReport) {
  const auto outcome = RunGenerator(DosingTimetable, {{"start", 8}, {"interval", 8}, {"times", 4}});
  EXPECT_EQ(outcome.result,
            std::string("首剂时间 8:00，间隔 8 小时，共 4 次：\r\n"
                        "第1天 08:00  |  第1天 16:00  |  第2天 00:00  |  第2天 08:00\r\n") +
                kDosingNote);
  EXPECT_EQ(outcome.verdict, "给药时间表已生成，注意首剂与夜间给药时间");
  EXPECT_EQ(outcome.level, 0);
}

TEST(DosingTimetable, HeaderAndCellsFollowTheClock) {
  struct Case {
    std::vector<KeyValue> inputs;
    const char* header;
    const char* cells;
    Level level;
  };
  const Case cases[] = {
      // Replaced values are named where they stand: once the plain "间隔 8 小时，共 1 次".
      {{},
       "首剂时间 0:00，间隔 8 小时（已输入 0 小时，按默认 8 小时计），"
       "共 1 次（至少列出 1 次，已输入 0 次）：",
       "第1天 00:00",
       2},
      {{{"interval", -6}, {"times", 2}},
       "首剂时间 0:00，间隔 8 小时（已输入 -6 小时，按默认 8 小时计），共 2 次：",
       "第1天 00:00  |  第1天 08:00",
       2},
      {{{"start", -3}, {"interval", 8}, {"times", 1}},
       "首剂时间 0:00（已输入 -3，按 0:00 计），间隔 8 小时，共 1 次：",
       "第1天 00:00",
       2},
      {{{"start", -0.5}, {"interval", 8}, {"times", 1}},
       "首剂时间 0:00（已输入 -0.5，按 0:00 计），间隔 8 小时，共 1 次：",
       "第1天 00:00",
       2},
      // The header reads the cells' clock ("首剂时间 8:00" once stood over 08:30) and shows
      // the interval with the digits it has; past day 1 it shows the first cell itself.
      {{{"start", 8.5}, {"interval", 8}, {"times", 1}},
       "首剂时间 8:30，间隔 8 小时，共 1 次：",
       "第1天 08:30",
       0},
      {{{"start", 2.5}, {"interval", 1.5}, {"times", 3}},
       "首剂时间 2:30，间隔 1.5 小时，共 3 次：",
       "第1天 02:30  |  第1天 04:00  |  第1天 05:30",
       0},
      {{{"interval", 0.5}, {"times", 2}},
       "首剂时间 0:00，间隔 0.5 小时，共 2 次：",
       "第1天 00:00  |  第1天 00:30",
       0},
      {{{"start", 100}, {"interval", 8}, {"times", 1}},
       "首剂时间 第5天 04:00，间隔 8 小时，共 1 次：",
       "第5天 04:00",
       0},
      {{{"start", 22}, {"interval", 12}, {"times", 3}},
       "首剂时间 22:00，间隔 12 小时，共 3 次：",
       "第1天 22:00  |  第2天 10:00  |  第2天 22:00",
       0},
      // Rounded to the nearest minute: 8.2 h is 491.99999... minutes, once shown as 08:11.
      {{{"start", 8.2}, {"interval", 1.2}, {"times", 3}},
       "首剂时间 8:12，间隔 1.2 小时，共 3 次：",
       "第1天 08:12  |  第1天 09:24  |  第1天 10:36",
       0},
      {{{"start", 0.999}, {"interval", 8}, {"times", 1}},
       "首剂时间 1:00，间隔 8 小时，共 1 次：",
       "第1天 01:00",
       0},
      {{{"start", 23.9999}, {"interval", 8}, {"times", 2}},
       "首剂时间 第2天 00:00，间隔 8 小时，共 2 次：",
       "第2天 00:00  |  第2天 08:00",
       0},
      // Whole days stay exact up to 2^52 days after the first dose.
      {{{"start", 24.0 * 4503599627370496.0}, {"interval", 8}, {"times", 1}},
       "首剂时间 第4503599627370497天 00:00，间隔 8 小时，共 1 次：",
       "第4503599627370497天 00:00",
       0},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(DosingTimetable, c.inputs);
    const auto lines = Lines(outcome.result);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], c.header);
    EXPECT_EQ(lines[1], c.cells) << c.header;
    EXPECT_EQ(lines[2] + "\r\n", kDosingNote);
    EXPECT_EQ(outcome.level, c.level) << c.header;
  }
}

TEST(DosingTimetable, TimesAreClampedToThirtyCellsAndSaySo) {
  struct Case {
    double times;
    const char* count;  // after "共 " up to the colon
    std::size_t cells;
    Level level;
  };
  // 42 once showed "共 30 次" and 1e10 "共 1 次", both at level 0.
  const Case cases[] = {
      {30, "30 次", 30, 0},
      {42, "30 次（最多列出 30 次，已输入 42 次）", 30, 2},
      {1e10, "30 次（最多列出 30 次，已输入 10000000000 次）", 30, 2},
      {2147483647.5, "30 次（最多列出 30 次，已输入 2147483647.5 次）", 30, 2},
      {-1e10, "1 次（至少列出 1 次，已输入 -10000000000 次）", 1, 2},
      {2.5, "2.5 次（须为整数）", 0, 2},
      {29.9999999999999964, "29.999999999999996 次（须为整数）", 0, 2},
      {kNaN, "（超出范围） 次", 0, 2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(DosingTimetable, {{"interval", 8}, {"times", c.times}});
    const auto lines = Lines(outcome.result);
    EXPECT_EQ(lines[0], std::string("首剂时间 0:00，间隔 8 小时，共 ") + c.count + "：");
    if (c.cells == 0) {
      // Nothing is listed for a count that is no whole number: the note follows the header.
      EXPECT_EQ(lines[1] + "\r\n", kDosingNote) << c.count;
    } else {
      std::size_t separators = 0;
      for (std::size_t at = lines[1].find("  |  "); at != std::string::npos;
           at = lines[1].find("  |  ", at + 1)) {
        ++separators;
      }
      EXPECT_EQ(separators + 1, c.cells) << c.count;
    }
    EXPECT_EQ(outcome.verdict, c.level == 0 ? "给药时间表已生成，注意首剂与夜间给药时间"
                                            : "给药次数须为 1-30 的整数，请核对");
    EXPECT_EQ(outcome.level, c.level) << c.count;
  }
  const auto lines = Lines(RunGenerator(DosingTimetable, {{"interval", 8}, {"times", 45}}).result);
  const std::string last = "  |  第10天 16:00";
  EXPECT_EQ(lines[1].substr(lines[1].size() - last.size()), last);
}

TEST(DosingTimetable, TimesNoClockCanShowPrintAsDashesInsteadOfOverflowing) {
  // Converting such hours to whole days or hours was undefined behaviour; the dashes then
  // stood under the green "给药时间表已生成".
  struct Case {
    std::vector<KeyValue> inputs;
    const char* header;
    const char* cells;
  };
  const Case cases[] = {
      {{{"interval", 1e300}, {"times", 3}},
       nullptr,
       "第1天 00:00  |  第--天 --:--  |  第--天 --:--"},
      {{{"interval", 1e20}, {"times", 2}},
       "首剂时间 0:00，间隔 100000000000000000000 小时，共 2 次：",
       "第1天 00:00  |  第--天 --:--"},
      {{{"start", 1e300}}, nullptr, "第--天 --:--"},
      {{{"start", 24.0 * 9007199254740992.0}}, nullptr, "第--天 --:--"},  // day 2^53: inexact
      {{{"start", kInf}, {"interval", 8}, {"times", 1}},
       "首剂时间 第--天 --:--，间隔 8 小时，共 1 次：",
       "第--天 --:--"},
      {{{"start", kNaN}, {"interval", 8}, {"times", 2}},
       "首剂时间 第--天 --:--，间隔 8 小时，共 2 次：",
       "第--天 --:--  |  第--天 --:--"},
      {{{"start", 8}, {"interval", kInf}, {"times", 2}},
       "首剂时间 8:00，间隔 inf 小时，共 2 次：",
       "第1天 08:00  |  第--天 --:--"},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(DosingTimetable, c.inputs);
    const auto lines = Lines(outcome.result);
    ASSERT_EQ(lines.size(), 4u);
    if (c.header != nullptr) {
      EXPECT_EQ(lines[0], c.header);
    }
    EXPECT_EQ(lines[1], c.cells);
    EXPECT_EQ(outcome.verdict, "部分给药时间无法计算，请核对首剂时间与给药间隔") << c.cells;
    EXPECT_EQ(outcome.level, 3) << c.cells;
  }
  // A NaN interval is replaced like 0, and says so.
  const auto replaced = RunGenerator(DosingTimetable, {{"interval", kNaN}, {"times", 1}});
  EXPECT_EQ(Lines(replaced.result)[0],
            "首剂时间 0:00，间隔 8 小时（已输入 nan 小时，按默认 8 小时计），共 1 次：");
  EXPECT_EQ(replaced.verdict, "首剂时间或给药间隔已按默认值计，请核对");
  EXPECT_EQ(replaced.level, 2);
}

}  // namespace
}  // namespace tarn
