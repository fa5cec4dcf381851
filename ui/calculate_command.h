// The calculate command: input edits -> numbers -> Calculate -> result box, verdict label,
// copy text and status line. Win32 only; works on gWindow.
#pragma once

namespace tarn {

// Reads every input edit; a non-finite number is refused with a warning naming the input and
// the focus goes to its edit. Otherwise calculates, shows the outcome and focuses the window.
void CalculateCommand();

}  // namespace tarn
