// The calculate command of button 1001, Enter and F5. Reads the edits by the input rule of
// ReadInputNumber (never the C runtime) and leaves the arithmetic to Calculate.
#include "ui/calculate_command.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "platform/wide.h"
#include "run/calculate.h"
#include "text/buffer.h"
#include "text/format.h"
#include "text/input_number.h"
#include "ui/commands.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

// One unit more than is read, so that a longer text is seen and refused, never read cut.
constexpr std::int32_t kEditTextCapacity = kMaxInputText + 2;
constexpr std::int32_t kInputErrorCapacity = 256;

// Reads input i into inputValues; false (after telling the user) when its text is refused:
// no number, more than the number, too long, or not finite. Empty counts as 0 and the edit
// keeps its text either way.
bool ReadInput(const ToolDef& tool, std::int32_t i) {
  char16_t text[kEditTextCapacity] = {};
  GetWindowTextW(gWindow.inputEdits[i], AsWide(text), kEditTextCapacity);
  const double value = ReadInputNumber(text, tool.inputs[i].unit);
  gWindow.inputValues[i] = value;
  if (std::isfinite(value)) return true;
  char16_t message[kInputErrorCapacity];
  Format(message, kInputErrorCapacity, u"第 %d 项“%ls”请输入数字。", i + 1, tool.inputs[i].label);
  ShowMessage(message, u"输入有误", MB_ICONWARNING);
  SetFocus(gWindow.inputEdits[i]);
  return false;
}

// The whole result, then the verdict on a line of its own after "—— ", for reports too: a
// pasted compatibility check or follow-up plan must not lose its conclusion. Both fit whole.
// The save command records this same text, so a saved result keeps its verdict too.
void FillCopyText(const char16_t* result, const char16_t* verdict) {
  static_assert(kCopyTextCapacity >= kWholeResultCapacity + 2 + 3 + kVerdictTextCapacity - 1,
                "the copy holds the whole result and verdict");
  const std::int32_t length = CopyText(gWindow.copyText, kCopyTextCapacity, result);
  if (length > 0 && gWindow.copyText[length - 1] != u'\n') {
    AppendBounded(gWindow.copyText, kCopyTextCapacity, u"\r\n");
  }
  AppendBounded(gWindow.copyText, kCopyTextCapacity, u"—— ");
  AppendBounded(gWindow.copyText, kCopyTextCapacity, verdict);
}

}  // namespace

void CalculateCommand() {
  const ToolDef& tool = *gWindow.tool;
  for (std::int32_t i = 0; i < ClampedInputCount(tool); ++i) {
    if (!ReadInput(tool, i)) return;
  }

  char16_t result[kWholeResultCapacity];
  char16_t verdict[kVerdictTextCapacity];
  Calculate(tool, gWindow.inputValues, result, kWholeResultCapacity, verdict, kVerdictTextCapacity,
            gWindow.verdictLevel, gWindow.lastResultText, kWholeResultCapacity);
  // A record carries the inputs of its result, not those a later refused run reads.
  std::copy(std::begin(gWindow.inputValues), std::end(gWindow.inputValues),
            std::begin(gWindow.lastResultInputs));

  gWindow.resultStale = false;

  SetWindowTextW(gWindow.resultBox, AsWide(result));
  ShowVerdict(verdict);
  FillCopyText(result, verdict);

  // The label's colour follows the new level only when it is redrawn with erasing.
  InvalidateRect(gWindow.verdictLabel, nullptr, TRUE);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
  Format(gWindow.statusText, kStatusTextCapacity, u"计算完成  %ls", tool.title);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
  SetFocus(gWindow.mainWindow);
}

}  // namespace tarn
