// The calculate command in the real window: texts shown, level and its colour, copy text,
// status line, focus, and how every form of input text is read or refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

// The colour the window gives the verdict label's text right now.
COLORREF VerdictTextColour() {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(gWindow.mainWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(gWindow.verdictLabel));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

TEST_F(WindowTest, DefaultsGiveTheThreeLinesTheNormalVerdictAndTheirCopyText) {
  PressKey(Edit(0), VK_F5);
  EXPECT_EQ(Text(gWindow.resultBox), kDefaultResult);
  EXPECT_EQ(Text(gWindow.verdictLabel), kNormalVerdict);
  EXPECT_EQ(gWindow.verdictLevel, 0);
  EXPECT_EQ(VerdictTextColour(), RGB(0, 128, 96));
  EXPECT_EQ(std::u16string(gWindow.lastResultText), kDefaultResult);
  EXPECT_EQ(std::u16string(gWindow.copyText), kDefaultResult + u"—— " + kNormalVerdict);
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  EXPECT_EQ(GetFocus(), window_);
  EXPECT_EQ(gWindow.inputValues[0], 12.0);
  EXPECT_EQ(gWindow.inputValues[1], 10.0);
  EXPECT_EQ(gWindow.inputValues[2], 20.0);
}

TEST_F(WindowTest, WeightFiveGivesLevelTwoInItsColour) {
  SetInput(0, u"5");
  PressKey(Edit(0), VK_RETURN);
  EXPECT_EQ(Text(gWindow.resultBox),
            u"单次剂量：50.0 mg\r\n给药体积：2.50 ml\r\n每日上限：200 mg\r\n");
  EXPECT_EQ(Text(gWindow.verdictLabel), kLowWeightVerdict);
  EXPECT_EQ(gWindow.verdictLevel, 2);
  EXPECT_EQ(VerdictTextColour(), RGB(214, 108, 0));
}

TEST_F(WindowTest, ZeroConcentrationShowsTheSubstituteAndTheNote) {
  SetInput(2, u"0");
  PressKey(Edit(2), VK_F5);
  EXPECT_EQ(Text(gWindow.resultBox),
            u"单次剂量：120.0 mg\r\n给药体积：0.00 ml\r\n每日上限：480 mg\r\n"
            u"（部分结果无法计算，请检查输入是否合理）\r\n");
  EXPECT_EQ(Text(gWindow.verdictLabel), kNormalVerdict);
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
    EXPECT_EQ(VerdictTextColour(), c.colour) << "level " << c.level;
  }
}

TEST_F(WindowTest, InputTextsReadWithWideStringToDoubleRules) {
  const struct {
    const char16_t* text;
    double value;
  } cases[] = {
      {u"", 0},      {u"   ", 0},  {u"  7", 7},    {u"12,5", 12},  {u"12kg", 12},
      {u"0x10", 16}, {u"-3", -3},  {u"1e3", 1000}, {u".5", 0.5},   {u"abc", 0},
      {u"，", 0},    {u"１２", 0}, {u"\t8", 8},    {u"1e-400", 0}, {u"+2.5e1", 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    SetInput(0, c.text);
    gWindow.inputValues[0] = -999;
    PressKey(Edit(0), VK_F5);
    EXPECT_EQ(gWindow.inputValues[0], c.value);
    EXPECT_EQ(Text(Edit(0)), c.text) << "the edit keeps what was typed";
    EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  }
}

TEST_F(WindowTest, NonFiniteInputsAreRefusedWithTheMessageForThatItem) {
  const char16_t* const refused[] = {
      u"1e999", u"-1e999", u"inf",      u"INF",         u"-Inf",  u"infinity", u"InFiNiTy",
      u"nan",   u"NaN",    u"nan(123)", u"information", u"nanny", u"  inf",
  };
  PressKey(Edit(0), VK_F5);  // a previous result that a refused run must leave alone
  const std::u16string copyBefore(gWindow.copyText);
  for (const char16_t* text : refused) {
    SetInput(0, text);
    SetFocus(Edit(1));
    boxes_->Clear();
    PressKey(Edit(1), VK_F5);
    ASSERT_EQ(boxes_->Boxes().size(), 1u);
    const SeenBox& box = boxes_->Boxes()[0];
    EXPECT_EQ(box.caption, u"输入有误");
    EXPECT_EQ(box.text, u"第 1 项“体重”请输入数字。");
    EXPECT_TRUE(box.ownedByMainWindow);
    EXPECT_TRUE(box.mainWindowDisabled) << "the box must be modal to the main window";
    EXPECT_EQ(GetFocus(), Edit(0));
    EXPECT_FALSE(std::isfinite(gWindow.inputValues[0]));
    // Nothing that the window shows or copies changes.
    EXPECT_EQ(Text(gWindow.resultBox), kDefaultResult);
    EXPECT_EQ(std::u16string(gWindow.lastResultText), kDefaultResult);
    EXPECT_EQ(std::u16string(gWindow.copyText), copyBefore);
    EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
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

TEST_F(WindowTest, LongEditTextsAreReadCutTo127Characters) {
  // 127 digits "1" then a "9": the ninth character must not take part in the number.
  std::u16string text(127, u'1');
  text += u"9e999";
  SetInput(0, text.c_str());
  PressKey(Edit(0), VK_F5);
  EXPECT_TRUE(boxes_->Boxes().empty());
  EXPECT_TRUE(std::isfinite(gWindow.inputValues[0]));
  EXPECT_DOUBLE_EQ(gWindow.inputValues[0], 1.1111111111111111e126);
}

TEST_F(WindowTest, ACustomReportCopiesOnlyTheReportText) {
  static const ToolInput kInputs[] = {{"n", u"数", nullptr, 1}};
  static const ToolDef kReportTool = {50,      u"报表", nullptr, u"测试", u"无",   nullptr, 1,
                                      kInputs, 0,       nullptr, 0,       nullptr, 999};
  OpenWindow(kReportTool);
  PressKey(Edit(0), VK_F5);
  EXPECT_NE(Text(gWindow.resultBox), u"");
  EXPECT_EQ(std::u16string(gWindow.copyText), Text(gWindow.resultBox).substr(0, 1023));
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  报表");
}

}  // namespace
}  // namespace tarn
