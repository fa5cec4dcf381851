// The window's controls: constant tables of their class, style, place, font and first text,
// and the loop that creates them. No message handling; the window procedure calls this once.
#include "ui/controls.h"

#include <cstdint>

#include "platform/wide.h"
#include "text/format.h"
#include "ui/commands.h"
#include "ui/main_window.h"
#include "ui/theme.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

// Where a control's first text comes from.
enum class ControlText : std::uint8_t {
  Fixed,         // ControlSpec::fixedText
  InputLabel,    // the input's label
  InputDefault,  // the input's default value, "%.6g"
  InputUnit,     // the input's unit (no control at all when it has none)
  Cautions,      // the tool's cautions, empty when absent
  Reference,     // "参考依据：%ls" with the tool's reference
};

struct ControlSpec {
  const wchar_t* className;
  DWORD exStyle;
  DWORD style;
  int x;
  int y;  // input rows: offset from the row's base line
  int width;
  int height;
  int id;                    // input edits: the first row's ID, plus the row
  HFONT WindowState::*font;  // null: owner-drawn button, its caption drawn with buttonFont
  ControlText text;
  const char16_t* fixedText;
  HWND WindowState::*slot;  // where the handle is kept; null: not kept (input edits aside)
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | BS_OWNERDRAW;
constexpr DWORD kResultBoxStyle = kChild | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr HWND WindowState::*kNotKept = nullptr;
constexpr HFONT WindowState::*kNoFont = nullptr;

// Row i of the form has its base line at kFirstRowBase + kRowPitch * i.
constexpr int kFirstRowBase = 150;
constexpr int kRowPitch = 34;

// One form row per input: label, edit, unit.
constexpr ControlSpec kInputRowControls[] = {
    {L"STATIC", 0, kChild | SS_RIGHT, 24, 1, 184, 22, 0, &WindowState::labelFont,
     ControlText::InputLabel, nullptr, kNotKept},
    {L"EDIT", WS_EX_CLIENTEDGE, kChild | ES_AUTOHSCROLL, 216, -4, 152, 27, kFirstInputEditId,
     &WindowState::editFont, ControlText::InputDefault, nullptr, kNotKept},
    {L"STATIC", 0, kChild, 374, 0, 78, 22, 0, &WindowState::smallFont, ControlText::InputUnit,
     nullptr, kNotKept},
};

// The result column and the button row, left to right.
constexpr ControlSpec kFixedControls[] = {
    {L"STATIC", 0, kChild, kResultColumnX, 142, kResultColumnWidth, 46, 0,
     &WindowState::verdictFont, ControlText::Fixed, kVerdictHint, &WindowState::verdictLabel},
    {L"EDIT", WS_EX_CLIENTEDGE, kResultBoxStyle, kResultColumnX, 196, kResultColumnWidth, 232,
     kResultBoxId, &WindowState::resultFont, ControlText::Fixed, u"", &WindowState::resultBox},
    {L"STATIC", 0, kChild, kResultColumnX, 444, kResultColumnWidth, 120, 0, &WindowState::smallFont,
     ControlText::Cautions, nullptr, &WindowState::cautionsLabel},
    {L"STATIC", 0, kChild, kResultColumnX, 576, kResultColumnWidth, 56, 0, &WindowState::smallFont,
     ControlText::Reference, nullptr, kNotKept},
    {L"BUTTON", 0, kButton, 20, 668, 152, 40, kCalculateButtonId, kNoFont, ControlText::Fixed,
     u"计算 (F5)", kNotKept},
    {L"BUTTON", 0, kButton, 184, 668, 132, 40, kSaveButtonId, kNoFont, ControlText::Fixed,
     u"保存记录", kNotKept},
    {L"BUTTON", 0, kButton, 328, 668, 132, 40, kCopyButtonId, kNoFont, ControlText::Fixed,
     u"复制结果", kNotKept},
    {L"BUTTON", 0, kButton, 472, 668, 132, 40, kResetButtonId, kNoFont, ControlText::Fixed,
     u"清空重填", kNotKept},
    {L"BUTTON", 0, kButton, 616, 668, 110, 40, kAboutButtonId, kNoFont, ControlText::Fixed, u"关于",
     kNotKept},
};

constexpr std::int32_t kReferenceTextCapacity = 512;

HWND CreateControl(HWND parent, const ControlSpec& layout, int y, int id, const char16_t* text) {
  HWND control =
      CreateWindowExW(layout.exStyle, layout.className, AsWide(text), layout.style, layout.x, y,
                      layout.width, layout.height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gWindow.instance, nullptr);
  if (layout.font != nullptr) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(gWindow.*layout.font), TRUE);
  }
  return control;
}

void CreateInputRow(HWND parent, std::int32_t row) {
  const ToolInput& input = gWindow.tool->inputs[row];
  const int baseLine = kFirstRowBase + kRowPitch * row;
  for (const ControlSpec& layout : kInputRowControls) {
    switch (layout.text) {
      case ControlText::InputLabel:
        CreateControl(parent, layout, baseLine + layout.y, layout.id, input.label);
        break;
      case ControlText::InputDefault: {
        HWND edit = CreateControl(parent, layout, baseLine + layout.y, layout.id + row, u"");
        gWindow.inputEdits[row] = edit;
        SetDefaultText(edit, input.defaultValue);
        break;
      }
      case ControlText::InputUnit:
        if (input.unit != nullptr && input.unit[0] != 0) {
          CreateControl(parent, layout, baseLine + layout.y, layout.id, input.unit);
        }
        break;
      case ControlText::Fixed:
      case ControlText::Cautions:
      case ControlText::Reference: break;
    }
  }
}

void CreateFixedControls(HWND parent) {
  const ToolDef& tool = *gWindow.tool;
  char16_t reference[kReferenceTextCapacity];
  Format(reference, kReferenceTextCapacity, u"参考依据：%ls", tool.reference);
  for (const ControlSpec& layout : kFixedControls) {
    const char16_t* text = layout.fixedText;
    if (layout.text == ControlText::Cautions) text = tool.cautions != nullptr ? tool.cautions : u"";
    if (layout.text == ControlText::Reference) text = reference;
    HWND control = CreateControl(parent, layout, layout.y, layout.id, text);
    if (layout.slot != nullptr) gWindow.*layout.slot = control;
  }
}

}  // namespace

void CreateControls(HWND parent) {
  for (std::int32_t row = 0; row < ClampedInputCount(*gWindow.tool); ++row) {
    CreateInputRow(parent, row);
  }
  CreateFixedControls(parent);
}

}  // namespace tarn
