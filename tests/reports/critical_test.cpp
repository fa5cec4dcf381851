// Critical values by group, and the drug compatibility check: exact texts, every pair in both
// orders, the level each recorded pair grades, and numbers outside the drug table.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "report_fixture.h"
#include "reports/generators.h"

namespace tarn {
namespace {

using testing_reports::KeyValue;
using testing_reports::Lines;
using testing_reports::RunGenerator;
using testing_reports::Utf8;

constexpr const char* kCriticalHeading = "常见检验危急值（参考，需以本院文件为准）：\r\n";
constexpr const char* kCriticalHandling =
    "处置要求：核实标本→15 分钟内电话报告临床→记录报告与接听人→医师 30 分钟内处理并记录。\r\n";

TEST(CriticalValues, ElectrolytesAreSixLines) {
  const auto outcome = RunGenerator(CriticalValues, {{"kind", 1}});
  EXPECT_EQ(outcome.result, std::string(kCriticalHeading) +
                                "血钾 <2.5 或 >6.5 mmol/L\r\n"
                                "血钠 <120 或 >160 mmol/L\r\n"
                                "血钙 <1.5 或 >3.5 mmol/L\r\n"
                                "\r\n" +
                                kCriticalHandling);
  EXPECT_EQ(outcome.verdict, "危急值必须闭环：报告、接收、处理、记录");
  EXPECT_EQ(outcome.level, 0);
}

TEST(CriticalValues, GroupSelectsItsLines) {
  struct Case {
    std::vector<KeyValue> inputs;
    std::string lines;
    Level level;
  };
  // A number outside 1-6 once showed the catalogue line at level 0, as if it were a group.
  const auto notListed = [](const std::string& number) {
    return "组别编号 " + number +
           " 不在 1-6 之内，请核对编号；其他项目请查阅本院《危急值报告目录》\r\n";
  };
  const Case cases[] = {
      {{{"kind", 2}},
       "血糖 <2.8 或 >22.2 mmol/L\r\npH <7.20 或 >7.60；PaO2 <45 mmHg；PaCO2 >70 mmHg\r\n",
       0},
      {{{"kind", 3}},
       "白细胞 <1.0 或 >30.0 ×10^9/L\r\n血红蛋白 <50 g/L；血小板 <20 或 >1000 ×10^9/L\r\n",
       0},
      {{{"kind", 4}}, "INR >4.0；纤维蛋白原 <1.0 g/L\r\nD-二聚体显著升高并伴临床血栓表现\r\n", 0},
      {{{"kind", 5}}, "血培养阳性（无菌部位）\r\n脑脊液培养阳性；HIV 初筛阳性需确认\r\n", 0},
      {{{"kind", 6}},
       "肌钙蛋白明显升高（高于第 99 百分位）\r\n血淀粉酶/脂肪酶 >3 倍正常上限\r\n",
       0},
      {{{"kind", 7}}, notListed("7"), 1},
      {{{"kind", -1}}, notListed("-1"), 1},
      {{}, notListed("0"), 1},
      // 3.9 once read as group 3.
      {{{"kind", 3.9}}, notListed("3.9（须为整数）"), 2},
      {{{"kind", 1e10}}, notListed("（超出范围）"), 2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(CriticalValues, c.inputs);
    EXPECT_EQ(outcome.result, kCriticalHeading + c.lines + "\r\n" + kCriticalHandling);
    EXPECT_EQ(outcome.verdict, c.level == 0 ? "危急值必须闭环：报告、接收、处理、记录"
                                            : "危急值组别编号须为 1-6，请核对");
    EXPECT_EQ(outcome.level, c.level) << c.lines;
  }
}

constexpr const char* kNumbering =
    "编号：1头孢曲松 2葡萄糖酸钙 3万古霉素 4呋塞米 5氨溴索\r\n"
    "      6奥美拉唑 7维生素C 8胰岛素 9碳酸氢钠 10多巴胺\r\n";

TEST(DrugCompatibility, CalciumWithBicarbonateIsContraindicated) {
  const auto outcome = RunGenerator(DrugCompatibility, {{"drugA", 9}, {"drugB", 2}});
  EXPECT_EQ(
      outcome.result,
      std::string("待查：9 号 碳酸氢钠  +  2 号 葡萄糖酸钙\r\n\r\n") + kNumbering +
          "\r\n结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。\r\n");
  EXPECT_EQ(outcome.verdict, "禁忌：不可同瓶输注，需间隔冲管");
  EXPECT_EQ(outcome.level, 3);
}

TEST(DrugCompatibility, TheNumberingLinesNameTheDrugsOfTheTable) {
  // The fixed numbering and the names in the query line come from two places; keep them equal.
  std::string numbering = "编号：";
  for (std::int32_t number = 1; number <= kCompatDrugCount; ++number) {
    if (number == 6) numbering += "\r\n      ";
    else if (number > 1) numbering += " ";
    numbering += std::to_string(number) + Utf8(CompatDrugName(number));
  }
  EXPECT_EQ(numbering + "\r\n", kNumbering);
}

struct Grade {
  const char* conclusion;
  const char* verdict;
  Level level;
};

const Grade kContraindicated = {
    "结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。",
    "禁忌：不可同瓶输注，需间隔冲管", 3};
const Grade kVancomycin = {
    "结论：不宜同瓶。万古霉素与碱性药物/奥美拉唑配伍稳定性差，应分开输注并冲管。",
    "不宜同瓶，分开输注并冲管", 2};
const Grade kMixture = {"结论：不宜同瓶。呋塞米与多巴胺、氨溴索与碱性液混合易发生理化变化。",
                        "不宜同瓶，建议分开输注", 2};
const Grade kApart = {"结论：奥美拉唑与维生素C 同瓶 pH 冲突，稳定性下降，建议分开。",
                      "建议分开输注", 1};
const Grade kNothing = {
    "结论：本工具库内未收录该组合的明确禁忌，但仍须查本院配伍表并现配现用、注意冲管。",
    "未收录明确禁忌，仍需核对院内配伍表", 0};
const Grade kUnknownNumber = {"结论：药品编号须为 1-10，请核对编号后重新查询。",
                              "药品编号须为 1-10，请核对", 1};
const Grade kSameNumber = {"结论：两种药品编号相同，请核对编号后重新查询。",
                           "两种药品编号相同，请核对", 1};

const Grade& ExpectedGrade(int lo, int hi) {
  if (lo < 1 || hi > 10) return kUnknownNumber;
  if (lo == hi) return kSameNumber;
  if ((lo == 1 && hi == 2) || (lo == 2 && hi == 9)) return kContraindicated;
  if ((lo == 3 && hi == 6) || (lo == 3 && hi == 9)) return kVancomycin;
  if ((lo == 4 && hi == 10) || (lo == 5 && hi == 9)) return kMixture;
  if (lo == 6 && hi == 7) return kApart;
  return kNothing;
}

TEST(DrugCompatibility, EveryPairGradesTheSameInBothOrders) {
  for (int a = -1; a <= 11; ++a) {
    for (int b = -1; b <= 11; ++b) {
      const auto outcome = RunGenerator(DrugCompatibility, {{"drugA", static_cast<double>(a)},
                                                            {"drugB", static_cast<double>(b)}});
      const Grade& grade = ExpectedGrade(a < b ? a : b, a < b ? b : a);
      const auto lines = Lines(outcome.result);
      ASSERT_EQ(lines.size(), 7u) << a << "+" << b;  // six lines and the text after the last
      EXPECT_EQ(lines[0], "待查：" + std::to_string(a) + " 号 " + Utf8(CompatDrugName(a)) +
                              "  +  " + std::to_string(b) + " 号 " + Utf8(CompatDrugName(b)));
      EXPECT_EQ(lines[5], grade.conclusion) << a << "+" << b;
      EXPECT_EQ(outcome.verdict, grade.verdict) << a << "+" << b;
      EXPECT_EQ(outcome.level, grade.level) << a << "+" << b;
    }
  }
}

TEST(DrugCompatibility, FractionsAndUnknownNumbersAreNamedAsNotInTheTable) {
  struct Case {
    std::vector<KeyValue> inputs;
    const char* query;
    Level level;
  };
  const Case cases[] = {
      // 2.6 and 9.9 once read as drugs 2 and 9: a fraction is no drug number.
      {{{"drugA", 2.6}, {"drugB", 9.9}},
       "待查：2.6（须为整数） 号 （无此编号）  +  9.9（须为整数） 号 （无此编号）",
       2},
      {{{"drugA", 2}, {"drugB", 8.9999999999999982}},
       "待查：2 号 葡萄糖酸钙  +  8.999999999999998（须为整数） 号 （无此编号）",
       2},
      {{{"drugA", 7}, {"drugB", 6}}, "待查：7 号 维生素C  +  6 号 奥美拉唑", 1},
      // The same drug twice once passed as "no known conflict" at level 0.
      {{{"drugA", 3}, {"drugB", 3}}, "待查：3 号 万古霉素  +  3 号 万古霉素", 1},
      // An unknown number must never read as drug 1 (its pair with 2 is contraindicated),
      // nor pass as a pair with no known conflict: it was never looked up.
      {{}, "待查：0 号 （无此编号）  +  0 号 （无此编号）", 1},
      {{{"drugA", 11}, {"drugB", 2}}, "待查：11 号 （无此编号）  +  2 号 葡萄糖酸钙", 1},
      {{{"drugA", 12}, {"drugB", -2}}, "待查：12 号 （无此编号）  +  -2 号 （无此编号）", 1},
      // The out-of-range sentinel is never shown as a number.
      {{{"drugA", std::numeric_limits<double>::quiet_NaN()}, {"drugB", 2}},
       "待查：（超出范围） 号 （无此编号）  +  2 号 葡萄糖酸钙",
       2},
      // 1 + 2^32 is not drug 1: out of range reads as INT32_MIN, never wraps onto a number.
      {{{"drugA", 4294967297.0}, {"drugB", 2}},
       "待查：（超出范围） 号 （无此编号）  +  2 号 葡萄糖酸钙",
       2},
      {{{"drugA", 1}, {"drugB", 1e10}}, "待查：1 号 头孢曲松  +  （超出范围） 号 （无此编号）", 2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(DrugCompatibility, c.inputs);
    EXPECT_EQ(Lines(outcome.result)[0], c.query);
    EXPECT_EQ(outcome.level, c.level) << c.query;
  }
}

}  // namespace
}  // namespace tarn
