// Painting of the main window's own surface (background, header, cards, footer, status
// line) and the box primitives that the owner-drawn buttons share. Reads gWindow only.
#pragma once
#include <windows.h>

namespace tarn {

// A box: left, top, width, height in client pixels; right and bottom excluded.
struct Box {
  int left;
  int top;
  int width;
  int height;
};

// Fills the box with a solid brush of `colour` made and deleted here.
void FillBox(HDC dc, const Box& box, COLORREF colour);

// Outlines the box with a one-pixel pen of `colour`; the inside is left alone.
void FrameBox(HDC dc, const Box& box, COLORREF colour);

// One line of text, vertically centred, cut with an ellipsis, transparent background;
// `flags` adds DT_RIGHT or DT_CENTER. The DC's font is restored afterwards.
void DrawBoxText(HDC dc, const Box& box, const char16_t* text, COLORREF colour, HFONT font,
                 UINT flags);

// The sixteen paint steps on any DC whose drawing area is width x height.
void PaintSurface(HDC dc, int width, int height);

// WM_PAINT: BeginPaint, PaintSurface over the client area, EndPaint.
void PaintMainWindow(HWND window);

}  // namespace tarn
