// Copy, reset and about: the commands of buttons 1003 to 1005. They change gWindow's texts
// and repaint; they never calculate and never touch the record file.
#include "ui/commands.h"

#include <cstdint>

#include "platform/wide.h"
#include "text/buffer.h"
#include "text/format.h"
#include "ui/main_window.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

constexpr std::int32_t kDefaultTextCapacity = 64;
constexpr std::int32_t kAboutTextCapacity = 1400;

constexpr char16_t kCopyFailedText[] = u"剪贴板正被其他程序占用，结果未能复制。请稍后重试。";
constexpr char16_t kStaleStatusText[] = u"输入已更改，请按 F5 重新计算";
constexpr std::int32_t kStaleMessageCapacity = 128;

// Clipboard text of title and copy text in movable global memory, ready to hand over;
// null when the memory cannot be had.
HGLOBAL MakeClipboardText(const char16_t* title, const char16_t* copyText) {
  const std::int32_t units = TextLength(copyText) + TextLength(title) + 16;
  const SIZE_T bytes = static_cast<SIZE_T>(units) * sizeof(char16_t);
  // Zeroed: readers that go by the block's size rather than the terminator (Wine's export
  // to the X clipboard does) must find nothing after the text.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (memory == nullptr) return nullptr;
  auto* text = static_cast<char16_t*>(GlobalLock(memory));
  if (text == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  Format(text, units, u"%ls\r\n%ls", title, copyText);
  GlobalUnlock(memory);
  return memory;
}

// Puts the clipboard text in place; false when it did not get there (memory, or another
// program holding the clipboard). Text first, clipboard second: EmptyClipboard is the point
// of no return, so a failure leaves the user's clipboard as it was.
bool PlaceOnClipboard(const char16_t* title, const char16_t* copyText) {
  HGLOBAL memory = MakeClipboardText(title, copyText);
  if (memory == nullptr) return false;
  if (!OpenClipboard(gWindow.mainWindow)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!placed) GlobalFree(memory);  // still ours when the clipboard refused it
  CloseClipboard();
  return placed;
}

// The height `font` needs to draw `text` word-wrapped at `width`, as the static label does.
int WrappedHeight(HDC dc, HFONT font, const char16_t* text, int width) {
  const HGDIOBJ previous = SelectObject(dc, font);
  RECT box = {0, 0, width, 0};
  DrawTextW(dc, AsWide(text), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  SelectObject(dc, previous);
  return box.bottom - box.top;
}

}  // namespace

void ShowMessage(const char16_t* text, const char16_t* caption, UINT icon) {
  MessageBoxW(gWindow.mainWindow, AsWide(text), AsWide(caption), MB_OK | icon);
}

void SetDefaultText(HWND edit, double defaultValue) {
  char16_t text[kDefaultTextCapacity];
  Format(text, kDefaultTextCapacity, u"%.6g", defaultValue);
  gWindow.settingInputs = true;  // its EN_CHANGE arrives inside SetWindowTextW
  SetWindowTextW(edit, AsWide(text));
  gWindow.settingInputs = false;
}

void MarkResultStale() {
  if (gWindow.settingInputs || gWindow.resultStale || IsEmpty(gWindow.lastResultText)) return;
  gWindow.resultStale = true;
  CopyText(gWindow.statusText, kStatusTextCapacity, kStaleStatusText);
  // Result and verdict are redrawn greyed; erasing lets the label take its new colour.
  InvalidateRect(gWindow.resultBox, nullptr, TRUE);
  InvalidateRect(gWindow.verdictLabel, nullptr, TRUE);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
}

bool RefuseStaleResult(const char16_t* refusedAction) {
  if (!gWindow.resultStale) return false;
  // The result on screen was computed from other inputs than the boxes now hold.
  char16_t message[kStaleMessageCapacity];
  Format(message, kStaleMessageCapacity,
         u"输入已更改，当前结果不是按框中数值算出的。\r\n请按 F5 重新计算后再%ls。", refusedAction);
  ShowMessage(message, u"请重新计算", MB_ICONWARNING);
  return true;
}

void CopyCommand() {
  if (IsEmpty(gWindow.lastResultText)) {
    ShowMessage(u"请先点击“计算”生成结果。", u"提示", MB_ICONINFORMATION);
    return;
  }
  if (RefuseStaleResult(u"复制")) return;
  if (!PlaceOnClipboard(gWindow.tool->title, gWindow.copyText)) {
    // Never silent: the clipboard may still hold an earlier patient's result.
    ShowMessage(kCopyFailedText, u"复制失败", MB_ICONWARNING);
    return;
  }
  CopyText(gWindow.statusText, kStatusTextCapacity, u"结果已复制到剪贴板");
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
}

void ShowVerdict(const char16_t* verdict) {
  RECT label = {};
  GetClientRect(gWindow.verdictLabel, &label);
  HFONT font = gWindow.verdictFont;
  if (HDC dc = GetDC(gWindow.verdictLabel)) {
    if (WrappedHeight(dc, font, verdict, label.right) > label.bottom) {
      font = gWindow.verdictSmallFont;
    }
    ReleaseDC(gWindow.verdictLabel, dc);
  }
  SendMessageW(gWindow.verdictLabel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowTextW(gWindow.verdictLabel, AsWide(verdict));
}

void ResetCommand() {
  const ToolDef& tool = *gWindow.tool;
  for (std::int32_t i = 0; i < ClampedInputCount(tool); ++i) {
    SetDefaultText(gWindow.inputEdits[i], tool.inputs[i].defaultValue);
  }
  SetWindowTextW(gWindow.resultBox, L"");
  ShowVerdict(kVerdictHint);
  SetWindowTextW(gWindow.cautionsLabel, AsWide(tool.cautions != nullptr ? tool.cautions : u""));
  CopyText(gWindow.statusText, kStatusTextCapacity, u"已恢复默认值");
  gWindow.lastResultText[0] = 0;
  gWindow.resultStale = false;
  gWindow.verdictLevel = 0;
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
}

void AboutCommand() {
  const ToolDef& tool = *gWindow.tool;
  char16_t text[kAboutTextCapacity];
  Format(text, kAboutTextCapacity,
         u"%ls\r\n"
         u"\r\n"
         u"分类：%ls\r\n"
         u"参考依据：%ls\r\n"
         u"\r\n"
         u"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
         u"具体用药与处置请结合患者实际情况及本院规范执行。\r\n"
         u"\r\n"
         u"版本 V1.0    官网：%ls",
         tool.title, tool.category, tool.reference, kMakerWebAddress);
  ShowMessage(text, u"关于本工具", MB_ICONINFORMATION);
}

}  // namespace tarn
