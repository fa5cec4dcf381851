// Copy, reset and about in the real window: clipboard contents (and that a refused or failed
// copy leaves the user's clipboard alone), the restored defaults and the about text.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "reports/report_keys.h"
#include "ui/main_window.h"
#include "ui/print_command.h"
#include "ui/theme.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

const std::u16string kNoResultMessage = u"请先点击“计算”生成结果。";
const std::u16string kStaleStatus = u"输入已更改，请按 F5 重新计算";

std::u16string Status() { return gWindow.statusText; }

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

// A 30-bed handover was cut inside bed 13, and a rota inside its rows, under "结果已复制到
// 剪贴板": the copy is now the whole result box and the verdict at the largest report sizes.
TEST_F(WindowTest, CopyCarriesTheWholeLargestReportsAndTheirVerdicts) {
  static const ToolInput kRotaInputs[] = {{kKeyNurses, u"护士人数", u"人", 40},
                                          {kKeyDays, u"排班天数", u"天", 31}};
  static const ToolInput kHandoverInputs[] = {{kKeyBeds, u"床位数", u"床", 30}};
  static const ToolDef kReports[] = {
      {101, u"护理排班表", nullptr, u"护理", u"无", nullptr, 2, kRotaInputs, 0, nullptr, 0, nullptr,
       1},
      {109, u"交班报告模板", nullptr, u"护理", u"无", nullptr, 1, kHandoverInputs, 0, nullptr, 0,
       nullptr, 9},
  };
  for (const ToolDef& tool : kReports) {
    SCOPED_TRACE(testing::Message() << "tool " << tool.id);
    OpenWindow(tool);
    PressKey(Edit(0), VK_F5);
    Command(kCopyButtonId);
    const std::u16string result = Text(gWindow.resultBox);
    ASSERT_GT(result.size(), 2000u) << "well past the old cut at 1,023 units";
    EXPECT_EQ(ClipboardText(),
              tool.title + std::u16string(u"\r\n") + result + u"—— " + Text(gWindow.verdictLabel));
    EXPECT_EQ(Status(), u"结果已复制到剪贴板");
  }
}

// The 12 kg result once stayed on screen after the weight box was changed to 20, and copy and
// save passed it on as current. An edit after a calculation marks it until the next one.
TEST_F(WindowTest, AnEditAfterACalculationMarksTheResultStaleUntilTheNextCalculation) {
  PutOnClipboard(window_, u"earlier");
  const std::u16string ready = Status();
  SetInput(0, u"15");  // no result yet: nothing to mark
  EXPECT_EQ(Status(), ready);
  PressKey(Edit(0), VK_F5);
  const std::u16string result15 = Text(gWindow.resultBox);
  SetInput(0, u"20");
  EXPECT_EQ(Status(), kStaleStatus);
  EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), kMutedText);  // greyed: not current
  EXPECT_EQ(StaticTextColour(gWindow.resultBox), kMutedText);

  // Copy and save refuse, and so they do after a refused calculation, which leaves the shown
  // result and the mark alone.
  Command(kCopyButtonId);
  Command(kSaveButtonId);
  SetInput(1, u"abc");
  PressKey(Edit(0), VK_F5);
  SetInput(1, u"10");
  Command(kCopyButtonId);
  const struct {
    const char16_t* caption;
    const char16_t* asks;
  } expected[] = {
      {u"请重新计算", u"请按 F5 重新计算后再复制。"},
      {u"请重新计算", u"请按 F5 重新计算后再保存记录。"},
      {u"输入有误", u"第 2 项“每次剂量”"},
      {u"请重新计算", u"请按 F5 重新计算后再复制。"},
  };
  ASSERT_EQ(boxes_->Boxes().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const SeenBox& box = boxes_->Boxes()[i];
    EXPECT_EQ(box.caption, expected[i].caption) << i;
    EXPECT_NE(box.text.find(expected[i].asks), std::u16string::npos) << i;
    EXPECT_TRUE(box.mainWindowDisabled) << i;
  }
  EXPECT_EQ(Status(), kStaleStatus);
  EXPECT_EQ(Text(gWindow.resultBox), result15);
  EXPECT_EQ(ClipboardText(), u"earlier");

  // The next calculation clears the mark: the copy is the 20 kg result.
  boxes_->Clear();
  PressKey(Edit(0), VK_F5);
  EXPECT_EQ(Status(), u"计算完成  Talvoro");
  EXPECT_EQ(StaticTextColour(gWindow.verdictLabel), VerdictColour(gWindow.verdictLevel));
  Command(kCopyButtonId);
  EXPECT_TRUE(boxes_->Boxes().empty());
  const std::u16string copied20 = u"Talvoro\r\n单次剂量：200.0 mg\r\n";
  EXPECT_EQ(ClipboardText().substr(0, copied20.size()), copied20);
}

// Reset writes the boxes itself: it clears the mark and does not set it.
TEST_F(WindowTest, ResetClearsTheStaleMark) {
  PressKey(Edit(0), VK_F5);
  SetInput(0, u"20");
  ASSERT_EQ(Status(), kStaleStatus);
  Command(kResetButtonId);
  EXPECT_EQ(Status(), u"已恢复默认值");
  PressKey(Edit(0), VK_F5);
  Command(kCopyButtonId);
  EXPECT_TRUE(boxes_->Boxes().empty());
  EXPECT_EQ(Status(), u"结果已复制到剪贴板");
}

// Print sits in the system menu and refuses what copy refuses: no result (at start and after
// reset) and a result whose inputs were edited; no print dialog opens.
TEST_F(WindowTest, PrintIsInTheSystemMenuAndRefusesLikeCopy) {
  wchar_t item[64] = {};
  GetMenuStringW(GetSystemMenu(window_, FALSE), kPrintMenuCommand, item, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(item)), u"打印结果…\tCtrl+P");
  const auto print = [] {
    PostMessageW(gWindow.mainWindow, WM_SYSCOMMAND, kPrintMenuCommand, 0);
    Pump();
  };
  print();
  PressKey(Edit(0), VK_F5);
  Command(kResetButtonId);
  print();
  PressKey(Edit(0), VK_F5);
  SetInput(0, u"20");
  print();
  const std::u16string expected[][2] = {{u"提示", kNoResultMessage},
                                        {u"提示", kNoResultMessage},
                                        {u"请重新计算", u"请按 F5 重新计算后再打印。"}};
  ASSERT_EQ(boxes_->Boxes().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(boxes_->Boxes()[i].caption, expected[i][0]) << i;
    EXPECT_NE(boxes_->Boxes()[i].text.find(expected[i][1]), std::u16string::npos) << i;
  }
  EXPECT_EQ(Status(), kStaleStatus);
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

// Starts clipboard_holder (built beside this test program) and waits until it holds the
// clipboard; the process handle is returned, null when it could not start or hold it.
HANDLE StartClipboardHolder(const wchar_t* heldName, const wchar_t* releaseName, HANDLE held) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring command(path, length);
  command.erase(command.find_last_of(L"\\/") + 1);
  command = L"\"" + command + L"clipboard_holder.exe\" " + heldName + L" " + releaseName;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  constexpr DWORD kStartTimeoutMs = 20000;
  constexpr DWORD kPollMs = 100;
  // Messages are handled while waiting: this window owns the clipboard's text, and the other
  // program's OpenClipboard may wait (seconds, under Wine) for this thread to hand it over.
  HANDLE waits[] = {held, process.hProcess};
  DWORD woken = 0;
  const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
  for (;;) {
    woken = MsgWaitForMultipleObjects(2, waits, FALSE, kPollMs, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 2 && woken != WAIT_TIMEOUT) break;
    if (GetTickCount64() > deadline) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  if (woken != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return nullptr;
  }
  return process.hProcess;
}

// A copy while another program held the clipboard once did nothing and said nothing, leaving
// the previous patient's result there: it must say so, and still neither empty the clipboard
// nor claim the copy in the status line.
TEST_F(WindowTest, CopyWhileAnotherProgramHoldsTheClipboardSaysItFailed) {
  PutOnClipboard(window_, u"earlier");
  PressKey(Edit(0), VK_F5);
  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring heldName = L"TarnTestClipboardHeld" + suffix;
  const std::wstring releaseName = L"TarnTestClipboardRelease" + suffix;
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, heldName.c_str());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
  HANDLE holder = StartClipboardHolder(heldName.c_str(), releaseName.c_str(), held);
  ASSERT_NE(holder, nullptr) << "clipboard_holder did not start or hold the clipboard";
  Command(kCopyButtonId);
  SetEvent(release);
  WaitForSingleObject(holder, INFINITE);
  CloseHandle(holder);
  CloseHandle(held);
  CloseHandle(release);

  ASSERT_EQ(boxes_->Boxes().size(), 1u);
  const SeenBox& box = boxes_->Boxes()[0];
  EXPECT_EQ(box.caption, u"复制失败");
  EXPECT_NE(box.text.find(u"其他程序"), std::u16string::npos) << "names the cause";
  EXPECT_NE(box.text.find(u"重试"), std::u16string::npos) << "says what to do";
  EXPECT_TRUE(box.ownedByMainWindow);
  EXPECT_TRUE(box.mainWindowDisabled);
  EXPECT_EQ(ClipboardText(), u"earlier");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");

  // Once the other program lets go, the same copy goes through.
  boxes_->Clear();
  Command(kCopyButtonId);
  EXPECT_TRUE(boxes_->Boxes().empty());
  EXPECT_EQ(std::u16string(gWindow.statusText), u"结果已复制到剪贴板");
}

TEST_F(WindowTest, ResetRestoresTheDefaultsAndForgetsTheResult) {
  SetInput(0, u"5");
  SetInput(1, u"8 mg/kg");
  SetInput(2, u"");
  PressKey(Edit(0), VK_F5);
  ASSERT_EQ(gWindow.verdictLevel, 3);  // a concentration of 0
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
