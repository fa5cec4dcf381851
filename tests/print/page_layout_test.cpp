// The printed page's layout on the real results: the default dose, the 40-nurse 31-day rota
// and the 30-bed handover, on the PDF printer's A4 and on other printers' pages.
#include "print/page_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "reports/report_fixture.h"
#include "reports/report_keys.h"
#include "run/calculate.h"

namespace tarn {
namespace {

using testing_reports::KeyValue;
using testing_reports::ReportTool;
using testing_reports::Utf8;

// The sheets the rows print on, in dots.
constexpr PageMetrics kPdfA4 = {2479, 3508, 0, 0, 2479, 3508, 300, 300};     // the PDF queue
constexpr PageMetrics kPostcard = {1181, 1748, 0, 0, 1181, 1748, 300, 300};  // A6
// The body font as the PDF printer measures it under Wine (its monospaced CJK face).
constexpr FontMetrics kMonoCjk = {600, 1000, 1173};
constexpr LocalDateTime kPrintTime = {2026, 3, 4, 5, 6, 7};

struct LayoutCase {
  const char* name;
  ReportKind kind;  // 0: the built-in dose tool on its defaults
  std::vector<KeyValue> inputs;
  PageMetrics page;
  std::int32_t pages;
  bool wrapped;  // a line wider than the page at the smallest font
};

const LayoutCase kCases[] = {
    {"DefaultDose", 0, {}, kPdfA4, 1, false},
    {"Rota40x31", 1, {{kKeyNurses, 40}, {kKeyDays, 31}}, kPdfA4, 1, false},
    {"Handover30Beds", 9, {{kKeyBeds, 30}}, kPdfA4, 1, false},
    {"Rota40x31OnA6", 1, {{kKeyNurses, 40}, {kKeyDays, 31}}, kPostcard, 5, true},
};

std::int64_t Width(const char16_t* text, std::int32_t length, std::int32_t height) {
  std::int64_t width = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    const std::int32_t cells = UnitCells(text[i]);
    const std::int64_t perMille = cells == 2 ? kMonoCjk.fullAdvance : kMonoCjk.halfAdvance;
    if (cells > 0) width += (height * perMille + 999) / 1000;
  }
  return width;
}

std::int64_t Widest(const std::u16string& text, std::int32_t height) {
  std::int64_t widest = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    const std::int64_t width =
        Width(text.data() + start, static_cast<std::int32_t>(end - start), height);
    if (width > widest) widest = width;
    start = end + 2;
  }
  return widest;
}

class PageLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PageLayoutTest, EveryLineWholeOnOnePageInAFontThatFits) {
  const LayoutCase& row = GetParam();
  const ToolDef& builtIn = GetBuiltInTool();
  ReportTool report(row.kind, row.inputs);
  const ToolDef& tool = row.kind == 0 ? builtIn : report.Tool();
  std::vector<double> values;
  for (std::int32_t i = 0; i < tool.inputCount; ++i) values.push_back(tool.inputs[i].defaultValue);
  char16_t result[kWholeResultCapacity];
  char16_t verdict[kVerdictTextCapacity];
  char16_t copy[kWholeResultCapacity];
  Level level = 0;
  Calculate(tool, values.data(), result, kWholeResultCapacity, verdict, kVerdictTextCapacity, level,
            copy, kWholeResultCapacity);
  const PrintSource source = {tool.title, tool.category, tool.subtitle,   result,  verdict,
                              level,      kPrintTime,    u"TarnMedSuite", u"1.0.0"};
  auto layout = std::make_unique<PageLayout>();
  LayOutPages(source, row.page, kMonoCjk, *layout);

  ASSERT_TRUE(layout->laidOut);
  EXPECT_EQ(layout->pageCount, row.pages);
  const std::int32_t dpi = row.page.dotsPerInchY;
  const std::int32_t width = layout->right - layout->left;
  EXPECT_GE(layout->bodyFontHeight, kSmallestBodyTenthPoints * dpi / 720);
  EXPECT_LE(layout->bodyFontHeight, kLargestBodyTenthPoints * dpi / 720);
  // The largest font that fits: one dot more and the widest line would pass the margin.
  const std::u16string text(result);
  if (!row.wrapped && layout->bodyFontHeight < kLargestBodyTenthPoints * dpi / 720) {
    EXPECT_GT(Widest(text, layout->bodyFontHeight + 1), width);
  }

  // The lines in order, each inside its page's body band and the width, and together the
  // whole result, then the verdict line with its level in words.
  std::u16string printed;
  std::u16string verdictPrinted;
  std::int32_t resultLines = 0;
  for (std::int32_t i = 0; i < layout->lineCount; ++i) {
    const PrintLine& line = layout->lines[i];
    const char16_t* from = line.verdict ? layout->verdictLine : result;
    EXPECT_LE(Width(from + line.start, line.length, layout->bodyFontHeight), width) << i;
    EXPECT_GE(line.top, layout->bodyTop) << i;
    EXPECT_LE(line.top + layout->linePitch, layout->footerRuleTop) << i;
    EXPECT_LT(line.page, layout->pageCount) << i;
    if (i > 0) {
      const PrintLine& before = layout->lines[i - 1];
      EXPECT_TRUE(line.page > before.page || (line.page == before.page && line.top > before.top));
      // A continued line never breaks inside a number or a word ("10日D", "mmHg").
      const auto isWordUnit = [](char16_t unit) {
        return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'z') || unit == u'.';
      };
      if (before.verdict == line.verdict && before.length > 0 &&
          before.start + before.length == line.start) {
        EXPECT_FALSE(isWordUnit(from[line.start - 1]) && isWordUnit(from[line.start])) << i;
      }
    }
    (line.verdict ? verdictPrinted : printed)
        .append(from + line.start, from + line.start + line.length);
    if (!line.verdict) ++resultLines;
  }
  std::u16string unbroken;
  std::int32_t sourceLines = 0;
  for (char16_t unit : text) {
    if (unit == u'\n') ++sourceLines;
    if (unit != u'\r' && unit != u'\n') unbroken += unit;
  }
  EXPECT_EQ(Utf8(printed.c_str()), Utf8(unbroken.c_str()));
  EXPECT_EQ(Utf8(verdictPrinted.c_str()), "—— 【" + Utf8(LevelName(level)) + "】" + Utf8(verdict));
  if (row.wrapped) {
    EXPECT_GT(resultLines, sourceLines);
  } else {
    EXPECT_EQ(resultLines, sourceLines);
  }
  EXPECT_EQ(Utf8(layout->footerLeft), "TarnMedSuite 1.0.0  ·  打印时间 2026-03-04 05:06");
  EXPECT_EQ(Utf8(layout->footerRight), "计算辅助，请与医嘱核对");
}

INSTANTIATE_TEST_SUITE_P(Results, PageLayoutTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& row) {
                           return std::string(row.param.name);
                         });

TEST(PageLayoutTexts, LevelsPageNumbersAndTheHeaderLine) {
  const char* const kNames[] = {"正常", "提示", "注意", "警示"};
  for (Level level = 0; level < 4; ++level) EXPECT_EQ(Utf8(LevelName(level)), kNames[level]);
  EXPECT_EQ(Utf8(LevelName(7)), "正常");  // shown like level 0, as the window colours it
  char16_t number[kPageNumberCapacity];
  PageNumberText(1, 3, number, kPageNumberCapacity);
  EXPECT_EQ(Utf8(number), "第 2 页，共 3 页");
}

// A page with no room between header and footer, or no width, is refused rather than drawn
// over its own margins.
TEST(PageLayoutTexts, APageWithoutRoomIsNotLaidOut) {
  const PrintSource source = {u"T", u"C", nullptr, u"1\r\n", u"v", 0, kPrintTime, u"P", u"1"};
  auto layout = std::make_unique<PageLayout>();
  for (const PageMetrics& page : {PageMetrics{600, 600, 0, 0, 600, 600, 300, 300},
                                  PageMetrics{2479, 3508, 0, 0, 2479, 3508, 0, 0}}) {
    LayOutPages(source, page, kMonoCjk, *layout);
    EXPECT_FALSE(layout->laidOut);
  }
  LayOutPages(source, kPdfA4, FontMetrics{0, 0, 0}, *layout);
  EXPECT_FALSE(layout->laidOut);
  EXPECT_EQ(Utf8(layout->headerLine), "C  ·  ");
}

}  // namespace
}  // namespace tarn
