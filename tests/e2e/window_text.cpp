// Reads what the open main window shows, for the end-to-end test to compare with the
// clipboard and the record file:
//   window_text.exe result|verdict
// Waits for the one visible main window and writes the text of its result box or verdict
// label to standard output as UTF-8, byte for byte (CR LF kept). Exits 2 when there is no
// window or the text cannot be read.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace {

// A point inside the verdict label, in client pixels; the label has no control ID.
constexpr POINT kInsideVerdictLabel = {500, 150};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) != tarn::kWindowClassName || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

// The whole text of a control of another process (WM_GETTEXT is marshalled for us).
bool ControlText(HWND control, std::wstring& text) {
  if (control == nullptr) return false;
  const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> units(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(control, WM_GETTEXT, units.size(), reinterpret_cast<LPARAM>(units.data()));
  text.assign(units.data());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool result = argc == 2 && std::strcmp(argv[1], "result") == 0;
  const bool verdict = argc == 2 && std::strcmp(argv[1], "verdict") == 0;
  if (!result && !verdict) {
    std::fprintf(stderr, "usage: window_text result|verdict\n");
    return 2;
  }
  HWND window = nullptr;
  for (int tries = 0; tries < 2000 && window == nullptr; ++tries) {
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&window));
    if (window == nullptr) Sleep(10);
  }
  HWND control = result ? GetDlgItem(window, tarn::kResultBoxId)
                        : ChildWindowFromPointEx(window, kInsideVerdictLabel, CWP_SKIPINVISIBLE);
  std::wstring text;
  if (window == nullptr || !ControlText(control, text)) {
    std::fprintf(stderr, "window_text: no main window or no such control\n");
    return 2;
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                      nullptr, nullptr);
  _setmode(_fileno(stdout), _O_BINARY);  // CR LF as the window has it
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return 0;
}
