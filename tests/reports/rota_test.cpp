// The shift rota (texts, clamps, the shift pattern, the whole 40 × 31 rota) and the
// dosing timetable (clock and day arithmetic, including values no clock can show).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "engine/calc.h"
#include "report_fixture.h"
#include "reports/generators.h"
#include "reports/report.h"
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
  EXPECT_EQ(outcome.result, std::string(kRotaRule) + "人员：1 人；周期：1 天\r\n\r\n" +
                                "护士01：\r\n  1日D \r\n\r\n" + kRotaHint);
  EXPECT_EQ(outcome.verdict, "已生成轮转排班表，可复制到排班本或表格");
  EXPECT_EQ(outcome.level, 0);
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
    const char* lastNurseCells;  // the cell line of the last nurse
  };
  const Case cases[] = {
      {{{"nurses", 2.9}, {"days", 3}}, "人员：2 人；周期：3 天", "  1日N 2日D 3日R "},
      {{{"nurses", -4}, {"days", 0}}, "人员：1 人；周期：1 天", "  1日D "},
      {{{"nurses", kNaN}, {"days", kInf}}, "人员：1 人；周期：1 天", "  1日D "},
      {{{"days", 2}, {"nurses", 4}},
       "人员：4 人；周期：2 天",
       "  1日D 2日R "},  // nurse 4 = nurse 1
  };
  for (const Case& c : cases) {
    const auto lines = Lines(RunGenerator(ShiftRota, c.inputs).result);
    EXPECT_EQ(lines[1], c.sizeLine);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[lines.size() - 4], c.lastNurseCells) << c.sizeLine;
  }
}

TEST(ShiftRota, AnyThreeConsecutiveNursesHoldEachShiftOnEveryDay) {
  const auto lines = Lines(RunGenerator(ShiftRota, {{"nurses", 50}, {"days", 40}}).result);
  EXPECT_EQ(lines[1], "人员：40 人；周期：31 天");
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
  EXPECT_EQ(Utf8(verdict.data()), "已生成轮转排班表，可复制到排班本或表格");
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
  };
  const Case cases[] = {
      {{}, "首剂时间 0:00，间隔 8 小时，共 1 次：", "第1天 00:00"},
      {{{"interval", -6}, {"times", 2}},
       "首剂时间 0:00，间隔 8 小时，共 2 次：",
       "第1天 00:00  |  第1天 08:00"},
      {{{"start", -3}}, "首剂时间 0:00，间隔 8 小时，共 1 次：", "第1天 00:00"},
      {{{"start", -0.5}}, "首剂时间 0:00，间隔 8 小时，共 1 次：", "第1天 00:00"},
      // The header reads the cells' clock ("首剂时间 8:00" once stood over 08:30) and shows
      // the interval with the digits it has; past day 1 it shows the first cell itself.
      {{{"start", 8.5}}, "首剂时间 8:30，间隔 8 小时，共 1 次：", "第1天 08:30"},
      {{{"start", 2.5}, {"interval", 1.5}, {"times", 3}},
       "首剂时间 2:30，间隔 1.5 小时，共 3 次：",
       "第1天 02:30  |  第1天 04:00  |  第1天 05:30"},
      {{{"interval", 0.5}, {"times", 2}},
       "首剂时间 0:00，间隔 0.5 小时，共 2 次：",
       "第1天 00:00  |  第1天 00:30"},
      {{{"start", 100}}, "首剂时间 第5天 04:00，间隔 8 小时，共 1 次：", "第5天 04:00"},
      {{{"start", 22}, {"interval", 12}, {"times", 3}},
       "首剂时间 22:00，间隔 12 小时，共 3 次：",
       "第1天 22:00  |  第2天 10:00  |  第2天 22:00"},
      // Rounded to the nearest minute: 8.2 h is 491.99999... minutes, once shown as 08:11.
      {{{"start", 8.2}, {"interval", 1.2}, {"times", 3}},
       "首剂时间 8:12，间隔 1.2 小时，共 3 次：",
       "第1天 08:12  |  第1天 09:24  |  第1天 10:36"},
      {{{"start", 0.999}}, "首剂时间 1:00，间隔 8 小时，共 1 次：", "第1天 01:00"},
      {{{"start", 23.9999}, {"times", 2.9}},
       "首剂时间 第2天 00:00，间隔 8 小时，共 2 次：",
       "第2天 00:00  |  第2天 08:00"},
      // Whole days stay exact up to 2^52 days after the first dose.
      {{{"start", 24.0 * 4503599627370496.0}},
       "首剂时间 第4503599627370497天 00:00，间隔 8 小时，共 1 次：",
       "第4503599627370497天 00:00"},
  };
  for (const Case& c : cases) {
    const auto lines = Lines(RunGenerator(DosingTimetable, c.inputs).result);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], c.header);
    EXPECT_EQ(lines[1], c.cells) << c.header;
    EXPECT_EQ(lines[2] + "\r\n", kDosingNote);
  }
}

TEST(DosingTimetable, TimesAreClampedToThirtyCells) {
  for (double times : {30.0, 45.0, 1e10}) {
    const auto lines = Lines(RunGenerator(DosingTimetable, {{"times", times}}).result);
    const std::string expectedCount = times > 1e9 ? "1" : "30";
    EXPECT_EQ(lines[0], "首剂时间 0:00，间隔 8 小时，共 " + expectedCount + " 次：");
    std::size_t separators = 0;
    for (std::size_t at = lines[1].find("  |  "); at != std::string::npos;
         at = lines[1].find("  |  ", at + 1)) {
      ++separators;
    }
    EXPECT_EQ(separators + 1, times > 1e9 ? 1u : 30u);
    const std::string last = "  |  第10天 16:00";
    if (times < 1e9) {
      EXPECT_EQ(lines[1].substr(lines[1].size() - last.size()), last);
    }
  }
}

TEST(DosingTimetable, TimesNoClockCanShowPrintAsDashesInsteadOfOverflowing) {
  // Converting such hours to whole days or hours was undefined behaviour.
  struct Case {
    std::vector<KeyValue> inputs;
    const char* header;
    const char* cells;
  };
  const Case cases[] = {
      {{{"interval", 1e300}, {"times", 3}},
       nullptr,
       "第1天 00:00  |  第--天 --:--  |  第--天 --:--"},
      {{{"start", 1e300}}, nullptr, "第--天 --:--"},
      {{{"start", 24.0 * 9007199254740992.0}}, nullptr, "第--天 --:--"},  // day 2^53: inexact
      {{{"start", kInf}}, "首剂时间 第--天 --:--，间隔 8 小时，共 1 次：", "第--天 --:--"},
      {{{"start", kNaN}, {"times", 2}},
       "首剂时间 第--天 --:--，间隔 8 小时，共 2 次：",
       "第--天 --:--  |  第--天 --:--"},
      {{{"start", 8}, {"interval", kInf}, {"times", 2}},
       "首剂时间 8:00，间隔 inf 小时，共 2 次：",
       "第1天 08:00  |  第--天 --:--"},
      {{{"interval", kNaN}}, "首剂时间 0:00，间隔 8 小时，共 1 次：", "第1天 00:00"},
  };
  for (const Case& c : cases) {
    const auto lines = Lines(RunGenerator(DosingTimetable, c.inputs).result);
    ASSERT_EQ(lines.size(), 4u);
    if (c.header != nullptr) {
      EXPECT_EQ(lines[0], c.header);
    }
    EXPECT_EQ(lines[1], c.cells);
  }
}

}  // namespace
}  // namespace tarn
