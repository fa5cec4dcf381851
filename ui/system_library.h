// Windows' own DLLs that a program loads at run time, from the system folder only: a file of
// the same name beside a portable program (a Downloads folder) is never loaded instead.
#pragma once
#include <windows.h>

namespace tarn {

// Takes the program's folder and the current folder out of the DLL search for every later
// load (SetDefaultDllDirectories, looked up at run time: Windows 7 has it only with update
// KB2533623). Called once at start, before anything loads a DLL.
void LimitDllSearchToSystemFolder();

// Loads `name` (e.g. L"comdlg32.dll") from the system folder; null when it cannot.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace tarn
