// The button commands other than calculate and save: copy, reset and about, and the texts
// that window creation and reset share. All work on gWindow; Win32 only.
#pragma once
#include <windows.h>

namespace tarn {

// The verdict label's text before any calculation and after reset.
inline constexpr char16_t kVerdictHint[] = u"填写左侧参数，点击“计算”";

// Sets an input edit's text to its default value as "%.6g" (12 -> "12", 1234567 -> "1.23457e+06").
// The program's own write: it does not mark the result stale.
void SetDefaultText(HWND edit, double defaultValue);

// An input edit's text changed (EN_CHANGE). When the user changed it while a result is shown,
// the result no longer matches the boxes: the status line says so, and copy and save refuse
// it until the next successful calculation or reset.
void MarkResultStale();

// True (after asking the user to calculate again) when the result shown is stale; `refusedAction`
// names what was refused ("复制", "保存记录"). Copy and save call it before touching anything.
bool RefuseStaleResult(const char16_t* refusedAction);

// Puts the title line and the copy text on the clipboard as Unicode text. The clipboard is
// touched only once the text is ready, so a failed copy leaves the user's clipboard as it was
// and says so in a warning box ("复制失败"); the status line keeps its text.
void CopyCommand();

// Shows a verdict in the verdict label, in the largest of its fonts that holds it whole: a
// long warning ("单次剂量超过儿童单次最大量 400 mg…") must never lose its end to the label's edge.
void ShowVerdict(const char16_t* verdict);

// Puts the default values back and forgets the last result.
void ResetCommand();

// Shows the about box.
void AboutCommand();

// A modal message box owned by the main window with an OK button and the given icon.
void ShowMessage(const char16_t* text, const char16_t* caption, UINT icon);

}  // namespace tarn
