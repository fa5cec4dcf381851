// Drives every open main window of the program at once, for the end-to-end test of two
// windows saving into one record file:
//   save_driver.exe WINDOWS SAVES
// Waits for WINDOWS main windows, calculates in each, then SAVES times posts the save command
// to all of them back to back (so their saves meet) and answers each window's box, and at
// last closes the windows. Prints how many boxes said "已保存" and how many said anything
// else; exits 0 only when every save was announced as saved.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace {

struct Found {
  std::vector<HWND> windows;
  HWND owner;  // for boxes: whose box to look for
  HWND box;    // the box found
  std::wstring caption;
};

BOOL CALLBACK FindMainWindows(HWND window, LPARAM data) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) == tarn::kWindowClassName && IsWindowVisible(window)) {
    reinterpret_cast<Found*>(data)->windows.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || GetWindow(window, GW_OWNER) != found->owner) {
    return TRUE;
  }
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  found->box = window;
  found->caption = caption;
  return FALSE;
}

// The message box that `owner` shows, waiting up to 20 s for it.
HWND WaitForBox(HWND owner, std::wstring& caption) {
  for (int tries = 0; tries < 2000; ++tries) {
    Found found{{}, owner, nullptr, L""};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&found));
    if (found.box != nullptr && IsWindowVisible(found.box)) {
      caption = found.caption;
      return found.box;
    }
    Sleep(10);
  }
  return nullptr;
}

void Press(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: save_driver WINDOWS SAVES\n");
    return 2;
  }
  const std::size_t wanted = std::strtoul(argv[1], nullptr, 10);
  const long saves = std::strtol(argv[2], nullptr, 10);
  Found found{};
  for (int tries = 0; tries < 3000 && found.windows.size() < wanted; ++tries) {
    found.windows.clear();
    EnumWindows(FindMainWindows, reinterpret_cast<LPARAM>(&found));
    if (found.windows.size() < wanted) Sleep(10);
  }
  if (found.windows.size() != wanted) {
    std::fprintf(stderr, "save_driver: found %zu windows, expected %zu\n", found.windows.size(),
                 wanted);
    return 2;
  }
  for (HWND window : found.windows) Press(window, tarn::kCalculateButtonId);
  long saved = 0;
  long other = 0;
  for (long i = 0; i < saves; ++i) {
    for (HWND window : found.windows) Press(window, tarn::kSaveButtonId);
    for (HWND window : found.windows) {
      std::wstring caption;
      const HWND box = WaitForBox(window, caption);
      if (box == nullptr) {
        std::fprintf(stderr, "save_driver: no box after save %ld\n", i + 1);
        return 2;
      }
      (caption == L"已保存" ? saved : other) += 1;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      for (int tries = 0; tries < 2000 && IsWindow(box); ++tries) Sleep(10);
    }
  }
  for (HWND window : found.windows) PostMessageW(window, WM_CLOSE, 0, 0);
  std::printf("saves announced as saved: %ld, otherwise: %ld\n", saved, other);
  return other == 0 ? 0 : 1;
}
