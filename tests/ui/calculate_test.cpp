// The calculate command in the real window: texts shown, level and its colour, copy text,
// status line, focus, and how every form of input text is read or refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reports/report.h"
#include "run/calculate.h"
#include "text/input_number.h"
#include "ui/main_window.h"
#include "ui/theme.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

const std::u16string kDefaultResult =
    u"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n";
const std::u16string kNormalVerdict = u"按体重计算完成，餐后服用减少胃肠刺激";
const std::u16string kLowWeightVerdict = u"体重过小，6 个月以下婴儿不推荐使用布洛芬";

// True when the verdict label's font draws its whole text inside the label.
bool VerdictFitsLabel() {
  RECT label = {};
  GetClientRect(gWindow.verdictLabel, &label);
  wchar_t text[600] = {};
  GetWindowTextW(gWindow.verdictLabel, text, 600);
  HDC dc = GetDC(gWindow.verdictLabel);
  const HGDIOBJ previous = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(gWindow.verdictLabel, WM_GETFONT, 0, 0)));
  RECT box = {0, 0, label.right, 0};
  DrawTextW(dc, text, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  SelectObject(dc, previous);
  ReleaseDC(gWindow.verdictLabel, dc);
  return box.bottom <= label.bottom;
}

TEST_F(WindowTest, DefaultsGiveTheThreeLinesTheNormalVerdictAndTheirCopyText) {
  PressKey(Edit(0), VK_F5);
  EXPECT_EQ(Text(gWindow.resultBox), kDefaultResult);
  EXPECT_EQ(Text(gWindow.verdictLabel), kNormalVerdict);
  EXPECT_EQ(gWindow.verdictLevel, 0);
  EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), RGB(0, 128, 96));
  EXPECT_EQ(std::u16string(gWindow.lastResultText), kDefaultResult);
  EXPECT_EQ(std::u16string(gWindow.copyText), kDefaultResult + u"—— " + kNormalVerdict);
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  EXPECT_EQ(GetFocus(), window_);
  EXPECT_EQ(gWindow.inputValues[0], 12.0);
  EXPECT_EQ(gWindow.inputValues[1], 10.0);
  EXPECT_EQ(gWindow.inputValues[2], 20.0);
}

// 125 kg (12.5 meant) and a failed volume once showed under the green verdict.
TEST_F(WindowTest, FlaggedInputsGiveTheirLevelInItsColourAndCopyText) {
  const struct {
    int item;
    const char16_t* text;
    const char16_t* result;
    Level level;
    COLORREF colour;
    const char16_t* verdict;
  } cases[] = {
      {0, u"5", u"单次剂量：50.0 mg\r\n给药体积：2.50 ml\r\n每日上限：200 mg\r\n", 2,
       RGB(214, 108, 0), u"体重过小，6 个月以下婴儿不推荐使用布洛芬"},
      {0, u"125", u"单次剂量：1250.0 mg\r\n给药体积：62.50 ml\r\n每日上限：5000 mg\r\n", 3,
       RGB(190, 30, 45), u"单次剂量超过儿童单次最大量 400 mg，请核对体重与每次剂量"},
      {2, u"1e-320",
       u"单次剂量：120.0 mg\r\n给药体积：-- ml\r\n每日上限：480 mg\r\n"
       u"（部分结果无法计算，请检查输入是否合理）\r\n",
       3, RGB(190, 30, 45), u"部分结果无法计算，请核对输入后重新计算"},
      {2, u"20.0000001", u"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n", 1,
       RGB(176, 132, 0), u"混悬液浓度不是常用的 20 或 40 mg/ml，请核对药品规格"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const std::u16string before = Text(Edit(c.item));
    SetInput(c.item, c.text);
    PressKey(Edit(c.item), VK_RETURN);
    EXPECT_EQ(Text(gWindow.resultBox), c.result);
    EXPECT_EQ(Text(gWindow.verdictLabel), c.verdict);
    EXPECT_EQ(gWindow.verdictLevel, c.level);
    EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), c.colour);
    // The overdose warning once lost its end below the label's edge.
    EXPECT_TRUE(VerdictFitsLabel());
    EXPECT_EQ(std::u16string(gWindow.copyText), std::u16string(c.result) + u"—— " + c.verdict);
    SetInput(c.item, before.c_str());
  }
}

// "给药体积：0.00 ml" under the green verdict once read as a dose to give.
TEST_F(WindowTest, ZeroConcentrationShowsDashesTheNoteAndLevelThree) {
  SetInput(2, u"0");
  PressKey(Edit(2), VK_F5);
  EXPECT_EQ(Text(gWindow.resultBox),
            u"单次剂量：120.0 mg\r\n给药体积：-- ml\r\n每日上限：480 mg\r\n"
            u"（部分结果无法计算，请检查输入是否合理）\r\n");
  EXPECT_EQ(Text(gWindow.verdictLabel), u"请核对：体重、每次剂量和浓度须大于 0");
  EXPECT_EQ(gWindow.verdictLevel, 3);
  EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), RGB(190, 30, 45));
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
}

TEST_F(WindowTest, VerdictColourFollowsTheLevel) {
  const struct {
    Level level;
    COLORREF colour;
  } cases[] = {
      {0, RGB(0, 128, 96)},  {1, RGB(176, 132, 0)}, {2, RGB(214, 108, 0)},
      {3, RGB(190, 30, 45)}, {4, RGB(0, 128, 96)},  {-1, RGB(0, 128, 96)},
  };
  for (const auto& c : cases) {
    gWindow.verdictLevel = c.level;
    EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), c.colour) << "level " << c.level;
  }
}

TEST_F(WindowTest, InputTextsHoldingOneNumberAreRead) {
  const struct {
    const char16_t* text;
    double value;
  } cases[] = {
      {u"", 0},        {u"   ", 0},    {u"  7", 7},   {u"12kg", 12}, {u"0", 0},
      {u"-3", -3},     {u"1e3", 1000}, {u".5", 0.5},  {u"\t8", 8},   {u"1e-400", 0},
      {u"+2.5e1", 25}, {u"12 KG", 12}, {u" 12 ", 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SetInput(0, c.text);
    gWindow.inputValues[0] = -999;
    PressKey(Edit(0), VK_F5);
    EXPECT_TRUE(boxes_->Boxes().empty());
    EXPECT_EQ(gWindow.inputValues[0], c.value);
    EXPECT_EQ(Text(Edit(0)), c.text) << "the edit keeps what was typed";
    EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  }
}

// "abc" and full-width "１２" were once read as 0, "12,5" as 12, "3000g" in the kg box as
// 3000 kg and a long text cut to its first 127 units: each showed a wrong dose as valid.
// They are refused like "inf".
TEST_F(WindowTest, UnreadableAndNonFiniteInputsAreRefusedWithTheMessageForThatItem) {
  const std::u16string tooLong = std::u16string(kMaxInputText, u'0') + u"1";
  const struct {
    int item;
    std::u16string text;
  } refused[] = {
      {0, u"abc"},      {1, u"１２"},        {2, u"12,5"},     {0, tooLong},  {1, u"12，5"},
      {0, u"1 2"},      {0, u"1e999"},       {0, u"-1e999"},   {0, u"inf"},   {0, u"INF"},
      {0, u"-Inf"},     {0, u"infinity"},    {0, u"InFiNiTy"}, {0, u"nan"},   {0, u"NaN"},
      {0, u"nan(123)"}, {0, u"information"}, {0, u"nanny"},    {0, u"  inf"}, {0, u"3000g"},
      {0, u"12公斤"},   {1, u"12kg"},        {2, u"20mg"},     {0, u"0x10"},  {1, u"0X10"},
      {2, u"0x1p3"},    {0, u"-0x10"},
  };
  PressKey(Edit(0), VK_F5);  // a previous result that a refused run must leave alone
  const std::u16string copyBefore(gWindow.copyText);
  for (const auto& c : refused) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - refused));
    const std::u16string before = Text(Edit(c.item));
    SetInput(c.item, c.text.c_str());
    SetFocus(Edit(c.item == 0 ? 1 : 0));
    boxes_->Clear();
    PressKey(GetFocus(), VK_F5);
    ASSERT_EQ(boxes_->Boxes().size(), 1u);
    const SeenBox& box = boxes_->Boxes()[0];
    EXPECT_EQ(box.caption, u"输入有误");
    EXPECT_EQ(box.text, u"第 " + std::u16string(1, static_cast<char16_t>(u'1' + c.item)) + u" 项“" +
                            gWindow.tool->inputs[c.item].label + u"”请输入数字。");
    EXPECT_TRUE(box.ownedByMainWindow);
    EXPECT_TRUE(box.mainWindowDisabled) << "the box must be modal to the main window";
    EXPECT_EQ(GetFocus(), Edit(c.item));
    EXPECT_FALSE(std::isfinite(gWindow.inputValues[c.item]));
    EXPECT_EQ(Text(Edit(c.item)), c.text) << "the edit keeps what was typed";
    // Nothing that the window shows or copies changes.
    EXPECT_EQ(Text(gWindow.resultBox), kDefaultResult);
    EXPECT_EQ(std::u16string(gWindow.lastResultText), kDefaultResult);
    EXPECT_EQ(std::u16string(gWindow.copyText), copyBefore);
    EXPECT_EQ(std::u16string(gWindow.statusText), u"输入已更改，请按 F5 重新计算");
    SetInput(c.item, before.c_str());
  }
}

TEST_F(WindowTest, OnlyTheFirstBadInputIsReportedAndEarlierValuesAreStored) {
  SetInput(0, u"7");
  SetInput(1, u"nan");
  SetInput(2, u"inf");
  PressKey(Edit(0), VK_F5);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].text, u"第 2 项“每次剂量”请输入数字。");
  EXPECT_EQ(gWindow.inputValues[0], 7.0);
  EXPECT_EQ(GetFocus(), Edit(1));
  EXPECT_EQ(Text(gWindow.resultBox), u"") << "no result before a successful run";
  EXPECT_EQ(gWindow.lastResultText[0], u'\0');

  // The focus is in the offending edit, so F5 tries again at once.
  SetInput(1, u"10");
  PressKey(GetFocus(), VK_F5);
  ASSERT_EQ(boxes_->Boxes().size(), 2u);
  EXPECT_EQ(boxes_->Boxes()[1].text, u"第 3 项“混悬液浓度”请输入数字。");
  EXPECT_EQ(GetFocus(), Edit(2));
}

TEST_F(WindowTest, TheLongestReadTextIsReadWhole) {
  // Zeros, then 1: a text cut by one unit would read as 0.
  const std::u16string longest = std::u16string(kMaxInputText - 1, u'0') + u"1";
  SetInput(0, longest.c_str());
  PressKey(Edit(0), VK_F5);
  EXPECT_TRUE(boxes_->Boxes().empty());
  EXPECT_EQ(gWindow.inputValues[0], 1.0);
}

// A report's copy once held only its text, cut at 1,023 units: a pasted report lost its
// verdict, the conclusion of a compatibility check. A result without a final line break gets
// one before the verdict.
TEST_F(WindowTest, ACustomReportCopiesTheReportTextAndItsVerdict) {
  static const ToolInput kInputs[] = {{"n", u"数", nullptr, 1}};
  static const ToolDef kReportTool = {50,      u"报表", nullptr, u"测试", u"无",   nullptr, 1,
                                      kInputs, 0,       nullptr, 0,       nullptr, 999};
  OpenWindow(kReportTool);
  PressKey(Edit(0), VK_F5);
  EXPECT_EQ(std::u16string(gWindow.copyText), u"（该工具暂无自定义报告）\r\n—— 暂无报告内容");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  报表");
}

// The 40-nurse, 31-day rota once stopped mid-row after 4,095 units, nurses 26 to 40 missing.
TEST_F(WindowTest, TheLargestRotaIsShownWhole) {
  static const ToolInput kInputs[] = {{"nurses", u"护士人数", u"人", 40},
                                      {"days", u"排班天数", u"天", 31}};
  static const ToolDef kRotaTool = {
      101, u"护理排班表", nullptr, u"护理", u"无", nullptr, 2, kInputs, 0, nullptr, 0, nullptr, 1};
  OpenWindow(kRotaTool);
  PressKey(Edit(0), VK_F5);
  const double values[] = {40, 31};
  std::vector<char16_t> whole(2 * kWholeResultCapacity, 0), verdict(512, 0);
  RunReport(1, kRotaTool, values, whole.data(), 2 * kWholeResultCapacity, verdict.data(), 512);
  ASSERT_NE(std::u16string(whole.data()).find(u"护士40："), std::u16string::npos);
  EXPECT_EQ(Text(gWindow.resultBox), whole.data());
  EXPECT_EQ(std::u16string(gWindow.lastResultText), whole.data());
}

// A full-width "２" once read as 0 and showed drug 1 twice with "no conflict", where drug 2
// is contraindicated with drug 1.
TEST_F(WindowTest, AFullWidthDrugNumberIsRefused) {
  static const ToolInput kInputs[] = {{"drugA", u"药品甲编号", u"1-10", 1},
                                      {"drugB", u"药品乙编号", u"1-10", 2}};
  static const ToolDef kCompatTool = {106, u"配伍禁忌查询", nullptr, u"用药", u"无", nullptr,
                                      2,   kInputs,         0,       nullptr, 0,     nullptr,
                                      6};
  OpenWindow(kCompatTool);
  SetInput(1, u"２");
  PressKey(Edit(0), VK_F5);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  EXPECT_EQ(boxes_->Boxes()[0].text, u"第 2 项“药品乙编号”请输入数字。");
  EXPECT_EQ(GetFocus(), Edit(1));
  EXPECT_EQ(Text(gWindow.resultBox), u"");
  SetInput(1, u"2");
  PressKey(Edit(1), VK_F5);
  EXPECT_EQ(gWindow.verdictLevel, 3);
}

}  // namespace
}  // namespace tarn
