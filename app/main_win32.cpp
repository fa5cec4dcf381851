// Entry point of the Windows build: the self-test when the command line asks for it, the
// tool's window otherwise.
#include <windows.h>

#include "app/selftest.h"
#include "engine/tool.h"
#include "ui/main_window.h"
#include "ui/system_library.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarn::LimitDllSearchToSystemFolder();  // before anything loads a DLL (printing does)
  int exitCode = 0;
  if (tarn::RunSelfTestIfAsked(&exitCode)) return exitCode;
  SetProcessDPIAware();
  return tarn::RunMainWindow(instance, tarn::GetBuiltInTool());
}
