// Program entry for both builds: "--selftest" anywhere on the command line runs the
// window-less self-test; anything else opens the window (Windows build only).
#include "app/command_line.h"
#include "app/selftest.h"
#include "engine/tool.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#if defined(TARN_HAVE_WINDOW)
#include "ui/main_window.h"
#endif
#else
#include <cstdio>
#endif

namespace {

#if !(defined(_WIN32) && defined(TARN_HAVE_WINDOW))
// Window mode of a build that has no window: say so and exit with "cannot create window".
int RunWithoutWindow() {
#if defined(_WIN32)
  const char kMessage[] = "talvoro: this build has no window; run with --selftest\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), kMessage, sizeof kMessage - 1, &written, nullptr);
#else
  std::fputs("talvoro: the window is in the Windows build; run with --selftest\n", stderr);
#endif
  return 1;
}
#endif

int RunProgram(void* instance) {
  char16_t reportPath[tarn::kSelfTestPathCapacity];
  if (tarn::ParseSelfTestCommand(tarn::ProcessCommandLine(), reportPath,
                                 tarn::kSelfTestPathCapacity)) {
    return tarn::RunSelfTest(reportPath);
  }
#if defined(_WIN32) && defined(TARN_HAVE_WINDOW)
  SetProcessDPIAware();
  return tarn::RunMainWindow(static_cast<HINSTANCE>(instance), tarn::GetBuiltInTool());
#else
  (void)instance;
  return RunWithoutWindow();
#endif
}

}  // namespace

#if defined(_WIN32)
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance); }
#else
int main(int argc, char** argv) {
  tarn::SetProcessArguments(argc, argv);
  return RunProgram(nullptr);
}
#endif
