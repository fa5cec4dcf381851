// Shared helpers of the window tests: a fixture that creates the real main window, pumps the
// program's own message loop, watches message boxes through a CBT hook and reads texts.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tool.h"

namespace tarn {

// What one message box showed, and whether the main window was disabled (the box is modal
// and owned by it) while it was up.
struct SeenBox {
  std::u16string caption;
  std::u16string text;
  bool ownedByMainWindow;
  bool mainWindowDisabled;
};

// Installs a WH_CBT hook on this thread for its lifetime; every dialog box that activates is
// recorded and answered with IDOK.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  const std::vector<SeenBox>& Boxes() const;
  void Clear();

 private:
  HHOOK hook_;
};

// Every test runs with a watcher, so an unexpected box is recorded and closed instead of
// blocking the test; tests that expect boxes read and clear `boxes_`.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void CloseWindow();

  // Creates the window for `tool` (the fixture creates it for the built-in tool).
  void OpenWindow(const ToolDef& tool);

  // Runs the program's message loop until everything posted so far has been handled.
  static void Pump();
  // Posts a key-down to `target` and pumps it through the loop.
  static void PressKey(HWND target, WPARAM key, UINT message = WM_KEYDOWN);
  // Posts a button's WM_COMMAND to the main window (as a click does) and pumps it.
  static void Command(int id, WORD notification = BN_CLICKED);
  static void SetInput(int index, const char16_t* text);
  static std::u16string Text(HWND window);
  static HWND Edit(int index);

  HWND window_ = nullptr;
  MessageBoxWatcher* boxes_ = nullptr;
};

// Unicode clipboard access for the tests.
// The colour the window gives a static control's text (the verdict, the result box) right now.
COLORREF StaticTextColour(HWND control);

std::u16string ClipboardText();
// The whole clipboard block of CF_UNICODETEXT, by its size, terminators and all.
std::u16string ClipboardBlock();
void PutOnClipboard(HWND owner, const std::u16string& text);

}  // namespace tarn
