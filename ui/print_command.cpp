// Printing the result: refusals like copy's, the standard print dialog (comdlg32 from the
// system folder), then a worker thread that measures the printer's font, lays the pages out
// (print/page_layout) and draws them, and posts the outcome back to the window.
#include "ui/print_command.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstdint>
#include <initializer_list>

#include "platform/platform.h"
#include "platform/wide.h"
#include "print/page_layout.h"
#include "product_names.h"
#include "text/buffer.h"
#include "text/format.h"
#include "ui/commands.h"
#include "ui/paint.h"
#include "ui/system_library.h"
#include "ui/window_state.h"

namespace tarn {
namespace {

constexpr std::int32_t kPrinterNameCapacity = 256;
constexpr std::int32_t kReasonCapacity = 512;
constexpr std::int32_t kFailureCapacity = 900;
constexpr std::int32_t kMeasureHeight = 1000;  // font height the body font is measured at
constexpr wchar_t kBodyFace[] = L"Consolas";   // the result box's monospaced font
constexpr wchar_t kHeaderFace[] = L"Microsoft YaHei UI";

constexpr char16_t kNoPrinterText[] =
    u"这台电脑没有可用的打印机，或没有设默认打印机。\r\n"
    u"请在 Windows 的“设置 → 蓝牙和其他设备 → 打印机和扫描仪”（Windows 7：“控制面板 → "
    u"设备和打印机”）中添加打印机并设为默认打印机，或请信息科安装，然后再打印。";

// One print: copies of what is printed (the window may calculate again meanwhile), the
// printer's DC, the layout and the outcome. Made by the window thread, filled and drawn by
// the print thread, handed back with kPrintDoneMessage and freed by the window thread.
struct PrintJob {
  HWND window;
  HDC dc;
  const ToolDef* tool;
  char16_t result[kWholeResultCapacity];
  char16_t verdict[kVerdictTextCapacity];
  Level level;
  LocalDateTime time;
  char16_t printer[kPrinterNameCapacity];
  const char16_t* failedStep;  // null: printed
  DWORD error;
  PageLayout layout;
};

// True while a job is with the print thread; a second print waits for it.
bool gPrinting = false;
// The print thread while it runs: the window's destruction waits for it.
HANDLE gPrintThread = nullptr;

using PrintDialogFunction = BOOL(WINAPI*)(PRINTDLGW*);
using DialogErrorFunction = DWORD(WINAPI*)();

// comdlg32's two functions, loaded once from the system folder; null when unavailable.
struct DialogLibrary {
  PrintDialogFunction printDialog;
  DialogErrorFunction lastError;
};

DialogLibrary LoadDialogLibrary() {
  static HMODULE module = LoadSystemLibrary(L"comdlg32.dll");
  if (module == nullptr) return {nullptr, nullptr};
  // GetProcAddress's generic function pointer is cast through void(*)() to the real type.
  const auto find = [](const char* name) {
    return reinterpret_cast<void (*)()>(GetProcAddress(module, name));
  };
  return {reinterpret_cast<PrintDialogFunction>(find("PrintDlgW")),
          reinterpret_cast<DialogErrorFunction>(find("CommDlgExtendedError"))};
}

void ShowFailure(const char16_t* step, DWORD error) {
  char16_t reason[kReasonCapacity] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 AsWide(reason), kReasonCapacity, nullptr);
  char16_t text[kFailureCapacity];
  Format(text, kFailureCapacity, u"结果未能打印：%ls（错误代码 %d）。\r\n%ls", step,
         static_cast<std::int64_t>(error), reason);
  ShowMessage(text, u"打印失败", MB_ICONWARNING);
}

// Asks for A4 portrait where the driver lets the paper be chosen; a printer without A4 keeps
// its own paper, and the layout follows whatever page the DC reports.
void AskForA4(HGLOBAL devModeHandle) {
  auto* devMode = static_cast<DEVMODEW*>(GlobalLock(devModeHandle));
  if (devMode == nullptr) return;
  devMode->dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
  devMode->dmPaperSize = DMPAPER_A4;
  devMode->dmOrientation = DMORIENT_PORTRAIT;
  GlobalUnlock(devModeHandle);
}

void ReadPrinterName(HGLOBAL devNamesHandle, char16_t* out, std::int32_t capacity) {
  out[0] = 0;
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNamesHandle));
  if (names == nullptr) return;
  CopyText(out, capacity, AsU16(reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset));
  GlobalUnlock(devNamesHandle);
}

// The print dialog with the default printer chosen (A4 asked for); the printer's DC, or null
// after a cancel or a failure that has been told.
HDC AskForPrinter(char16_t* printer, std::int32_t printerCapacity) {
  const DialogLibrary library = LoadDialogLibrary();
  if (library.printDialog == nullptr || library.lastError == nullptr) {
    ShowFailure(u"无法载入 Windows 的打印对话框（comdlg32.dll）", GetLastError());
    return nullptr;
  }
  PRINTDLGW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = gWindow.mainWindow;
  dialog.Flags = PD_RETURNDEFAULT;  // the default printer's settings, without a dialog
  BOOL chosen = library.printDialog(&dialog);
  if (chosen) {
    AskForA4(dialog.hDevMode);
    // No "print to file": its file dialog would open from the print thread.
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                   PD_USEDEVMODECOPIESANDCOLLATE;
    chosen = library.printDialog(&dialog);
  }
  const DWORD error = chosen ? 0 : library.lastError();
  if (dialog.hDevNames != nullptr) ReadPrinterName(dialog.hDevNames, printer, printerCapacity);
  if (dialog.hDevMode != nullptr) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames != nullptr) GlobalFree(dialog.hDevNames);
  if (chosen && dialog.hDC != nullptr) return dialog.hDC;
  if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) {
    ShowMessage(kNoPrinterText, u"没有打印机", MB_ICONWARNING);
  } else if (chosen || error != 0) {  // error 0 without a DC: the user cancelled
    ShowFailure(u"打印对话框未能打开打印机", error);
  }
  if (dialog.hDC != nullptr) DeleteDC(dialog.hDC);
  return nullptr;
}

HFONT MakeFont(std::int32_t height, int weight, const wchar_t* face) {
  return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// The body font's advances and line height per 1000 units of height, on this printer.
FontMetrics MeasureBodyFont(HDC dc) {
  FontMetrics metrics = {};
  HFONT font = MakeFont(kMeasureHeight, FW_NORMAL, kBodyFace);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE half = {};
  SIZE full = {};
  TEXTMETRICW text = {};
  if (GetTextExtentPoint32W(dc, L"0", 1, &half) && GetTextExtentPoint32W(dc, L"中", 1, &full) &&
      GetTextMetricsW(dc, &text)) {
    metrics = {half.cx, full.cx, text.tmHeight + text.tmExternalLeading};
  }
  SelectObject(dc, previous);
  DeleteObject(font);
  return metrics;
}

PageMetrics ReadPageMetrics(HDC dc) {
  return {GetDeviceCaps(dc, PHYSICALWIDTH),   GetDeviceCaps(dc, PHYSICALHEIGHT),
          GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
          GetDeviceCaps(dc, HORZRES),         GetDeviceCaps(dc, VERTRES),
          GetDeviceCaps(dc, LOGPIXELSX),      GetDeviceCaps(dc, LOGPIXELSY)};
}

// The fonts of one job, made on the print thread for the printer's DC.
struct PageFonts {
  HFONT title;
  HFONT headerLine;
  HFONT footer;
  HFONT body;
  HFONT verdict;
};

void DrawPage(const PrintJob& job, const PageFonts& fonts, std::int32_t page) {
  const PageLayout& layout = job.layout;
  const HDC dc = job.dc;
  const int width = layout.right - layout.left;
  constexpr COLORREF kInk = RGB(0, 0, 0);
  DrawBoxText(dc, {layout.left, layout.titleTop, width, layout.titleHeight * 3 / 2},
              job.tool->title, kInk, fonts.title, 0);
  DrawBoxText(dc, {layout.left, layout.headerLineTop, width, layout.headerLineHeight * 3 / 2},
              layout.headerLine, kInk, fonts.headerLine, 0);
  FillBox(dc, {layout.left, layout.headerRuleTop, width, layout.ruleThickness}, kInk);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kInk);
  SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  for (std::int32_t i = 0; i < layout.lineCount; ++i) {
    const PrintLine& line = layout.lines[i];
    if (line.page != page || line.length == 0) continue;
    const char16_t* text = line.verdict ? layout.verdictLine : job.result;
    HGDIOBJ previous = SelectObject(dc, line.verdict ? fonts.verdict : fonts.body);
    TextOutW(dc, layout.left, line.top, AsWide(text + line.start), line.length);
    SelectObject(dc, previous);
  }

  FillBox(dc, {layout.left, layout.footerRuleTop, width, layout.ruleThickness}, kInk);
  const Box footer = {layout.left, layout.footerTop, width, layout.footerHeight * 3 / 2};
  char16_t pageNumber[kPageNumberCapacity];
  PageNumberText(page, layout.pageCount, pageNumber, kPageNumberCapacity);
  DrawBoxText(dc, footer, layout.footerLeft, kInk, fonts.footer, 0);
  DrawBoxText(dc, footer, pageNumber, kInk, fonts.footer, DT_CENTER);
  DrawBoxText(dc, footer, layout.footerRight, kInk, fonts.footer, DT_RIGHT);
}

// Draws every page into a document; false with failedStep and error set when a step fails.
bool DrawDocument(PrintJob& job, const PageFonts& fonts) {
  DOCINFOW document = {};
  document.cbSize = sizeof document;
  document.lpszDocName = AsWide(job.tool->title);
  if (StartDocW(job.dc, &document) <= 0) {
    job.failedStep = u"打印机未接受打印作业";
    return false;
  }
  for (std::int32_t page = 0; page < job.layout.pageCount; ++page) {
    if (StartPage(job.dc) <= 0) {
      job.failedStep = u"打印机未能开始新的一页";
      break;
    }
    DrawPage(job, fonts, page);
    if (EndPage(job.dc) <= 0) {
      job.failedStep = u"打印机未能完成一页";
      break;
    }
  }
  if (job.failedStep != nullptr) {
    job.error = GetLastError();
    AbortDoc(job.dc);
    return false;
  }
  if (EndDoc(job.dc) <= 0) {
    job.failedStep = u"打印作业未能送往打印机";
    return false;
  }
  return true;
}

void RunPrintJob(PrintJob& job) {
  PrintSource source = {job.tool->title, job.tool->category, job.tool->subtitle,
                        job.result,      job.verdict,        job.level,
                        job.time,        kProductName,       kProductVersion};
  LayOutPages(source, ReadPageMetrics(job.dc), MeasureBodyFont(job.dc), job.layout);
  if (!job.layout.laidOut) {
    job.failedStep = u"打印机的纸张放不下结果（纸张过小或字体不可用）";
    job.error = ERROR_INVALID_PARAMETER;
    return;
  }
  const PageLayout& layout = job.layout;
  const PageFonts fonts = {MakeFont(layout.titleHeight, FW_BOLD, kHeaderFace),
                           MakeFont(layout.headerLineHeight, FW_NORMAL, kHeaderFace),
                           MakeFont(layout.footerHeight, FW_NORMAL, kHeaderFace),
                           MakeFont(layout.bodyFontHeight, FW_NORMAL, kBodyFace),
                           MakeFont(layout.bodyFontHeight, FW_BOLD, kBodyFace)};
  if (!DrawDocument(job, fonts) && job.error == 0) job.error = GetLastError();
  for (HFONT font : {fonts.title, fonts.headerLine, fonts.footer, fonts.body, fonts.verdict}) {
    DeleteObject(font);
  }
}

DWORD WINAPI PrintThread(void* parameter) {
  auto* job = static_cast<PrintJob*>(parameter);
  RunPrintJob(*job);
  DeleteDC(job->dc);
  // The window is gone only when the program is ending; the job is then freed here.
  if (!PostMessageW(job->window, kPrintDoneMessage, 0, reinterpret_cast<LPARAM>(job))) delete job;
  return 0;
}

}  // namespace

void AddPrintMenuItem(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kPrintMenuCommand, L"打印结果…\tCtrl+P");
}

bool IsPrintKey(const MSG& message) {
  return message.message == WM_KEYDOWN && message.wParam == 'P' && GetKeyState(VK_CONTROL) < 0 &&
         GetKeyState(VK_MENU) >= 0 && gWindow.mainWindow != nullptr &&
         (message.hwnd == gWindow.mainWindow || IsChild(gWindow.mainWindow, message.hwnd));
}

void PrintCommand() {
  if (IsEmpty(gWindow.lastResultText)) {
    ShowMessage(u"请先点击“计算”生成结果。", u"提示", MB_ICONINFORMATION);
    return;
  }
  if (RefuseStaleResult(u"打印")) return;
  if (gPrinting) {
    ShowMessage(u"上一份结果仍在送往打印机，请稍候再打印。", u"提示", MB_ICONINFORMATION);
    return;
  }
  auto* job = new PrintJob();
  job->dc = AskForPrinter(job->printer, kPrinterNameCapacity);
  if (job->dc == nullptr) {
    delete job;
    return;
  }
  job->window = gWindow.mainWindow;
  job->tool = gWindow.tool;
  CopyText(job->result, kWholeResultCapacity, gWindow.lastResultText);
  GetWindowTextW(gWindow.verdictLabel, AsWide(job->verdict), kVerdictTextCapacity);
  job->level = gWindow.verdictLevel;
  job->time = LocalNow();  // the dialog may have stood open a while: the time it was sent
  HANDLE thread = CreateThread(nullptr, 0, PrintThread, job, 0, nullptr);
  if (thread == nullptr) {
    const DWORD error = GetLastError();
    DeleteDC(job->dc);
    delete job;
    ShowFailure(u"无法开始打印", error);
    return;
  }
  gPrintThread = thread;
  gPrinting = true;
  Format(gWindow.statusText, kStatusTextCapacity, u"正在送往打印机 %ls…", job->printer);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
}

void PrintDone(LPARAM finishedJob) {
  auto* job = reinterpret_cast<PrintJob*>(finishedJob);
  FinishPrintBeforeDestroy();
  gPrinting = false;
  if (job->failedStep != nullptr && job->error == ERROR_CANCELLED) {
    // The user cancelled in the printer's own dialog (a PDF printer's file name): not a fault.
    CopyText(gWindow.statusText, kStatusTextCapacity, u"已取消打印");
    InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
    delete job;
    return;
  }
  if (job->failedStep != nullptr) {
    CopyText(gWindow.statusText, kStatusTextCapacity, u"打印失败");
    InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
    const char16_t* step = job->failedStep;
    const DWORD error = job->error;
    delete job;
    ShowFailure(step, error);
    return;
  }
  Format(gWindow.statusText, kStatusTextCapacity, u"已送往打印机 %ls，共 %d 页", job->printer,
         job->layout.pageCount);
  InvalidateRect(gWindow.mainWindow, nullptr, FALSE);
  delete job;
}

void FinishPrintBeforeDestroy() {
  if (gPrintThread == nullptr) return;
  // A stuck printer driver must not keep the program from ending; a job cut short is deleted
  // by the spooler, and the user can print again.
  WaitForSingleObject(gPrintThread, kPrintFinishWaitMilliseconds);
  CloseHandle(gPrintThread);
  gPrintThread = nullptr;
}

}  // namespace tarn
