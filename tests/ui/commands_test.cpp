// Copy, reset and about in the real window: clipboard contents (and that a refused or failed
// copy leaves the user's clipboard alone), the restored defaults and the about text.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ui/main_window.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

const std::u16string kNoResultMessage = u"请先点击“计算”生成结果。";

TEST_F(WindowTest, CopyPutsTheTitleLineAndTheCopyTextOnTheClipboard) {
  PutOnClipboard(window_, u"earlier");
  PressKey(Edit(0), VK_F5);
  Command(kCopyButtonId);
  EXPECT_TRUE(boxes_->Boxes().empty());
  EXPECT_EQ(ClipboardText(),
            u"Talvoro\r\n单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n"
            u"—— 按体重计算完成，餐后服用减少胃肠刺激");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"结果已复制到剪贴板");
  // Readers that go by the block's size (Wine's X clipboard export) must find no garbage.
  const std::u16string block = ClipboardBlock();
  ASSERT_GT(block.size(), ClipboardText().size());
  EXPECT_EQ(block.find_first_not_of(u'\0', ClipboardText().size()), std::u16string::npos);
}

TEST_F(WindowTest, CopyWithoutAResultSaysSoAndKeepsTheEarlierClipboard) {
  PutOnClipboard(window_, u"earlier");
  Command(kCopyButtonId);  // before any calculation
  PressKey(Edit(0), VK_F5);
  Command(kResetButtonId);
  Command(kCopyButtonId);  // after reset
  ASSERT_EQ(boxes_->Boxes().size(), 2u);
  for (const SeenBox& box : boxes_->Boxes()) {
    EXPECT_EQ(box.caption, u"提示");
    EXPECT_EQ(box.text, kNoResultMessage);
    EXPECT_TRUE(box.mainWindowDisabled);
  }
  EXPECT_EQ(ClipboardText(), u"earlier");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"已恢复默认值");
}

// Guards the mended order: the clipboard is opened (and emptied) only once the text is ready,
// and a clipboard held by someone else is neither emptied nor reported as copied.
TEST_F(WindowTest, CopyWhileAnotherThreadHoldsTheClipboardChangesNothing) {
  PutOnClipboard(window_, u"earlier");
  PressKey(Edit(0), VK_F5);
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, INFINITE);
    CloseClipboard();
  });
  WaitForSingleObject(opened, INFINITE);
  Command(kCopyButtonId);
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  EXPECT_EQ(ClipboardText(), u"earlier");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
}

TEST_F(WindowTest, ResetRestoresTheDefaultsAndForgetsTheResult) {
  SetInput(0, u"5");
  SetInput(1, u"x");
  SetInput(2, u"");
  PressKey(Edit(0), VK_F5);
  ASSERT_EQ(gWindow.verdictLevel, 2);
  Command(kResetButtonId);
  EXPECT_EQ(Text(Edit(0)), u"12");
  EXPECT_EQ(Text(Edit(1)), u"10");
  EXPECT_EQ(Text(Edit(2)), u"20");
  EXPECT_EQ(Text(gWindow.resultBox), u"");
  EXPECT_EQ(Text(gWindow.verdictLabel), u"填写左侧参数，点击“计算”");
  EXPECT_EQ(Text(gWindow.cautionsLabel),
            u"脱水、肾功能不全、消化道溃疡患儿慎用；6 个月以下婴儿不推荐。");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"已恢复默认值");
  EXPECT_EQ(gWindow.lastResultText[0], u'\0');
  EXPECT_EQ(gWindow.verdictLevel, 0);
}

TEST_F(WindowTest, AboutShowsTheToolAndTheMaker) {
  Command(kAboutButtonId);
  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  const SeenBox& box = boxes_->Boxes()[0];
  EXPECT_EQ(box.caption, u"关于本工具");
  EXPECT_EQ(box.text,
            u"Talvoro\r\n"
            u"\r\n"
            u"分类：儿科用药\r\n"
            u"参考依据：布洛芬 5-10mg/kg/次，间隔 6-8 小时，每日不超过 4 次\r\n"
            u"\r\n"
            u"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
            u"具体用药与处置请结合患者实际情况及本院规范执行。\r\n"
            u"\r\n"
            u"版本 V1.0    官网：www.tarnmed.example");
  EXPECT_TRUE(box.ownedByMainWindow);
  EXPECT_TRUE(box.mainWindowDisabled);
}

TEST_F(WindowTest, CommandsIgnoreTheNotificationCodeAndUnknownIdsDoNothing) {
  Command(kCalculateButtonId, 0x1234);
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  Command(kResetButtonId, BN_DOUBLECLICKED);
  EXPECT_EQ(std::u16string(gWindow.statusText), u"已恢复默认值");
  Command(1006);
  Command(kFirstInputEditId, EN_CHANGE);
  EXPECT_EQ(std::u16string(gWindow.statusText), u"已恢复默认值");
  EXPECT_TRUE(boxes_->Boxes().empty());
}

}  // namespace
}  // namespace tarn
