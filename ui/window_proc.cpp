// The main window procedure: a flat switch handing each message to its On<Message> handler.
// Draws the owner-drawn buttons, colours the controls and dispatches the five button
// commands. The controls come from controls.cpp; painting itself is in paint.cpp.
#include <cstdint>

#include "platform/wide.h"
#include "text/buffer.h"
#include "ui/calculate_command.h"
#include "ui/commands.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/paint.h"
#include "ui/print_command.h"
#include "ui/save_record.h"
#include "ui/theme.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

constexpr std::int32_t kButtonCaptionCapacity = 64;

LRESULT OnCreate(HWND window) {
  gWindow.mainWindow = window;  // needed before CreateWindowExW returns
  gWindow.resultStale = false;
  CreateControls(window);
  AddPrintMenuItem(window);
  CopyText(gWindow.statusText, kStatusTextCapacity, u"就绪：填写参数后按 F5 或点击“计算”");
  return 0;
}

LRESULT OnDestroy() {
  FinishSaveBeforeDestroy();  // a record half written when the process ends would be torn
  FinishPrintBeforeDestroy();
  PostQuitMessage(0);
  return 0;
}

// A save still running keeps the window until it has ended; the save then closes it.
LRESULT OnClose(HWND window) {
  if (!HoldCloseForSave()) DestroyWindow(window);
  return 0;
}

// Windows may end the process as soon as this returns: a save still running finishes first,
// or its record would be lost (the next save would only mend the torn tail).
LRESULT OnEndSession(bool ending) {
  if (ending) {
    FinishSaveBeforeDestroy();
    FinishPrintBeforeDestroy();
  }
  return 0;
}

LRESULT OnPaint(HWND window) {
  PaintMainWindow(window);
  return 0;
}

// Painting covers the whole client area; erasing first would only flicker.
LRESULT OnEraseBackground() { return 1; }

// Equal smallest and largest tracking sizes hold the outer window at one size.
LRESULT OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = kOuterWidth;
  info->ptMinTrackSize.y = kOuterHeight;
  info->ptMaxTrackSize.x = kOuterWidth;
  info->ptMaxTrackSize.y = kOuterHeight;
  return 0;
}

LRESULT OnDrawItem(const DRAWITEMSTRUCT* item) {
  const ButtonColours& colours =
      item->CtlID == static_cast<UINT>(kCalculateButtonId) ? kPrimaryButton : kSecondaryButton;
  const RECT& rect = item->rcItem;
  const Box box = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  FillBox(item->hDC, box, pressed ? colours.pressedFill : colours.fill);
  FrameBox(item->hDC, box, colours.frame);
  char16_t caption[kButtonCaptionCapacity];
  GetWindowTextW(item->hwndItem, AsWide(caption), kButtonCaptionCapacity);
  DrawBoxText(item->hDC, box, caption, colours.caption, gWindow.buttonFont, DT_CENTER);
  return 1;
}

// True for EN_CHANGE from one of the tool's input edits.
bool IsInputChange(WPARAM wParam, LPARAM lParam) {
  const std::int32_t row = LOWORD(wParam) - kFirstInputEditId;
  return HIWORD(wParam) == EN_CHANGE && row >= 0 && row < ClampedInputCount(*gWindow.tool) &&
         reinterpret_cast<HWND>(lParam) == gWindow.inputEdits[row];
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsInputChange(wParam, lParam)) {
    MarkResultStale();
    return 0;
  }
  switch (LOWORD(wParam)) {  // the buttons' notification code is not looked at
    case kCalculateButtonId: CalculateCommand(); return 0;
    case kSaveButtonId: SaveRecord(); return 0;
    case kCopyButtonId: CopyCommand(); return 0;
    case kResetButtonId: ResetCommand(); return 0;
    case kAboutButtonId: AboutCommand(); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The system menu's own item; everything else is the system's.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) == kPrintMenuCommand) {
    PrintCommand();
    return 0;
  }
  return DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnCtlColorEdit(HDC dc) {
  SetTextColor(dc, kInkText);
  SetBkColor(dc, kWhite);
  return reinterpret_cast<LRESULT>(gWindow.whiteBrush);
}

// Static texts and the read-only result box.
LRESULT OnCtlColorStatic(HDC dc, HWND control) {
  SetBkMode(dc, TRANSPARENT);
  COLORREF colour = kMutedText;
  if (gWindow.resultStale && (control == gWindow.verdictLabel || control == gWindow.resultBox)) {
    // Greyed while the boxes hold other inputs: the old figures must not read as current.
  } else if (control == gWindow.verdictLabel) {
    colour = VerdictColour(gWindow.verdictLevel);
  } else if (control == gWindow.resultBox || control == gWindow.cautionsLabel) {
    colour = kInkText;
  }
  SetTextColor(dc, colour);
  return reinterpret_cast<LRESULT>(gWindow.whiteBrush);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_CLOSE: return OnClose(window);
    case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
    case kSaveDoneMessage: OnSaveDone(); return 0;
    case WM_PAINT: return OnPaint(window);
    case WM_ERASEBKGND: return OnEraseBackground();
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_DRAWITEM: return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND: return OnCommand(window, message, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
    case kPrintDoneMessage: PrintDone(lParam); return 0;
    case WM_CTLCOLOREDIT: return OnCtlColorEdit(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace tarn
