// Entry point of the native build: the self-test only. The window is in the Windows build,
// so any other command line is told so and ends with "cannot create window" (1).
#include <cstdio>

#include "app/selftest.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  tarn::SetProcessArguments(argc, argv);
  int exitCode = 0;
  if (tarn::RunSelfTestIfAsked(&exitCode)) return exitCode;
  std::fputs(
      "talvoro: the window is in the Windows build; run with --selftest [report]\n"
      "  exit code 0: every output computed; 2: an output could not be computed;\n"
      "  3: the report file could not be written\n",
      stderr);
  return 1;
}
