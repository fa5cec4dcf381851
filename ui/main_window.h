// The main window's entry points: creation around one tool, the message loop, and the
// window procedure. Split so that in-process tests can create the window and pump the loop.
#pragma once
#include <windows.h>

#include "engine/tool.h"
#include "product_names.h"  // kMakerWebAddress

namespace tarn {

inline constexpr wchar_t kWindowClassName[] = L"TarnMedToolWnd";

// Client size the layout is made for, and the fixed outer size of the window (pixels). The
// outer size is not AdjustWindowRect's for this client size: under Wine that is smaller
// (the window would lose a band of its painted area), so it stays written out until the
// window's look may change.
inline constexpr int kClientWidth = 1020;
inline constexpr int kClientHeight = 720;
inline constexpr int kOuterWidth = 1036;
inline constexpr int kOuterHeight = 780;

// The result column inside the right-hand card: its caption, divider and controls (pixels).
inline constexpr int kResultColumnX = 492;
inline constexpr int kResultColumnWidth = 492;

// Control IDs.
inline constexpr int kCalculateButtonId = 1001;
inline constexpr int kSaveButtonId = 1002;
inline constexpr int kCopyButtonId = 1003;
inline constexpr int kResetButtonId = 1004;
inline constexpr int kAboutButtonId = 1005;
inline constexpr int kFirstInputEditId = 2000;
inline constexpr int kResultBoxId = 3000;

// Opens the window for `tool`, runs the message loop and returns 0 when it ends;
// 1 when the window cannot be created. `tool` must outlive the process.
int RunMainWindow(HINSTANCE instance, const ToolDef& tool);

// Everything of RunMainWindow before the loop: state, fonts and brushes (made once per
// process), class, window, show and first focus. Returns the window, or null on failure.
HWND CreateMainWindow(HINSTANCE instance, const ToolDef& tool);

// Runs the thread's message loop until WM_QUIT; Enter and F5 on a child of the main window
// run the calculate command instead of reaching the control, Ctrl+P anywhere in it prints.
void RunMessageLoop();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tarn
