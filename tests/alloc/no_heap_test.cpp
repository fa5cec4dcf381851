// The engine, the reports and the self-test's work allocate nothing from the heap: every
// allocation of the process is counted around them (see alloc_counter.cpp) and must not move.
// Each case is run in a loop over awkward inputs, so a path taken only by some values counts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "alloc/alloc_counter.h"
#include "app/command_line.h"
#include "app/selftest.h"
#include "engine/expr.h"
#include "engine/value_format.h"
#include "platform/platform.h"
#include "reports/report.h"
#include "run/calculate.h"

namespace tarn {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every key that any report reads, in one tool, so each generator sees the values below.
constexpr ToolInput kReportInputs[] = {
    {"nurses", u"", nullptr, 0},   {"days", u"", nullptr, 0},  {"start", u"", nullptr, 0},
    {"interval", u"", nullptr, 0}, {"times", u"", nullptr, 0}, {"kind", u"", nullptr, 0},
    {"drugA", u"", nullptr, 0},    {"drugB", u"", nullptr, 0}, {"gap", u"", nullptr, 0},
    {"beds", u"", nullptr, 0},     {"bed", u"", nullptr, 0},   {"dose", u"", nullptr, 0},
    {"volume", u"", nullptr, 0},   {"gtt", u"", nullptr, 0},   {"panel", u"", nullptr, 0},
};
constexpr std::int32_t kReportInputCount = sizeof kReportInputs / sizeof kReportInputs[0];

// Value sets for the report tool: ordinary, the largest rota, zeros, and the awkward ones.
constexpr double kReportValues[][kReportInputCount] = {
    {40, 31, 8, 6, 4, 2, 3, 5, 7, 30, 12, 500, 250, 20, 3},
    {3, 7, 20.5, 8, 3, 1, 1, 2, 14, 3, 1, 100, 100, 15, 1},
    {},
    {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
    {kInf, kInf, kInf, kInf, kInf, -kInf, kInf, -kInf, kInf, kInf, kInf, kInf, kInf, kInf, kInf},
    {1e300, 1e300, -1e300, 1e300, 1e300, 1e300, 1e300, 1e300, 1e300, 1e300, 1e300, 1e300, 1e300,
     1e300, 1e300},
    {-5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5, -5},
};

const char* const kFormulas[] = {
    "w*dose",
    "w*dose/conc",
    "w*40",
    "w<6",
    "max(0, min(w*dose, 400)) / conc + (w<6 ? 1 : 0)",
    "sqrt(-1) + log(0) + mod(1, 0) + 1/0 + unknown + f(2) + (((",
    "cbrt(-8) + pow(2, 10) + round(2.5) + sign(-3) + 0x1p4 + 1e400",
};

const double kToolValues[][kMaxInputs] = {
    {12, 10, 20},           {5, 10, 20}, {0, 0, 0}, {12, 10, 0}, {kNaN, 10, 20}, {kInf, -kInf, 1},
    {1e300, 1e300, 1e-300},
};

// Runs `work` and returns how many allocations it made.
template <typename Work>
std::int64_t AllocationsOf(Work work) {
  const std::int64_t before = AllocationCount();
  work();
  return AllocationCount() - before;
}

class NoHeap : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The C library loads the time zone on its first local-time query; that one-time load
    // belongs to the platform, not to the reports that ask for today's date.
    LocalNow();
  }
};

TEST_F(NoHeap, TheCounterSeesAllocations) {
  // Guards against a counter that is never called, which would pass every test below.
  static void* volatile sink = nullptr;
  EXPECT_GE(AllocationsOf([] { sink = ::operator new(16); }), 1);
  ::operator delete(sink);
  if (CountsMalloc()) {
    EXPECT_GE(AllocationsOf([] { sink = std::malloc(16); }), 1);
    std::free(sink);
  }
}

TEST_F(NoHeap, EvalExpr) {
  const ToolDef& tool = GetBuiltInTool();
  const double outputs[kMaxOutputs] = {120, 6, 480};
  double sum = 0;
  const std::int64_t count = AllocationsOf([&] {
    for (const auto& values : kToolValues) {
      for (const char* formula : kFormulas) {
        std::int32_t failed = 0;
        sum += EvalExpr(tool, formula, values, outputs, failed);
      }
    }
  });
  EXPECT_EQ(count, 0);
  EXPECT_NE(sum, 0);
}

TEST_F(NoHeap, CalculateTheBuiltInTool) {
  static char16_t result[4096], verdict[512], copy[8192];
  const std::int64_t count = AllocationsOf([&] {
    for (const auto& values : kToolValues) {
      Level level = 0;
      Calculate(GetBuiltInTool(), values, result, 4096, verdict, 512, level, copy, 8192);
    }
  });
  EXPECT_EQ(count, 0);
  EXPECT_NE(copy[0], 0);
}

TEST_F(NoHeap, EveryReportKindDirectlyAndThroughCalculate) {
  static char16_t result[8192], verdict[512], copy[8192];
  for (ReportKind kind = 0; kind <= 12; ++kind) {
    const ToolDef tool = {
        1, u"t",    nullptr, u"c",    u"r", nullptr, kReportInputCount, kReportInputs,
        0, nullptr, 0,       nullptr, kind};
    const std::int64_t count = AllocationsOf([&] {
      for (const auto& values : kReportValues) {
        RunReport(kind, tool, values, result, 8192, verdict, 512);
        RunReport(kind, tool, values, result, 4096, verdict, 512);  // the window's size
        Level level = 0;
        Calculate(tool, values, result, 4096, verdict, 512, level, copy, 8192);
      }
    });
    EXPECT_EQ(count, 0) << "report kind " << kind;
  }
}

TEST_F(NoHeap, SelfTestReport) {
  static char16_t report[kSelfTestReportCapacity];
  int code = -1;
  const std::int64_t count = AllocationsOf(
      [&] { code = BuildSelfTestReport(GetBuiltInTool(), report, kSelfTestReportCapacity); });
  EXPECT_EQ(count, 0);
  EXPECT_EQ(code, 0);
}

TEST_F(NoHeap, ValueFormatsAndCommandLine) {
  const char* const codes[] = {"f0", "f1", "f2", "f3", "int", "pct", "date", nullptr, "x"};
  const double values[] = {0, -2.5, 1234.5678, 19723, 1e300, -1e75, kNaN, kInf};
  static char16_t text[kValueTextCapacity];
  static char16_t path[kSelfTestPathCapacity];
  const std::int64_t count = AllocationsOf([&] {
    for (const char* code : codes) {
      for (const double value : values) FormatValue(code, value, text, kValueTextCapacity);
    }
    ParseSelfTestCommand(u"talvoro --selftest \"a b.txt\"", path, kSelfTestPathCapacity);
    ParseSelfTestCommand(u"talvoro", path, kSelfTestPathCapacity);
  });
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace tarn
