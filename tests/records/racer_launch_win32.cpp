// Starting record_racer.exe on Windows: CreateProcessW of the program beside this test program.
#include <windows.h>

#include <string>
#include <vector>

#include "racer_launch.h"

namespace tarn {

Racer StartRacer(const std::vector<std::string>& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring program(self);
  program = program.substr(0, program.rfind(L'\\') + 1) + L"record_racer.exe";
  std::wstring line = L"\"" + program + L"\"";
  for (const std::string& argument : arguments) {
    line += L" \"" + std::wstring(argument.begin(), argument.end()) + L"\"";
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &child)) {
    return {-1};
  }
  CloseHandle(child.hThread);
  return {reinterpret_cast<std::intptr_t>(child.hProcess)};
}

int WaitRacer(Racer racer) {
  if (racer.id == -1) return -1;
  const auto process = reinterpret_cast<HANDLE>(racer.id);
  DWORD code = 0;
  const bool ended =
      WaitForSingleObject(process, 60000) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return ended ? static_cast<int>(code) : -1;
}

}  // namespace tarn
