// The window as built: its class, fixed size, the controls made from the tool record, and the
// message loop's Enter/F5 interception.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wide.h"
#include "ui/main_window.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

std::u16string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  std::u16string text(AsU16(name));
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

RECT ClientRectOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

struct ExpectedControl {
  const char16_t* className;
  bool clientEdge;
  DWORD style;  // the styles that must be set
  int x, y, width, height;
  int id;
  HFONT WindowState::*font;
  const char16_t* text;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | BS_OWNERDRAW;

TEST_F(WindowTest, ControlsOfTheBuiltInToolInCreationOrder) {
  const ExpectedControl expected[] = {
      {u"STATIC", false, kChild | SS_RIGHT, 24, 151, 184, 22, 0, &WindowState::labelFont, u"体重"},
      {u"EDIT", true, kChild | ES_AUTOHSCROLL, 216, 146, 152, 27, 2000, &WindowState::editFont,
       u"12"},
      {u"STATIC", false, kChild, 374, 150, 78, 22, 0, &WindowState::smallFont, u"kg"},
      {u"STATIC", false, kChild | SS_RIGHT, 24, 185, 184, 22, 0, &WindowState::labelFont,
       u"每次剂量"},
      {u"EDIT", true, kChild | ES_AUTOHSCROLL, 216, 180, 152, 27, 2001, &WindowState::editFont,
       u"10"},
      {u"STATIC", false, kChild, 374, 184, 78, 22, 0, &WindowState::smallFont, u"mg/kg"},
      {u"STATIC", false, kChild | SS_RIGHT, 24, 219, 184, 22, 0, &WindowState::labelFont,
       u"混悬液浓度"},
      {u"EDIT", true, kChild | ES_AUTOHSCROLL, 216, 214, 152, 27, 2002, &WindowState::editFont,
       u"20"},
      {u"STATIC", false, kChild, 374, 218, 78, 22, 0, &WindowState::smallFont, u"mg/ml"},
      {u"STATIC", false, kChild, 492, 142, 492, 46, 0, &WindowState::verdictFont,
       u"填写左侧参数，点击“计算”"},
      {u"EDIT", true, kChild | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 492, 196,
       492, 232, 3000, &WindowState::resultFont, u""},
      {u"STATIC", false, kChild, 492, 444, 492, 120, 0, &WindowState::smallFont,
       u"脱水、肾功能不全、消化道溃疡患儿慎用；6 个月以下婴儿不推荐。"},
      {u"STATIC", false, kChild, 492, 576, 492, 56, 0, &WindowState::smallFont,
       u"参考依据：布洛芬 5-10mg/kg/次，间隔 6-8 小时，每日不超过 4 次"},
      {u"BUTTON", false, kButton, 20, 668, 152, 40, 1001, nullptr, u"计算 (F5)"},
      {u"BUTTON", false, kButton, 184, 668, 132, 40, 1002, nullptr, u"保存记录"},
      {u"BUTTON", false, kButton, 328, 668, 132, 40, 1003, nullptr, u"复制结果"},
      {u"BUTTON", false, kButton, 472, 668, 132, 40, 1004, nullptr, u"清空重填"},
      {u"BUTTON", false, kButton, 616, 668, 110, 40, 1005, nullptr, u"关于"},
  };
  const std::vector<HWND> children = Children(window_);
  ASSERT_EQ(children.size(), sizeof expected / sizeof expected[0]);
  for (size_t i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "control " << i);
    const ExpectedControl& want = expected[i];
    HWND child = children[i];
    EXPECT_EQ(ClassOf(child), want.className);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
    EXPECT_EQ(style & want.style, want.style);
    EXPECT_EQ(style & WS_TABSTOP, 0u) << "Tab must not move between controls";
    if (ClassOf(child) == u"STATIC") {
      EXPECT_EQ(style & SS_TYPEMASK, want.style & SS_TYPEMASK);
    }
    EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, want.clientEdge);
    const RECT rect = ClientRectOf(child);
    EXPECT_EQ(rect.left, want.x);
    EXPECT_EQ(rect.top, want.y);
    EXPECT_EQ(rect.right - rect.left, want.width);
    EXPECT_EQ(rect.bottom - rect.top, want.height);
    EXPECT_EQ(GetDlgCtrlID(child), want.id);
    if (want.font != nullptr) {
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), gWindow.*want.font);
    }
    EXPECT_EQ(Text(child), want.text);
  }
  EXPECT_EQ(gWindow.verdictLabel, children[9]);
  EXPECT_EQ(gWindow.resultBox, children[10]);
  EXPECT_EQ(gWindow.cautionsLabel, children[11]);
}

TEST_F(WindowTest, MainWindowClassCaptionStyleSizeAndFirstFocus) {
  wchar_t className[64] = {};
  GetClassNameW(window_, className, 64);
  EXPECT_EQ(std::wstring(className), L"TarnMedToolWnd");
  EXPECT_EQ(Text(window_), u"Talvoro");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(GetFocus(), Edit(0));
  EXPECT_EQ(std::u16string(gWindow.statusText), u"就绪：填写参数后按 F5 或点击“计算”");

  // Held at one outer size, even when asked for another.
  for (int attempt = 0; attempt < 2; ++attempt) {
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, kOuterWidth);
    EXPECT_EQ(rect.bottom - rect.top, kOuterHeight);
    SetWindowPos(window_, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  }
}

// Spies on one control: counts the keyboard messages that reach it.
struct KeySpy {
  static WNDPROC original;
  static int keyMessages;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_CHAR) ++keyMessages;
    return CallWindowProcW(original, window, message, wParam, lParam);
  }
  explicit KeySpy(HWND control) : control_(control) {
    keyMessages = 0;
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeySpy::Proc)));
  }
  ~KeySpy() { SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original)); }
  HWND control_;
};
WNDPROC KeySpy::original = nullptr;
int KeySpy::keyMessages = 0;

TEST_F(WindowTest, EnterAndF5OnAnyChildCalculateAndNeverReachTheControl) {
  struct Case {
    const char* name;
    int controlId;  // the control that has the key
    WPARAM key;
  };
  const Case cases[] = {
      {"edit, Enter", 2000, VK_RETURN},        {"edit, F5", 2001, VK_F5},
      {"result box, Enter", 3000, VK_RETURN},  {"result box, F5", 3000, VK_F5},
      {"copy button, Enter", 1003, VK_RETURN}, {"about button, F5", 1005, VK_F5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenWindow(GetBuiltInTool());
    HWND control = GetDlgItem(window_, c.controlId);
    boxes_->Clear();
    {
      KeySpy spy(control);
      PressKey(control, c.key);
      EXPECT_EQ(KeySpy::keyMessages, 0) << "the key reached the control";
    }
    EXPECT_TRUE(boxes_->Boxes().empty()) << "the button's own command ran";
    EXPECT_EQ(Text(gWindow.resultBox),
              u"单次剂量：120.0 mg\r\n给药体积：6.00 ml\r\n每日上限：480 mg\r\n")
        << "no calculation";
    EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
  }
}

TEST_F(WindowTest, OtherKeysAndTheMainWindowItselfAreNotIntercepted) {
  // Alt+F5 and Alt+Enter arrive as system keys; the main window is not its own child; other
  // keys belong to the control.
  PressKey(Edit(0), VK_F5, WM_SYSKEYDOWN);
  PressKey(Edit(0), VK_RETURN, WM_SYSKEYDOWN);
  PressKey(window_, VK_F5);
  PressKey(window_, VK_RETURN);
  {
    KeySpy spy(Edit(0));
    PressKey(Edit(0), VK_F4);
    EXPECT_EQ(KeySpy::keyMessages, 1);
  }
  EXPECT_EQ(Text(gWindow.resultBox), u"");
  EXPECT_EQ(std::u16string(gWindow.statusText), u"就绪：填写参数后按 F5 或点击“计算”");
}

TEST_F(WindowTest, AfterACalculationTheFocusIsOnTheWindowAndF5WaitsForAClick) {
  PressKey(Edit(0), VK_F5);
  EXPECT_EQ(GetFocus(), window_);
  SetInput(0, u"5");
  PressKey(GetFocus(), VK_F5);  // goes to the main window: nothing happens
  EXPECT_EQ(gWindow.verdictLevel, 0);
  PressKey(Edit(0), VK_F5);  // after a click into the edit
  EXPECT_EQ(gWindow.verdictLevel, 2);
}

TEST_F(WindowTest, ClickingTheCalculateButtonCalculates) {
  PostMessageW(GetDlgItem(window_, kCalculateButtonId), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(std::u16string(gWindow.statusText), u"计算完成  Talvoro");
}

TEST_F(WindowTest, AToolWithoutUnitsCautionsOrInputs) {
  static const ToolInput kInputs[] = {
      {"a", u"甲", nullptr, 0.5},
      {"b", u"乙", u"", 1234567},
  };
  static const ToolDef kTool = {99,      u"无单位", nullptr, u"测试", u"无",   nullptr, 2,
                                kInputs, 0,         nullptr, 0,       nullptr, 0};
  OpenWindow(kTool);
  // Two rows of label and edit (no unit labels), then the nine fixed controls.
  EXPECT_EQ(Children(window_).size(), 2u * 2u + 9u);
  EXPECT_EQ(Text(Edit(0)), u"0.5");
  EXPECT_EQ(Text(Edit(1)), u"1.23457e+06");
  EXPECT_EQ(Text(gWindow.cautionsLabel), u"");
  SetInput(0, u"7");
  Command(kResetButtonId);
  EXPECT_EQ(Text(Edit(0)), u"0.5");
  EXPECT_EQ(Text(gWindow.cautionsLabel), u"");

  static const ToolDef kEmptyTool = {98,      u"空", nullptr, u"测试", u"无",   nullptr, 0,
                                     nullptr, 0,     nullptr, 0,       nullptr, 0};
  OpenWindow(kEmptyTool);
  EXPECT_EQ(Children(window_).size(), 9u);
  const HWND focus = GetFocus();
  EXPECT_TRUE(focus == nullptr || !IsChild(window_, focus)) << "no input edit to focus";
}

}  // namespace
}  // namespace tarn
