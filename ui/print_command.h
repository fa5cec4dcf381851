// The print command (Ctrl+P and the system menu's "打印结果…"): the standard print dialog,
// then the result drawn page by page on a worker thread, as print/page_layout lays it out.
// Win32 only; comdlg32 is loaded from the system folder at the first print.
#pragma once
#include <windows.h>

namespace tarn {

// The system menu item's command: below 0xF000 and with the low four bits clear, as
// WM_SYSCOMMAND asks of an application's own items.
inline constexpr UINT kPrintMenuCommand = 0x1010;

// Appends "打印结果…\tCtrl+P" to the window's system menu.
void AddPrintMenuItem(HWND window);

// True for Ctrl+P (without Alt) pressed in the main window or any of its controls.
bool IsPrintKey(const MSG& message);

// Refuses like copy (no result, stale result), asks for the printer and starts the job; the
// window answers while the pages are drawn and spooled.
void PrintCommand();

// The window is being destroyed (or the job has ended): waits for the print thread, at most
// kPrintFinishWaitMilliseconds, so that closing the window does not cut off a job being spooled.
inline constexpr DWORD kPrintFinishWaitMilliseconds = 30000;
void FinishPrintBeforeDestroy();

// The print thread's outcome: the status line, or a box saying why nothing was printed.
void PrintDone(LPARAM finishedJob);

}  // namespace tarn
