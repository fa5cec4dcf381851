// The window tests' fixture: real window, real message loop, CBT-hooked message boxes.
#include "window_fixture.h"

#include <cstring>

#include "platform/wide.h"
#include "ui/main_window.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

std::vector<SeenBox> gSeenBoxes;  // boxes seen by the current watcher

// The whole text, however long (a 40-nurse rota is thousands of units).
std::u16string WindowText(HWND window) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return std::u16string(AsU16(text.data()));
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[64] = {};
    GetClassNameW(box, className, 64);
    if (std::wstring(className) == L"#32770") {
      SeenBox seen;
      seen.caption = WindowText(box);
      seen.text = WindowText(GetDlgItem(box, 0xFFFF));
      seen.ownedByMainWindow = GetWindow(box, GW_OWNER) == gWindow.mainWindow;
      seen.mainWindowDisabled = !IsWindowEnabled(gWindow.mainWindow);
      gSeenBoxes.push_back(seen);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() {
  gSeenBoxes.clear();
  hook_ = SetWindowsHookExW(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() { UnhookWindowsHookEx(hook_); }

const std::vector<SeenBox>& MessageBoxWatcher::Boxes() const { return gSeenBoxes; }

void MessageBoxWatcher::Clear() { gSeenBoxes.clear(); }

void WindowTest::SetUp() {
  boxes_ = new MessageBoxWatcher();
  OpenWindow(GetBuiltInTool());
}

void WindowTest::OpenWindow(const ToolDef& tool) {
  CloseWindow();
  window_ = CreateMainWindow(GetModuleHandleW(nullptr), tool);
  ASSERT_NE(window_, nullptr) << "the main window could not be created (no X display?)";
  Pump();
}

void WindowTest::TearDown() {
  CloseWindow();
  delete boxes_;
  boxes_ = nullptr;
}

void WindowTest::CloseWindow() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void WindowTest::Pump() {
  // WM_QUIT comes only once no posted message is left, so the loop handles all of them first.
  PostQuitMessage(0);
  RunMessageLoop();
}

void WindowTest::PressKey(HWND target, WPARAM key, UINT message) {
  PostMessageW(target, message, key, 0);
  Pump();
}

void WindowTest::Command(int id, WORD notification) {
  PostMessageW(gWindow.mainWindow, WM_COMMAND, MAKEWPARAM(id, notification),
               reinterpret_cast<LPARAM>(GetDlgItem(gWindow.mainWindow, id)));
  Pump();
}

void WindowTest::SetInput(int index, const char16_t* text) {
  SendMessageW(Edit(index), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AsWide(text)));
}

std::u16string WindowTest::Text(HWND window) { return WindowText(window); }

HWND WindowTest::Edit(int index) { return gWindow.inputEdits[index]; }

COLORREF StaticTextColour(HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(gWindow.mainWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

std::u16string ClipboardText() {
  std::u16string text;
  if (!OpenClipboard(nullptr)) return u"<clipboard not open>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    const auto* chars = static_cast<const char16_t*>(GlobalLock(data));
    if (chars != nullptr) text = chars;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

std::u16string ClipboardBlock() {
  std::u16string block;
  if (!OpenClipboard(nullptr)) return block;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data != nullptr) {
    const auto* chars = static_cast<const char16_t*>(GlobalLock(data));
    if (chars != nullptr) block.assign(chars, GlobalSize(data) / sizeof(char16_t));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return block;
}

void PutOnClipboard(HWND owner, const std::u16string& text) {
  const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  ASSERT_NE(memory, nullptr);
  memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
  CloseClipboard();
}

}  // namespace tarn
