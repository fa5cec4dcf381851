// The save command: appends the last calculation to the tool's CSV record file, on a worker
// thread of its own so that the window keeps painting and answering while the file is waited
// for or written (a virus scanner's hold, another window's lock, a slow network folder).
#pragma once
#include <windows.h>

namespace tarn {

// Works on gWindow; shows its own messages owned by the main window. Starts the save and
// returns at once; its outcome is shown when kSaveDoneMessage arrives. While a save runs,
// another is refused with the status line.
void SaveRecord();

// The worker has ended (kSaveDoneMessage): the outcome boxes and the status line, as a save on
// the window's thread would give them; then the window closes if that was asked meanwhile.
void OnSaveDone();

// True while a save runs.
bool SaveInProgress();

// The user closes the window: true when a save runs, so that the window stays until the save
// has ended (the status line says so) and closes itself then.
bool HoldCloseForSave();

// The window is being destroyed: waits for a running save to end, so the record is whole.
void FinishSaveBeforeDestroy();

}  // namespace tarn
