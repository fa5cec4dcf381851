// The calculation run and value formats: exact result lines, notes, verdicts, levels, and
// that no capacity is ever overrun.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/value_format.h"
#include "run/calculate.h"
#include "test_support.h"
#include "text/buffer.h"

namespace tarn {
namespace {

using tarn_test::GuardedText;

std::u16string Text(const char16_t* text) { return std::u16string(text); }

struct CalcRun {
  std::u16string result;
  std::u16string verdict;
  std::u16string copy;
  Level level;
  Level returned;
};

CalcRun CalculateWith(const ToolDef& tool, std::vector<double> inputs) {
  inputs.resize(kMaxInputs);
  char16_t result[4096];
  char16_t verdict[512];
  char16_t copy[8192];
  CalcRun run{};
  run.level = -99;
  run.returned = Calculate(tool, inputs.data(), result, 4096, verdict, 512, run.level, copy, 8192);
  run.result = result;
  run.verdict = verdict;
  run.copy = copy;
  return run;
}

TEST(Calculate, BuiltInToolWithItsDefaults) {
  const CalcRun run = CalculateWith(GetBuiltInTool(), {12, 10, 20});
  EXPECT_EQ(run.result, u"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n");
  EXPECT_EQ(run.verdict, u"按体重计算完成，餐后服用减少胃肠刺激");
  EXPECT_EQ(run.level, 0);
  EXPECT_EQ(run.returned, 0);
  EXPECT_EQ(run.copy, run.result);
}

TEST(Calculate, LowWeightRaisesTheLevel) {
  const CalcRun run = CalculateWith(GetBuiltInTool(), {5, 10, 20});
  EXPECT_EQ(run.result, u"单次剂量：50.0 mg\r\n给药体积：2.50 ml\r\n每日上限：200 mg\r\n");
  EXPECT_EQ(run.verdict, u"体重过小，6 个月以下婴儿不推荐使用布洛芬");
  EXPECT_EQ(run.level, 2);
  EXPECT_EQ(run.returned, 2);
}

// A failed output once showed its substitute (0.00 ml) under the green verdict, which reads
// as a dose of nothing: it shows "--" and the tool's first rule flags the concentration.
TEST(Calculate, ZeroConcentrationShowsDashesAndTheNote) {
  const CalcRun run = CalculateWith(GetBuiltInTool(), {12, 10, 0});
  EXPECT_EQ(run.result,
            u"单次剂量：120.0 mg\r\n给药体积：-- ml\r\n每日上限：480 mg\r\n"
            u"（部分结果无法计算，请检查输入是否合理）\r\n");
  EXPECT_EQ(run.verdict, u"请核对：体重、每次剂量和浓度须大于 0");
  EXPECT_EQ(run.level, 3);
}

// 100 mg/kg and negative doses once got the green verdict, and so did 125 kg typed for 12.5
// (1250 mg a dose): the tool knows its reference's 5-10 mg/kg and a child's ceilings of
// 400 mg a dose and 2400 mg a day, checked at each boundary. First match wins, the more
// dangerous flag first (5 kg at 100 mg/kg is an overdose, not only a low weight); a failed
// figure ("--" ml at 1e-320 mg/ml) is never under a verdict below level 3.
TEST(Calculate, BuiltInToolRulesFlagWhatItsReferenceRulesOut) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::u16string notPositive = u"请核对：体重、每次剂量和浓度须大于 0";
  const std::u16string overDose = u"单次剂量超过儿童单次最大量 400 mg，请核对体重与每次剂量";
  const std::u16string outOfRange = u"每次剂量超出参考范围 5-10 mg/kg，请核对";
  const std::u16string overDay = u"按体重计算的每日量超过 2400 mg，每日总量不应超过 2400 mg";
  const std::u16string lowWeight = u"体重过小，6 个月以下婴儿不推荐使用布洛芬";
  const std::u16string strength = u"混悬液浓度不是常用的 20 或 40 mg/ml，请核对药品规格";
  const std::u16string failed = u"部分结果无法计算，请核对输入后重新计算";
  const std::u16string done = u"按体重计算完成，餐后服用减少胃肠刺激";
  const struct {
    double w, dose, conc;
    Level level;
    const std::u16string& verdict;
  } cases[] = {
      {12, 10, 20, 0, done},
      {12, 5, 20, 0, done},
      {12, 10, 40, 0, done},
      {40, 10, 20, 0, done},
      {60, 5, 20, 0, done},
      {6, 10, 20, 0, done},
      {40.0000001, 10, 20, 3, overDose},
      {60.0000001, 5, 20, 2, overDay},
      {12, 4.9999999, 20, 2, outOfRange},
      {5.9999999, 10, 20, 2, lowWeight},
      {12, 10, 20.0000001, 1, strength},
      {125, 10, 20, 3, overDose},
      {5, 100, 20, 3, overDose},
      {12, 40, 20, 3, overDose},
      {12, 100, 20, 3, overDose},
      {1e308, 10, 20, 3, overDose},
      {12, 10.01, 20, 2, outOfRange},
      {12, 4.99, 20, 2, outOfRange},
      {61, 4, 20, 2, outOfRange},
      {5, 20, 20, 2, outOfRange},
      {5, 10, 25, 2, lowWeight},
      {12, 10, 1e-320, 3, failed},
      {1e308, 1e-308, 20, 3, failed},
      {0, 10, 20, 3, notPositive},
      {-0.0, 10, 20, 3, notPositive},
      {-1, 10, 20, 3, notPositive},
      {12, -10, 20, 3, notPositive},
      {12, 0, 20, 3, notPositive},
      {12, 10, -20, 3, notPositive},
      {12, 10, -0.0, 3, notPositive},
      {nan, 10, 20, 3, notPositive},
      {12, nan, 20, 3, notPositive},
      {12, 10, nan, 3, notPositive},
  };
  for (const auto& c : cases) {
    const CalcRun run = CalculateWith(GetBuiltInTool(), {c.w, c.dose, c.conc});
    EXPECT_EQ(run.level, c.level) << c.w << " " << c.dose << " " << c.conc;
    EXPECT_EQ(run.verdict, c.verdict) << c.w << " " << c.dose << " " << c.conc;
  }
}

TEST(Calculate, NonFiniteValuesShowDashes) {
  const double inf = std::numeric_limits<double>::infinity();
  const CalcRun run = CalculateWith(GetBuiltInTool(), {inf, 10, 20});
  EXPECT_EQ(run.result,
            u"单次剂量：-- mg\r\n给药体积：-- ml\r\n每日上限：-- mg\r\n"
            u"（部分结果无法计算，请检查输入是否合理）\r\n");
}

// A tool exercising units, formats, output chaining and rule fall-through.
constexpr ToolInput kInputs[] = {{"a", u"甲", nullptr, 1}, {"b", u"乙", u"", 2}};
constexpr ToolOutput kOutputs[] = {
    {"x", u"后者", nullptr, "y + 1", "f0"},  // reads a later output: 0
    {"y", u"前者", u"", "a * 10", nullptr},  // no format: f2; empty unit: no unit
    {"z", u"链", u"%", "y / 4", "pct"},      // reads the earlier output
    {"self", u"自身", u"d", "self + 5", "date"},
};
constexpr ToolRule kRules[] = {
    {"nosuch > 0", 3, u"never: condition fails"},
    {"1 + nosuch", 3, u"never: condition fails, though not to 0"},
    {"z > 1000", 1, u"never: false"},
    {"y == 10", 2, u""},  // chosen, but its message is empty
    {"", 0, u"unreached"},
};
constexpr ToolDef kChainTool = {5,       u"t", nullptr,  u"c", u"r",   nullptr, 2,
                                kInputs, 4,    kOutputs, 5,    kRules, 0};

TEST(Calculate, OutputsReadEarlierOutputsAndZeroForLaterOnes) {
  const CalcRun run = CalculateWith(kChainTool, {1, 2});
  EXPECT_EQ(run.result, u"后者：1\r\n前者：10.00\r\n链：2.5% %\r\n自身：1970-01-06 d\r\n");
  // The chosen rule's message is empty: the default verdict with the chosen level.
  EXPECT_EQ(run.verdict, u"请核对输入参数后重新计算");
  EXPECT_EQ(run.level, 2);
}

TEST(Calculate, NoRulesOrNoOutputs) {
  static constexpr ToolDef bare = {9,       u"t", nullptr, u"c", u"r",    nullptr, 0,
                                   nullptr, 0,    nullptr, 0,    nullptr, 0};
  const CalcRun run = CalculateWith(bare, {});
  EXPECT_EQ(run.result, u"");
  EXPECT_EQ(run.verdict, u"请核对输入参数后重新计算");
  EXPECT_EQ(run.level, 0);
}

// Any tool: a failed output raises whatever verdict is below level 3 (none chosen, or a
// chosen one) and keeps one of level 3 or more with its own words.
TEST(Calculate, AFailedOutputIsNeverUnderAVerdictBelowLevelThree) {
  static constexpr ToolOutput outputs[] = {{"v", u"值", nullptr, "1/0", "f0"}};
  const struct {
    ToolRule rule;
    std::int32_t ruleCount;
    Level level;
    const char16_t* verdict;
  } cases[] = {
      {{"", 0, u"完成"}, 0, 3, u"部分结果无法计算，请核对输入后重新计算"},
      {{"", 0, u"完成"}, 1, 3, u"部分结果无法计算，请核对输入后重新计算"},
      {{"", 2, u"注意"}, 1, 3, u"部分结果无法计算，请核对输入后重新计算"},
      {{"", -1, u"负"}, 1, 3, u"部分结果无法计算，请核对输入后重新计算"},
      {{"", 3, u"危险"}, 1, 3, u"危险"},
      {{"", 3, u""}, 1, 3, u"请核对输入参数后重新计算"},
  };
  for (const auto& c : cases) {
    const ToolDef tool = {8,       u"t", nullptr, u"c",        u"r",    nullptr, 0,
                          nullptr, 1,    outputs, c.ruleCount, &c.rule, 0};
    const CalcRun run = CalculateWith(tool, {});
    EXPECT_EQ(run.result, u"值：--\r\n（部分结果无法计算，请检查输入是否合理）\r\n");
    EXPECT_EQ(run.level, c.level) << (&c - cases);
    EXPECT_EQ(run.returned, c.level) << (&c - cases);
    EXPECT_EQ(run.verdict, c.verdict) << (&c - cases);
  }
}

TEST(Calculate, OutputsPastTheCapAreNeitherComputedNorShown) {
  const std::vector<ToolOutput> outputs(kMaxOutputs + 1, {"v", u"值", nullptr, "1", "f0"});
  ToolDef tool{};
  tool.outputCount = kMaxOutputs + 1;
  tool.outputs = outputs.data();
  std::u16string lines;
  for (std::int32_t i = 0; i < kMaxOutputs; ++i) lines += u"值：1\r\n";
  EXPECT_EQ(CalculateWith(tool, {}).result, lines);
}

TEST(Calculate, EveryCapacityIsRespected) {
  // Guards against any write at or past a capacity, for every small capacity.
  const double inputs[kMaxInputs] = {12, 10, 0};
  const std::u16string full = CalculateWith(GetBuiltInTool(), {12, 10, 0}).result;
  const std::u16string verdictFull = u"请核对：体重、每次剂量和浓度须大于 0";
  constexpr std::int32_t kGuarded = 128;
  const std::int32_t largest = static_cast<std::int32_t>(full.size()) + 2;
  ASSERT_LT(largest, kGuarded);
  for (std::int32_t capacity = 1; capacity <= largest; ++capacity) {
    GuardedText<kGuarded> result, verdict, copy;
    Level level = -1;
    Calculate(GetBuiltInTool(), inputs, result.units, capacity, verdict.units, capacity, level,
              copy.units, capacity);
    const std::size_t kept = static_cast<std::size_t>(capacity) - 1;
    EXPECT_EQ(result.Text(), full.substr(0, kept)) << capacity;
    EXPECT_EQ(copy.Text(), full.substr(0, kept)) << capacity;
    EXPECT_EQ(verdict.Text(), verdictFull.substr(0, kept)) << capacity;
    ASSERT_TRUE(result.UntouchedFrom(capacity)) << capacity;
    ASSERT_TRUE(verdict.UntouchedFrom(capacity)) << capacity;
    ASSERT_TRUE(copy.UntouchedFrom(capacity)) << capacity;
  }
}

TEST(Calculate, ResultBufferWithoutCapacityGivesAnEmptyCopy) {
  // Found by fuzzing: the copy read the never-terminated result buffer past its end.
  static const ToolDef reportTool = {1,       u"t", nullptr, u"c", u"r",    nullptr, 0,
                                     nullptr, 0,    nullptr, 0,    nullptr, 3};
  for (const ToolDef* tool : {&GetBuiltInTool(), &reportTool}) {
    const double inputs[kMaxInputs] = {12, 10, 20};
    GuardedText<4> result;
    char16_t verdict[512];
    char16_t copy[64];
    Level level = -1;
    Calculate(*tool, inputs, result.units, 0, verdict, 512, level, copy, 64);
    EXPECT_EQ(Text(copy), u"");
    EXPECT_TRUE(result.UntouchedFrom(0));
  }
}

TEST(Calculate, ResultLinesAreCutAt255Characters) {
  static const std::u16string longLabel(300, u'长');
  static const ToolOutput outputs[] = {{"v", longLabel.c_str(), u"mg", "1", "f0"}};
  const ToolDef tool = {1,       u"t", nullptr, u"c", u"r",    nullptr, 0,
                        nullptr, 1,    outputs, 0,    nullptr, 0};
  const CalcRun run = CalculateWith(tool, {});
  EXPECT_EQ(run.result, longLabel.substr(0, 255));
}

struct FormatCase {
  const char* code;
  double value;
  const char16_t* text;
};

TEST(FormatValue, EveryCode) {
  const double inf = std::numeric_limits<double>::infinity();
  const FormatCase cases[] = {
      {"f0", 1234.5678, u"1235"},
      {"f1", 1234.5678, u"1234.6"},
      {"f2", 1234.5678, u"1234.57"},
      {"f3", 1234.5678, u"1234.568"},
      {"int", 1234.5678, u"1235"},
      {"pct", 1234.5678, u"1234.6%"},
      {"date", 1234.5678, u"1973-05-19"},
      {nullptr, 1234.5678, u"1234.57"},
      {"f5", 1.5, u"1.50"},
      {"F1", 1.5, u"1.50"},
      {"pc", 1.5, u"1.50"},  // codes match whole: not a prefix, nor an extension
      {"f10", 1.5, u"1.50"},
      {"pct", 12.5, u"12.5%"},
      {"int", 2.4, u"2"},
      // Exact halves go to the even neighbour, like printf.
      {"f0", 2.5, u"2"},
      {"f0", 3.5, u"4"},
      {"f0", -2.5, u"-2"},
      {"f1", 0.25, u"0.2"},
      {"f2", 0.125, u"0.12"},
      {"f2", 0.375, u"0.38"},
      {"f0", 0.5, u"0"},
      {"f1", 2.675, u"2.7"},
      {"f2", -0.001, u"-0.00"},
      {"f2", 0, u"0.00"},
      // Non-finite values show dashes whatever the code.
      {"f2", inf, u"--"},
      {"date", -inf, u"--"},
      {"pct", std::numeric_limits<double>::quiet_NaN(), u"--"},
      // Dates: truncated toward zero.
      {"date", 0, u"1970-01-01"},
      {"date", 19723, u"2024-01-01"},
      {"date", -1, u"1969-12-31"},
      {"date", 11016.9, u"2000-02-29"},
      {"date", -0.5, u"1970-01-01"},
      {"date", -719528, u"0000-01-01"},
      {"date", 2932896, u"9999-12-31"},
      {"date", 2932897, u"10000-01-01"},
      // Beyond any writable calendar.
      {"date", 1e300, u"--"},
      // Huge values: exponent form rather than a cut digit string.
      {"f2", 1e300, u"1e+300"},
      {"pct", -1.5e200, u"-1.5e+200%"},
      {"f0", 1e70, u"10000000000000000725314363815292351261583744096465219555182101554790400"},
      // The edge: a fixed text of 79 characters is shown whole, one of 80 in exponent form.
      {"f2", 5e75,
       u"5000000000000000235300672479527347945779800703933315382139354767449124765696.00"},
      {"f2", 2e76, u"2e+76"},
      {"pct", 5e75,
       u"5000000000000000235300672479527347945779800703933315382139354767449124765696.0%"},
      {"pct", 2e76, u"2e+76%"},
  };
  // Every value text is at most 79 characters: an 80-unit buffer holds it whole.
  constexpr std::int32_t kValueBuffer = 80;
  for (const FormatCase& c : cases) {
    GuardedText<kValueTextCapacity> out;
    FormatValue(c.code, c.value, out.units, kValueBuffer);
    EXPECT_EQ(out.Text(), Text(c.text)) << (c.code ? c.code : "null") << " " << c.value;
    EXPECT_TRUE(out.UntouchedFrom(kValueBuffer));
  }
}

// A cut date ("2024-01-1") reads as another day: a date that does not fit shows "--", itself
// cut like any text.
TEST(FormatValue, ADateThatDoesNotFitShowsDashes) {
  const std::u16string date = u"2024-01-01";
  for (std::int32_t capacity = 1; capacity <= 12; ++capacity) {
    GuardedText<16> out;
    FormatValue("date", 19723, out.units, capacity);
    const std::size_t kept = static_cast<std::size_t>(capacity) - 1;
    const std::u16string expected = kept >= date.size() ? date : Text(u"--").substr(0, kept);
    EXPECT_EQ(out.Text(), expected) << capacity;
    ASSERT_TRUE(out.UntouchedFrom(capacity)) << capacity;
  }
}

TEST(FormatValue, CutsAtEveryCapacity) {
  const std::u16string full = u"1234.568";
  for (std::int32_t capacity = 1; capacity <= 12; ++capacity) {
    GuardedText<16> out;
    FormatValue("f3", 1234.5678, out.units, capacity);
    EXPECT_EQ(out.Text(), full.substr(0, static_cast<std::size_t>(capacity) - 1));
    ASSERT_TRUE(out.UntouchedFrom(capacity)) << capacity;
  }
}

}  // namespace
}  // namespace tarn
