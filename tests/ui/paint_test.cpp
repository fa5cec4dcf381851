// Painting and the owner-drawn buttons, drawn into memory: the colours of the painted
// surface where nothing else covers it, the boxes that follow the client size, and the
// pressed and normal button faces.
#include <gtest/gtest.h>

#include "ui/main_window.h"
#include "ui/paint.h"
#include "ui/theme.h"
#include "ui/window_state.h"
#include "window_fixture.h"

namespace tarn {
namespace {

// A memory DC with a 32-bit bitmap of the given size, pre-filled with black.
struct Canvas {
  Canvas(int width, int height) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
    const RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

TEST_F(WindowTest, PaintedSurfaceColours) {
  const struct {
    const char* what;
    int x, y;
    COLORREF colour;
  } points[] = {
      {"page background", 10, 300, RGB(244, 247, 249)},
      {"header band", 900, 70, RGB(0, 108, 150)},
      {"accent strip", 4, 44, RGB(0, 132, 176)},
      {"input card", 300, 600, RGB(255, 255, 255)},
      {"input card outline, left", 20, 300, RGB(218, 226, 232)},
      {"result card outline, right", 999, 300, RGB(218, 226, 232)},
      {"right of the result card", 1005, 300, RGB(244, 247, 249)},
      {"divider under the input caption", 400, 133, RGB(228, 234, 238)},
      {"footer band", 900, 680, RGB(236, 241, 244)},
  };
  Canvas canvas(kClientWidth, kClientHeight);
  PaintSurface(canvas.dc, kClientWidth, kClientHeight);
  for (const auto& p : points) EXPECT_EQ(canvas.At(p.x, p.y), p.colour) << p.what;
}

TEST_F(WindowTest, BackgroundHeaderAndFooterFollowTheClientSize) {
  Canvas canvas(1200, 800);
  PaintSurface(canvas.dc, 1200, 800);
  EXPECT_EQ(canvas.At(1199, 799), RGB(244, 247, 249));
  EXPECT_EQ(canvas.At(1199, 87), RGB(0, 108, 150));
  EXPECT_EQ(canvas.At(1199, 700), RGB(236, 241, 244));
  EXPECT_EQ(canvas.At(1199, 750), RGB(244, 247, 249));
}

TEST_F(WindowTest, ButtonsAreDrawnPressedExactlyWhileSelected) {
  const struct {
    int id;
    UINT state;
    COLORREF fill;
    COLORREF frame;
  } cases[] = {
      {kCalculateButtonId, 0, RGB(0, 122, 168), RGB(0, 106, 148)},
      {kCalculateButtonId, ODS_SELECTED, RGB(0, 100, 138), RGB(0, 106, 148)},
      {kCalculateButtonId, ODS_FOCUS, RGB(0, 122, 168), RGB(0, 106, 148)},
      {kCopyButtonId, 0, RGB(255, 255, 255), RGB(206, 216, 224)},
      {kCopyButtonId, ODS_SELECTED | ODS_FOCUS, RGB(226, 234, 240), RGB(206, 216, 224)},
  };
  for (const auto& c : cases) {
    Canvas canvas(152, 40);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(c.id);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = c.state;
    item.hwndItem = GetDlgItem(window_, c.id);
    item.hDC = canvas.dc;
    item.rcItem = {0, 0, 152, 40};
    EXPECT_EQ(SendMessageW(window_, WM_DRAWITEM, static_cast<WPARAM>(c.id),
                           reinterpret_cast<LPARAM>(&item)),
              1);
    SCOPED_TRACE(testing::Message() << "button " << c.id << " state " << c.state);
    EXPECT_EQ(canvas.At(3, 3), c.fill);
    EXPECT_EQ(canvas.At(0, 0), c.frame);
    EXPECT_EQ(canvas.At(151, 39), c.frame);
  }
}

TEST_F(WindowTest, ControlColours) {
  HDC dc = CreateCompatibleDC(nullptr);
  const auto white = reinterpret_cast<LRESULT>(gWindow.whiteBrush);
  EXPECT_EQ(SendMessageW(window_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(Edit(0))),
            white);
  EXPECT_EQ(GetTextColor(dc), RGB(44, 56, 66));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  const struct {
    HWND control;
    COLORREF colour;
  } statics[] = {
      {gWindow.resultBox, RGB(44, 56, 66)},
      {gWindow.cautionsLabel, RGB(44, 56, 66)},
      {GetWindow(window_, GW_CHILD), RGB(120, 132, 142)},  // the first input label
  };
  for (const auto& s : statics) {
    SetBkMode(dc, OPAQUE);
    EXPECT_EQ(SendMessageW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(s.control)),
              white);
    EXPECT_EQ(GetTextColor(dc), s.colour);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  }
  DeleteDC(dc);
}

}  // namespace
}  // namespace tarn
