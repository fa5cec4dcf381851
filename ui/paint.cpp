// Painting of the main window's surface: sixteen steps from one table, drawn in order with
// brushes and pens made and deleted per step. Keeps no state; never writes gWindow.
#include "ui/paint.h"

#include <cstdint>

#include "platform/wide.h"
#include "text/format.h"
#include "ui/main_window.h"
#include "ui/theme.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

enum class StepKind : std::uint8_t { Fill, Frame, Text };

// How a step's box follows the client size; every other box is fixed.
enum class Span : std::uint8_t {
  Fixed,
  FullWidth,  // width = W
  FullSize,   // width = W, height = H
  FromRight,  // left = W - box.left
};

enum class StepText : std::uint8_t {
  None,
  Title,
  CategoryLine,
  WebAddress,
  InputCaption,
  ResultCaption,
  Status,
};

struct PaintStep {
  StepKind kind;
  Box box;
  Span span;
  COLORREF colour;
  HFONT WindowState::*font;  // text steps only
  UINT flags;                // extra DrawTextW flags of a text step
  StepText text;
};

constexpr HFONT WindowState::*kNoFont = nullptr;

// clang-format off
constexpr PaintStep kPaintSteps[] = {
    // kind           box                                           span             colour          font                      flags     text
    {StepKind::Fill,  {0, 0, 0, 0},                                 Span::FullSize,  kPage,          kNoFont,                  0,        StepText::None},
    {StepKind::Fill,  {0, 0, 0, 88},                                Span::FullWidth, kBrand,         kNoFont,                  0,        StepText::None},
    {StepKind::Fill,  {0, 0, 8, 88},                                Span::Fixed,     kBrandAccent,   kNoFont,                  0,        StepText::None},
    {StepKind::Text,  {26, 12, 700, 38},                            Span::Fixed,     kWhite,         &WindowState::titleFont,  0,        StepText::Title},
    {StepKind::Text,  {28, 48, 720, 28},                            Span::Fixed,     kHeaderSubtext, &WindowState::headerFont, 0,        StepText::CategoryLine},
    {StepKind::Text,  {240, 8, 214, 26},                            Span::FromRight, kHeaderFaint,   &WindowState::smallFont,  DT_RIGHT, StepText::WebAddress},
    {StepKind::Fill,  {20, 96, 440, 552},                           Span::Fixed,     kWhite,         kNoFont,                  0,        StepText::None},
    {StepKind::Frame, {20, 96, 440, 552},                           Span::Fixed,     kCardOutline,   kNoFont,                  0,        StepText::None},
    {StepKind::Fill,  {476, 96, 524, 552},                          Span::Fixed,     kWhite,         kNoFont,                  0,        StepText::None},
    {StepKind::Frame, {476, 96, 524, 552},                          Span::Fixed,     kCardOutline,   kNoFont,                  0,        StepText::None},
    {StepKind::Text,  {36, 104, 300, 30},                           Span::Fixed,     kBrand,         &WindowState::headerFont, 0,        StepText::InputCaption},
    {StepKind::Text,  {kResultColumnX, 104, 300, 30},               Span::Fixed,     kBrand,         &WindowState::headerFont, 0,        StepText::ResultCaption},
    {StepKind::Fill,  {36, 133, 408, 1},                            Span::Fixed,     kDivider,       kNoFont,                  0,        StepText::None},
    {StepKind::Fill,  {kResultColumnX, 133, kResultColumnWidth, 1}, Span::Fixed,     kDivider,       kNoFont,                  0,        StepText::None},
    {StepKind::Fill,  {0, 660, 0, 60},                              Span::FullWidth, kFooter,        kNoFont,                  0,        StepText::None},
    {StepKind::Text,  {740, 704, 264, 16},                          Span::Fixed,     kMutedText,     &WindowState::smallFont,  DT_RIGHT, StepText::Status},
};
// clang-format on
static_assert(sizeof kPaintSteps / sizeof kPaintSteps[0] == 16, "sixteen paint steps");

constexpr std::int32_t kCategoryLineCapacity = 256;

Box StepBox(const PaintStep& step, int width, int height) {
  Box box = step.box;
  switch (step.span) {
    case Span::Fixed: break;
    case Span::FullWidth: box.width = width; break;
    case Span::FullSize:
      box.width = width;
      box.height = height;
      break;
    case Span::FromRight: box.left = width - step.box.left; break;
  }
  return box;
}

// The text of a text step; `scratch` holds the one text that is formatted here.
const char16_t* StepTextOf(StepText text, char16_t* scratch, std::int32_t capacity) {
  const ToolDef& tool = *gWindow.tool;
  switch (text) {
    case StepText::None: return u"";
    case StepText::Title: return tool.title;
    case StepText::CategoryLine:
      Format(scratch, capacity, u"%ls  \u00b7  %ls", tool.category,
             tool.subtitle != nullptr ? tool.subtitle : u"");
      return scratch;
    case StepText::WebAddress: return kMakerWebAddress;
    case StepText::InputCaption: return u"输入参数";
    case StepText::ResultCaption: return u"计算结果";
    case StepText::Status: return gWindow.statusText;
  }
  return u"";
}

// A stale result's status line is drawn as a warning: the small grey line alone is easy to miss.
COLORREF StepColour(const PaintStep& step) {
  return step.text == StepText::Status && gWindow.resultStale ? VerdictColour(2) : step.colour;
}

}  // namespace

void FillBox(HDC dc, const Box& box, COLORREF colour) {
  const RECT rect = {box.left, box.top, box.left + box.width, box.top + box.height};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void FrameBox(HDC dc, const Box& box, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, box.left, box.top, box.left + box.width, box.top + box.height);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawBoxText(HDC dc, const Box& box, const char16_t* text, COLORREF colour, HFONT font,
                 UINT flags) {
  RECT rect = {box.left, box.top, box.left + box.width, box.top + box.height};
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, AsWide(text), -1, &rect, flags | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
}

void PaintSurface(HDC dc, int width, int height) {
  char16_t scratch[kCategoryLineCapacity];
  for (const PaintStep& step : kPaintSteps) {
    const Box box = StepBox(step, width, height);
    switch (step.kind) {
      case StepKind::Fill: FillBox(dc, box, step.colour); break;
      case StepKind::Frame: FrameBox(dc, box, step.colour); break;
      case StepKind::Text:
        DrawBoxText(dc, box, StepTextOf(step.text, scratch, kCategoryLineCapacity),
                    StepColour(step), gWindow.*step.font, step.flags);
        break;
    }
  }
}

void PaintMainWindow(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  PaintSurface(dc, client.right - client.left, client.bottom - client.top);
  EndPaint(window, &paint);
}

}  // namespace tarn
