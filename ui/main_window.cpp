// The main window's life: shared state, fonts and brushes, the window class, creation and
// the message loop with its Enter/F5 and Ctrl+P interception. Commands and painting live
// elsewhere.
#include "ui/main_window.h"

#include <cstdint>

#include "platform/wide.h"
#include "ui/calculate_command.h"
#include "ui/print_command.h"
#include "ui/theme.h"
#include "ui/window_state.h"

namespace tarn {

// The one window state of the process: zero-filled at start, never freed.
WindowState gWindow;

namespace {

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct FontSpec {
  HFONT WindowState::*slot;
  int height;  // negative: character height in pixels
  int weight;
  const wchar_t* face;
};

// In creation order.
constexpr FontSpec kFonts[] = {
    {&WindowState::titleFont, -27, FW_BOLD, L"Microsoft YaHei UI"},
    {&WindowState::headerFont, -14, FW_NORMAL, L"Microsoft YaHei UI"},
    {&WindowState::labelFont, -14, FW_NORMAL, L"Microsoft YaHei UI"},
    {&WindowState::editFont, -15, FW_NORMAL, L"Microsoft YaHei UI"},
    {&WindowState::verdictFont, -21, FW_BOLD, L"Microsoft YaHei UI"},
    {&WindowState::verdictSmallFont, -15, FW_BOLD, L"Microsoft YaHei UI"},
    {&WindowState::resultFont, -15, FW_NORMAL, L"Consolas"},
    {&WindowState::buttonFont, -15, FW_NORMAL, L"Microsoft YaHei UI"},
    {&WindowState::smallFont, -12, FW_NORMAL, L"Microsoft YaHei UI"},
};

struct BrushSpec {
  HBRUSH WindowState::*slot;
  COLORREF colour;
};

// In creation order, after the fonts.
constexpr BrushSpec kBrushes[] = {
    {&WindowState::whiteBrush, kWhite},      // control backgrounds
    {&WindowState::backgroundBrush, kPage},  // window class background
};

// Fonts and brushes live until the process ends; a second window in the same process
// (the tests make several) reuses them instead of making new ones.
void CreateFontsAndBrushes() {
  if (gWindow.titleFont != nullptr) return;
  for (const FontSpec& font : kFonts) {
    gWindow.*font.slot = CreateFontW(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face);
  }
  for (const BrushSpec& font : kBrushes) gWindow.*font.slot = CreateSolidBrush(font.colour);
}

// A failure shows up as a failed creation; registering twice in one process fails harmlessly.
void RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = gWindow.backgroundBrush;
  windowClass.lpszClassName = kWindowClassName;
  RegisterClassExW(&windowClass);
}

// Centred on the primary screen; an edge that would lie off screen is put at 0.
int CentredOrigin(int screenSize, int windowSize) {
  const int origin = (screenSize - windowSize) / 2;
  return origin < 0 ? 0 : origin;
}

bool IsCalculateKey(const MSG& message) {
  return message.message == WM_KEYDOWN &&
         (message.wParam == VK_RETURN || message.wParam == VK_F5) &&
         IsChild(gWindow.mainWindow, message.hwnd);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, const ToolDef& tool) {
  gWindow.instance = instance;
  gWindow.tool = &tool;
  gWindow.mainWindow = nullptr;
  gWindow.verdictLevel = 0;
  gWindow.lastResultText[0] = 0;
  for (HWND& edit : gWindow.inputEdits) edit = nullptr;

  CreateFontsAndBrushes();
  RegisterMainWindowClass(instance);

  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&outer, kMainWindowStyle, FALSE);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int x = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), width);
  const int y = CentredOrigin(GetSystemMetrics(SM_CYSCREEN), height);

  HWND window = CreateWindowExW(0, kWindowClassName, AsWide(tool.title), kMainWindowStyle, x, y,
                                width, height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  gWindow.mainWindow = window;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetFocus(gWindow.inputEdits[0]);  // null for a tool without inputs: no focus
  return window;
}

void RunMessageLoop() {
  MSG message;
  // GetMessageW returns -1 on failure; treat it like the end rather than spin.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsCalculateKey(message)) {
      CalculateCommand();
      continue;
    }
    if (IsPrintKey(message)) {
      PrintCommand();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int RunMainWindow(HINSTANCE instance, const ToolDef& tool) {
  if (CreateMainWindow(instance, tool) == nullptr) return 1;
  RunMessageLoop();
  return 0;
}

}  // namespace tarn
