// The save command: appends the last calculation to the tool's CSV record file.
#pragma once

namespace tarn {

// Works on gWindow; shows its own messages owned by the main window.
void SaveRecord();

}  // namespace tarn
