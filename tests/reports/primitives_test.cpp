// Whole numbers, input lookup and the bounded line appends that every report is built from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

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

TEST(WholeNumber, TruncatesTowardZeroAndMapsTheUnrepresentableToInt32Min) {
  struct Case {
    double value;
    std::int32_t expected;
    bool whole;  // IsWholeNumber: kept unchanged, so a report may use it as typed
  };
  const Case cases[] = {
      {2.9, 2, false},
      {-2.9, -2, false},
      {-0.0, 0, true},
      {0.5, 0, false},
      {3, 3, true},
      {2.9999999999999996, 2, false},  // a fraction just below whole is no whole number
      {2147483647.0, INT32_MAX, true},
      {2147483647.9, INT32_MAX, false},  // truncation lands on the top of the range
      {2147483648.0, INT32_MIN, false},  // one past the top
      {-2147483647.0, -INT32_MAX, true},
      {-2147483648.0, INT32_MIN, false},  // the bottom itself
      {-2147483648.9, INT32_MIN, false},  // truncates onto the bottom
      {-2147483649.0, INT32_MIN, false},
      {1e300, INT32_MIN, false},
      {-1e300, INT32_MIN, false},
      {kInf, INT32_MIN, false},
      {-kInf, INT32_MIN, false},
      {kNaN, INT32_MIN, false},
      {-kNaN, INT32_MIN, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WholeNumber(c.value), c.expected) << c.value;
    EXPECT_EQ(IsWholeNumber(c.value), c.whole) << c.value;
  }
}

TEST(InputValue, FindsTheFirstExactKeyAndReadsZeroOtherwise) {
  // An input without a key is passed over.
  const ReportTool tool(0,
                        {{nullptr, 5.0}, {"beds", 3.0}, {"bed", 7.5}, {"bed", 9.0}, {"Gap", 2.0}});
  EXPECT_EQ(InputValue(tool.Tool(), tool.Values(), "bed"), 7.5);   // first of two "bed"
  EXPECT_EQ(InputValue(tool.Tool(), tool.Values(), "beds"), 3.0);  // no prefix matching
  EXPECT_EQ(InputValue(tool.Tool(), tool.Values(), "gap"), 0.0);   // case-sensitive
  EXPECT_EQ(InputValue(tool.Tool(), tool.Values(), "be"), 0.0);
  EXPECT_EQ(InputValue(tool.Tool(), tool.Values(), ""), 0.0);

  const ReportTool empty(0, {});
  EXPECT_EQ(InputValue(empty.Tool(), empty.Values(), "bed"), 0.0);
}

// A buffer of `capacity` units holding `existing` ASCII 'x's, then guard units past it.
struct Buffer : tarn_test::GuardedText<24> {
  Buffer(std::int32_t unitCapacity, std::int32_t existing) : capacity(unitCapacity) {
    for (std::int32_t i = 0; i < existing; ++i) units[i] = u'x';
    if (unitCapacity > 0) units[existing] = 0;
  }
  bool CanariesIntact() const { return UntouchedFrom(capacity); }
  std::int32_t capacity;
};

TEST(AppendLine, AppendsTheLineThenAsMuchOfCrLfAsFits) {
  struct Case {
    std::int32_t capacity;
    std::int32_t existing;  // length of the text already there
    const char16_t* line;
    const char* added;  // what follows the existing text afterwards
  };
  const Case cases[] = {
      {16, 0, u"abc", "abc\r\n"}, {16, 0, u"", "\r\n"},  // an empty line is CR LF alone
      {16, 14, u"abc", "a"},      // capacity - 2: one unit of the line, no line end
      {16, 12, u"ab", "ab\r"},    // one short of full after the line: only the CR
      {16, 11, u"ab", "ab\r\n"},  // exactly fits
      {16, 15, u"abc", ""},       // full: nothing
      {16, 13, u"", "\r\n"},      {16, 14, u"", "\r"},
      {1, 0, u"abc", ""},  // room for the terminator only
      {2, 0, u"abc", "a"},
  };
  for (const Case& c : cases) {
    Buffer buffer(c.capacity, c.existing);
    AppendLine(buffer.units, c.capacity, u"%ls", c.line);
    EXPECT_EQ(Utf8(buffer.units), std::string(static_cast<std::size_t>(c.existing), 'x') + c.added)
        << "capacity " << c.capacity << ", existing " << c.existing;
    EXPECT_TRUE(buffer.CanariesIntact());
  }
}

TEST(AppendLine, WritesNothingForACapacityBelowOne) {
  for (std::int32_t capacity : {0, -1, INT32_MIN}) {
    tarn_test::GuardedText<4> buffer;
    AppendLine(buffer.units, capacity, u"abc");
    AppendText(buffer.units, capacity, u"abc");
    TextWriter fixed = TextWriter::After(buffer.units, capacity);
    WriteFixedLine(fixed, u"abc");
    EXPECT_TRUE(buffer.UntouchedFrom(0)) << capacity;
  }
}

TEST(AppendLine, CutsAFormattedLineAt511UnitsAndStillEndsIt) {
  const std::u16string longText(700, u'字');
  std::vector<char16_t> buffer(2048, 0);
  AppendLine(buffer.data(), 2048, u"%ls", longText.c_str());
  const std::u16string written(buffer.data());
  EXPECT_EQ(written, std::u16string(511, u'字') + u"\r\n");
}

// Two 1e300 values once made a 600-unit line cut inside the second digit string, which then
// read as a (wrong) number: a line that would not fit writes its long numbers in "%.6g" form,
// keeps its short ones as they are, and ends with the text after them.
// The fixed-point digits of a value, as the formatter writes them on their own.
std::string WholeDigits(double value) {
  char16_t text[kReportLineCapacity];
  Format(text, kReportLineCapacity, u"%.0f", value);
  return Utf8(text);
}

TEST(AppendLine, NumbersThatWouldBeCutAreWrittenWholeInExponentForm) {
  const struct {
    std::size_t fillerUnits;  // text before the numbers
    const char16_t* tmpl;
    double first;
    double second;
    std::string expected;  // after the filler
  } cases[] = {
      {0, u"%ls间隔 %.0f 与 %.2f 小时", 1e300, -1e300, "间隔 1e+300 与 -1e+300 小时"},
      {300, u"%ls%.2f ，%.0f ml", 2.5, 1e300, "2.50 ，1e+300 ml"},
      {420, u"%ls%.0f 与 %d", 1e100, 12345, "1e+100 与 12345"},
      {300, u"%ls%.0f%ls", 1e100, 0, WholeDigits(1e100)},  // fits: the digits stay
      // A fixed text of 79 characters is never shortened; only a longer one may be.
      {420, u"%ls%.2f 与 %.0f", 5e75, 1e300,
       "5000000000000000235300672479527347945779800703933315382139354767449124765696.00 与 "
       "1e+300"},
  };
  for (const auto& c : cases) {
    const std::u16string filler(c.fillerUnits, u'字');
    std::vector<char16_t> buffer(2048, 0);
    AppendLine(buffer.data(), 2048, c.tmpl, filler.c_str(), c.first, c.second);
    EXPECT_EQ(Utf8(buffer.data()), Utf8(filler.c_str()) + c.expected + "\r\n") << c.expected;
  }
}

TEST(AppendLine, ReportLinesAtHugeValuesEndWithTheirUnits) {
  const struct {
    ReportGenerator generator;
    std::vector<KeyValue> inputs;
    std::size_t line;
    const char* expected;
  } cases[] = {
      {DosingTimetable,
       {{"start", 1e300}, {"interval", 1e300}, {"times", 2}},
       0,
       "首剂时间 第--天 --:--，间隔 1e+300 小时，共 2 次："},
      {InfusionCard,
       {{"dose", 1e300}, {"volume", 1e300}},
       2,
       "药液：医嘱药量 1e+300 ，加入溶媒 1e+300 ml"},
      {InfusionCard, {{"gtt", 1e300}}, 3, "滴速：1e+300 滴/分（约 3e+300 ml/h）"},
      {InfusionCard,
       {{"dose", 1.2345678e100}, {"volume", 1}},
       2,
       "药液：医嘱药量 1.2345678e+100 ，加入溶媒 1 ml"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lines(RunGenerator(c.generator, c.inputs).result)[c.line], c.expected);
  }
}

TEST(AppendLine, ExpandsDoublePercentButFixedLinesKeepEveryPercentSign) {
  char16_t buffer[64] = {};
  AppendLine(buffer, 64, u"SpO2＿%%；%02d", 7);
  TextWriter fixed = TextWriter::After(buffer, 64);
  WriteFixedLine(fixed, u"10% 氯化钾、25%% 硫酸镁 %d");
  EXPECT_EQ(Utf8(buffer), "SpO2＿%；07\r\n10% 氯化钾、25%% 硫酸镁 %d\r\n");
}

TEST(AppendText, AppendsWithoutLineEndCutAtCapacityMinusOne) {
  Buffer buffer(8, 3);
  AppendText(buffer.units, 8, u"  1日D ");
  EXPECT_EQ(Utf8(buffer.units), "xxx  1日");
  EXPECT_TRUE(buffer.CanariesIntact());
  AppendText(buffer.units, 8, u"more");
  EXPECT_EQ(Utf8(buffer.units), "xxx  1日");
}

}  // namespace
}  // namespace tarn
