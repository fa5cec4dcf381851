// The main window's one state record, shared by the window procedure, painting, the
// calculate command and the save command. Win32 only; touched by the window thread alone.
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/tool.h"

namespace tarn {

// The whole result shown, a line break, "—— " and the whole verdict: a copy is never cut.
inline constexpr std::int32_t kCopyTextCapacity =
    kWholeResultCapacity + 2 + 3 + kVerdictTextCapacity;
inline constexpr std::int32_t kStatusTextCapacity = 256;

// The window's own messages, posted by its worker threads when their job has ended; each
// needs a number of its own.
inline constexpr UINT kSaveDoneMessage = WM_APP + 1;   // the save (no parameters)
inline constexpr UINT kPrintDoneMessage = WM_APP + 2;  // the print job; lParam is the job

struct WindowState {
  HINSTANCE instance;   // the program's module
  const ToolDef* tool;  // the tool shown; static data
  HWND mainWindow;
  Level verdictLevel;              // level of the last calculation; 0 at start
  HWND inputEdits[kMaxInputs];     // edit of input i at index i
  double inputValues[kMaxInputs];  // values as last read by the calculate command
  HWND resultBox;
  HWND verdictLabel;
  HWND cautionsLabel;
  char16_t lastResultText[kWholeResultCapacity];  // empty: no result yet
  double lastResultInputs[kMaxInputs];            // the inputs lastResultText came from
  char16_t copyText[kCopyTextCapacity];           // clipboard text below the title line
  char16_t statusText[kStatusTextCapacity];       // the status line
  bool resultStale;    // an input was edited since lastResultText was computed
  bool settingInputs;  // the program itself is writing the edits: not the user's change
  HFONT titleFont;
  HFONT headerFont;
  HFONT labelFont;
  HFONT editFont;
  HFONT verdictFont;
  HFONT verdictSmallFont;  // a verdict too long for verdictFont
  HFONT resultFont;
  HFONT buttonFont;
  HFONT smallFont;
  HBRUSH whiteBrush;       // control backgrounds
  HBRUSH backgroundBrush;  // window class background
};

// The process-wide window state; zero-filled at start, lives until the process ends.
extern WindowState gWindow;

}  // namespace tarn
