// Test helper: another program that holds the clipboard open, as a clipboard manager or a
// remote-desktop client may. Usage: clipboard_holder HELD_EVENT RELEASE_EVENT
// Opens the clipboard, sets HELD_EVENT, waits (at most a minute) for RELEASE_EVENT, closes.
// Exit code 0 when it held the clipboard, 1 otherwise.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
  if (held == nullptr || release == nullptr || !OpenClipboard(nullptr)) return 1;
  SetEvent(held);
  constexpr DWORD kLongestHoldMs = 60000;
  WaitForSingleObject(release, kLongestHoldMs);
  CloseClipboard();
  return 0;
}
