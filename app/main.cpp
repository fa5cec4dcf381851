// Program entry for both builds: "--selftest" anywhere on the command line runs the
// window-less self-test; anything else opens the window (Windows build only).
#include "app/command_line.h"
#include "app/selftest.h"
#include "engine/tool.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>

#include "ui/main_window.h"
#include "ui/system_library.h"
#else
#include <cstdio>
#endif

namespace {

#if !defined(_WIN32)
// The native build has no window: say so and exit with "cannot create window".
int RunWithoutWindow() {
  std::fputs(
      "talvoro: the window is in the Windows build; run with --selftest [report]\n"
      "  exit code 0: every output computed; 2: an output could not be computed;\n"
      "  3: the report file could not be written\n",
      stderr);
  return 1;
}
#endif

int RunProgram(void* instance) {
  char16_t reportPath[tarn::kSelfTestPathCapacity];
  if (tarn::ParseSelfTestCommand(tarn::ProcessCommandLine(), reportPath,
                                 tarn::kSelfTestPathCapacity)) {
    return tarn::RunSelfTest(reportPath);
  }
#if defined(_WIN32)
  SetProcessDPIAware();
  return tarn::RunMainWindow(static_cast<HINSTANCE>(instance), tarn::GetBuiltInTool());
#else
  (void)instance;
  return RunWithoutWindow();
#endif
}

}  // namespace

#if defined(_WIN32)
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  tarn::LimitDllSearchToSystemFolder();  // before anything loads a DLL (printing does)
  return RunProgram(instance);
}
#else
int main(int argc, char** argv) {
  tarn::SetProcessArguments(argc, argv);
  return RunProgram(nullptr);
}
#endif
