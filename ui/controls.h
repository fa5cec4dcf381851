// The window's controls, built from constant tables. Win32 only; no message handling.
#pragma once
#include <windows.h>

namespace tarn {

// Creates the input rows (label, edit, unit) of the tool in gWindow and the fixed controls
// (verdict, result box, cautions, reference, buttons) as children of `parent`, and keeps the
// handles the commands need in gWindow.
void CreateControls(HWND parent);

}  // namespace tarn
