// The printed result's page layout: which lines go on which page, the body font's height so
// that the longest line fits the width, and the header and footer texts. A plain function of
// texts and device units: no GDI, no heap; the Win32 side only draws what it says.
#pragma once
#include <cstdint>

#include "engine/tool.h"
#include "platform/platform.h"

namespace tarn {

// The sheet as the printer reports it, in device units (dots); drawing coordinates start at
// the printable area's corner.
struct PageMetrics {
  std::int32_t physicalWidth;
  std::int32_t physicalHeight;
  std::int32_t offsetX;  // printable area's corner on the sheet
  std::int32_t offsetY;
  std::int32_t printableWidth;
  std::int32_t printableHeight;
  std::int32_t dotsPerInchX;
  std::int32_t dotsPerInchY;
};

// The monospaced body font, per 1000 units of character height: the advance of a half-width
// character (ASCII), of a full-width one (CJK), and the height of a line of text.
struct FontMetrics {
  std::int32_t halfAdvance;
  std::int32_t fullAdvance;
  std::int32_t lineHeight;
};

// What is printed: the window's result and verdict, the tool's names, the time, the product.
struct PrintSource {
  const char16_t* title;
  const char16_t* category;
  const char16_t* subtitle;  // may be null
  const char16_t* resultText;
  const char16_t* verdictText;
  Level level;
  LocalDateTime printTime;
  const char16_t* productName;
  const char16_t* productVersion;
};

// One body line: units [start, start + length) of the result text, or of the layout's own
// verdict line; `top` is its top edge on its page.
struct PrintLine {
  std::int32_t page;  // from 0
  std::int32_t top;
  std::int32_t start;
  std::int32_t length;
  bool verdict;
};

// Every line of the largest result (8192 units) wrapped at the smallest font fits.
inline constexpr std::int32_t kMaxPrintLines = 9000;
inline constexpr std::int32_t kHeaderLineCapacity = 256;
inline constexpr std::int32_t kVerdictLineCapacity = 600;
inline constexpr std::int32_t kFooterTextCapacity = 128;
inline constexpr std::int32_t kPageNumberCapacity = 40;

// Body font heights in tenths of a point: at most 12 pt (a short result), at least 4.5 pt, at
// which the 40-nurse 31-day rota's rows still fit A4's width; below that a line is wrapped
// rather than shrunk further.
inline constexpr std::int32_t kLargestBodyTenthPoints = 120;
inline constexpr std::int32_t kSmallestBodyTenthPoints = 45;

struct PageLayout {
  bool laidOut;  // false: the page has no room for a line, or the text has too many lines
  std::int32_t pageCount;
  // Columns and the vertical bands of every page, in device units.
  std::int32_t left;
  std::int32_t right;
  std::int32_t titleTop;
  std::int32_t titleHeight;  // character heights of the header and footer fonts
  std::int32_t headerLineTop;
  std::int32_t headerLineHeight;
  std::int32_t headerRuleTop;
  std::int32_t ruleThickness;
  std::int32_t bodyTop;
  std::int32_t bodyFontHeight;
  std::int32_t linePitch;
  std::int32_t linesPerPage;
  std::int32_t footerRuleTop;
  std::int32_t footerTop;
  std::int32_t footerHeight;
  // Texts: "category  ·  subtitle", "—— 【level】verdict", the footer's left and right parts.
  char16_t headerLine[kHeaderLineCapacity];
  char16_t verdictLine[kVerdictLineCapacity];
  char16_t footerLeft[kFooterTextCapacity];
  char16_t footerRight[kFooterTextCapacity];
  std::int32_t lineCount;
  PrintLine lines[kMaxPrintLines];
};

// The level in words, for paper without colour: 0 正常, 1 提示, 2 注意, 3 警示; any other
// level reads like 0, as the window colours it.
const char16_t* LevelName(Level level);

// Cells a unit takes in the monospaced font: 1 for ASCII, 2 for everything else. CJK is
// full width, and the ambiguous ones (°, ×, —, ①) are drawn full width by CJK fonts, so a
// line is never measured narrower than it prints; a low surrogate adds nothing to its pair.
std::int32_t UnitCells(char16_t unit);

// "第 N 页，共 M 页" for page `page` (from 0).
void PageNumberText(std::int32_t page, std::int32_t pageCount, char16_t* out,
                    std::int32_t capacity);

// Lays out `source` on pages of `page` in the body font `font`. Result lines end with CR LF
// (a lone LF counts too); they are printed in order, then an empty line and the verdict line,
// each whole on one page. A line wider than the page at the smallest font, and a long
// verdict, continue on the next line, broken after a blank (else after a full-width
// character), never inside a number.
void LayOutPages(const PrintSource& source, const PageMetrics& page, const FontMetrics& font,
                 PageLayout& layout);

}  // namespace tarn
