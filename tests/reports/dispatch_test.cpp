// RunReport: the kind table, the no-report texts, and the bound on every write (result and
// verdict) at every capacity; Calculate's hand-off of report kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

using tarn_test::GuardedText;
using tarn_test::kCanary;
using testing_reports::kAmpleResult;
using testing_reports::kAmpleVerdict;
using testing_reports::ReportTool;
using testing_reports::Utf8;

struct Outcome {
  std::u16string result;
  std::u16string verdict;
  Level level;
};

// Runs RunReport on buffers of exactly the given capacities, with guard units after each,
// and fails the test if anything was written at or past a capacity.
Outcome RunBounded(const ReportTool& tool, std::int32_t resultCapacity,
                   std::int32_t verdictCapacity) {
  constexpr std::int32_t kGuardUnits = 16;
  static_assert(kAmpleResult >= kAmpleVerdict, "one guarded size serves both texts");
  GuardedText<kAmpleResult + kGuardUnits> result, verdict;
  const Level level = RunReport(tool.Tool().reportKind, tool.Tool(), tool.Values(), result.units,
                                resultCapacity, verdict.units, verdictCapacity);
  EXPECT_TRUE(result.UntouchedFrom(resultCapacity)) << "result capacity " << resultCapacity;
  EXPECT_TRUE(verdict.UntouchedFrom(verdictCapacity)) << "verdict capacity " << verdictCapacity;
  Outcome outcome{{}, {}, level};
  if (resultCapacity > 0) outcome.result = result.Text();
  if (verdictCapacity > 0) outcome.verdict = verdict.Text();
  return outcome;
}

TEST(RunReport, KindsWithoutAGeneratorGiveTheNoReportTextsWithoutLineEnd) {
  for (ReportKind kind : {0, 12, -1, 100, INT32_MIN, INT32_MAX}) {
    const ReportTool tool(kind, {{"kind", 1.0}});
    const Outcome outcome = RunBounded(tool, 13, 21);
    EXPECT_EQ(Utf8(outcome.result.c_str()), "（该工具暂无自定义报告）") << kind;
    EXPECT_EQ(Utf8(outcome.verdict.c_str()), "暂无报告内容") << kind;
    EXPECT_EQ(outcome.level, 0);
  }
}

TEST(RunReport, NoReportTextsAreCutAtSmallCapacities) {
  // Storing them whole overran any buffer shorter than the text.
  const ReportTool tool(0, {});
  const Outcome outcome = RunBounded(tool, 4, 3);
  EXPECT_EQ(Utf8(outcome.result.c_str()), "（该工");
  EXPECT_EQ(Utf8(outcome.verdict.c_str()), "暂无");
}

TEST(RunReport, EmptiesBuffersThatHeldOldText) {
  const ReportTool tool(8, {});
  char16_t result[4096] = u"old result that must go";
  char16_t verdict[512] = u"old verdict";
  RunReport(8, tool.Tool(), tool.Values(), result, 4096, verdict, 512);
  EXPECT_EQ(Utf8(result).rfind("手术安全核查表", 0), 0u);
  EXPECT_EQ(Utf8(verdict), "三方核查缺一不可，签字后归档");
}

// One tool per kind, with inputs that make its report long enough to cut in many places.
struct KindCase {
  ReportKind kind;
  std::vector<testing_reports::KeyValue> inputs;
};

TEST(RunReport, EveryCapacityFromOneUpGivesAPrefixOfTheWholeReportAndNeverOverruns) {
  const KindCase cases[] = {
      {1, {{"nurses", 4}, {"days", 12}}},
      {2, {{"start", 8}, {"interval", 6}, {"times", 9}}},
      {3, {{"kind", 2}}},
      {4, {{"kind", 1}}},
      {5, {{"kind", 1}}},
      {6, {{"drugA", 9}, {"drugB", 2}}},
      {7, {{"start", 3}, {"gap", 5}, {"times", 4}}},
      {8, {}},
      {9, {{"beds", 3}}},
      {10, {{"bed", 12}, {"dose", 0.5}, {"volume", 100}, {"gtt", 40}}},
      {11, {{"panel", 2}}},
      {0, {}},
  };
  for (const KindCase& c : cases) {
    const ReportTool tool(c.kind, c.inputs);
    const Outcome whole = RunBounded(tool, kAmpleResult, kAmpleVerdict);
    ASSERT_GT(whole.result.size(), 10u);
    const std::int32_t wholeLength = static_cast<std::int32_t>(whole.result.size());
    for (std::int32_t capacity = -1; capacity <= wholeLength + 2; ++capacity) {
      const Outcome cut = RunBounded(tool, capacity, kAmpleVerdict);
      const std::size_t expectedLength =
          static_cast<std::size_t>(capacity < 1 ? 0 : std::min(capacity - 1, wholeLength));
      ASSERT_EQ(cut.result, whole.result.substr(0, expectedLength))
          << "kind " << c.kind << ", capacity " << capacity;
      ASSERT_EQ(cut.verdict, whole.verdict);  // a cut result leaves the verdict alone
      ASSERT_EQ(cut.level, whole.level);
    }
    const std::int32_t verdictLength = static_cast<std::int32_t>(whole.verdict.size());
    for (std::int32_t capacity = -1; capacity <= verdictLength + 2; ++capacity) {
      const Outcome cut = RunBounded(tool, kAmpleResult, capacity);
      const std::size_t expectedLength =
          static_cast<std::size_t>(capacity < 1 ? 0 : std::min(capacity - 1, verdictLength));
      ASSERT_EQ(cut.verdict, whole.verdict.substr(0, expectedLength))
          << "kind " << c.kind << ", verdict capacity " << capacity;
      ASSERT_EQ(cut.result, whole.result);
    }
  }
}

// The window once showed a report cut at 4,095 units (the 40 × 31 rota lost nurses 26 to 40
// with no notice): at the largest inputs each kind allows, a whole-result buffer holds all.
TEST(RunReport, EveryKindAtItsLargestInputsFitsAWholeResultBuffer) {
  constexpr double kHuge = std::numeric_limits<double>::max();
  const KindCase cases[] = {
      {1, {{"nurses", 40}, {"days", 31}}},
      {2, {{"start", -kHuge}, {"interval", kHuge}, {"times", 30}}},
      {2, {{"start", 1e17}, {"interval", 1}, {"times", 30}}},  // the longest day numbers
      {3, {{"kind", 2}}},
      {4, {{"kind", 1}}},
      {5, {{"kind", 1}}},
      {6, {{"drugA", INT32_MIN}, {"drugB", INT32_MIN}}},
      {7, {{"start", INT32_MAX}, {"gap", INT32_MAX}, {"times", 20}}},
      {8, {}},
      {9, {{"beds", 30}}},
      {10, {{"bed", INT32_MIN}, {"dose", -kHuge}, {"volume", -kHuge}, {"gtt", -kHuge}}},
      {11, {{"panel", 2}}},
  };
  for (const KindCase& c : cases) {
    const ReportTool tool(c.kind, c.inputs);
    const Outcome unbounded = RunBounded(tool, 4 * kWholeResultCapacity, kAmpleVerdict);
    const Outcome window = RunBounded(tool, kWholeResultCapacity, kAmpleVerdict);
    EXPECT_LT(unbounded.result.size(), static_cast<std::size_t>(kWholeResultCapacity - 1))
        << "kind " << c.kind;
    EXPECT_EQ(window.result, unbounded.result) << "kind " << c.kind;
    EXPECT_EQ(window.result.substr(window.result.size() - 2), u"\r\n") << "kind " << c.kind;
  }
}

TEST(RunReport, NullBuffersWithNoCapacityAreLeftAlone) {
  const ReportTool tool(9, {{"beds", 30}});
  EXPECT_EQ(RunReport(9, tool.Tool(), tool.Values(), nullptr, 0, nullptr, 0), 0);
  const ReportTool drugs(6, {{"drugA", 1}, {"drugB", 2}});
  EXPECT_EQ(RunReport(6, drugs.Tool(), drugs.Values(), nullptr, 0, nullptr, 0), 3);
}

TEST(Calculate, HandsReportKindsToRunReportAndCopiesTheResultUnchanged) {
  const KindCase cases[] = {
      {6, {{"drugA", 7}, {"drugB", 6}}},
      {9, {{"beds", 2}}},
      {12, {}},
  };
  for (const KindCase& c : cases) {
    const ReportTool tool(c.kind, c.inputs);
    std::vector<char16_t> direct(4096, 0), directVerdict(512, 0);
    const Level directLevel = RunReport(c.kind, tool.Tool(), tool.Values(), direct.data(), 4096,
                                        directVerdict.data(), 512);

    std::vector<char16_t> result(4096, kCanary), verdict(512, kCanary), copy(8192, kCanary);
    Level level = -7;
    const Level returned = Calculate(tool.Tool(), tool.Values(), result.data(), 4096,
                                     verdict.data(), 512, level, copy.data(), 8192);
    EXPECT_EQ(returned, directLevel) << c.kind;
    EXPECT_EQ(level, directLevel);
    EXPECT_EQ(Utf8(result.data()), Utf8(direct.data()));
    EXPECT_EQ(Utf8(verdict.data()), Utf8(directVerdict.data()));  // no default verdict added
    EXPECT_EQ(Utf8(copy.data()), Utf8(result.data()));
  }
}

}  // namespace
}  // namespace tarn
