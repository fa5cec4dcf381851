// The printed result's page layout. Portable: no GDI, no heap; every text is bounded and
// every length in device units is computed in 64 bits before it is stored.
#include "print/page_layout.h"

#include "text/buffer.h"
#include "text/format.h"

namespace tarn {
namespace {

constexpr std::int32_t kMarginTenthsMm = 200;  // 20 mm on every side
constexpr std::int32_t kTitlePoints = 16;
constexpr std::int32_t kHeaderLinePoints = 10;
constexpr std::int32_t kFooterPoints = 8;
constexpr std::int32_t kLeadingPercent = 20;  // space between body lines, of a line's height
constexpr char16_t kFooterRightText[] = u"计算辅助，请与医嘱核对";

constexpr const char16_t* kLevelNames[] = {u"正常", u"提示", u"注意", u"警示"};

std::int32_t Clamp32(std::int64_t value) {
  if (value < 0) return 0;
  return value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
}

std::int32_t FromTenthsMm(std::int32_t tenths, std::int32_t dotsPerInch) {
  return Clamp32(static_cast<std::int64_t>(tenths) * dotsPerInch / 254);
}

std::int32_t FromPoints(std::int32_t points, std::int32_t dotsPerInch) {
  return Clamp32(static_cast<std::int64_t>(points) * dotsPerInch / 72);
}

std::int32_t FromTenthPoints(std::int32_t tenths, std::int32_t dotsPerInch) {
  return Clamp32(static_cast<std::int64_t>(tenths) * dotsPerInch / 720);
}

// A font height and the font's metrics: what a unit's advance is at that height. GDI gives
// every glyph a whole number of device units, so each advance is rounded up, never down.
struct BodyFont {
  std::int32_t height;
  FontMetrics metrics;
};

std::int64_t Advance(char16_t unit, const BodyFont& font) {
  const std::int32_t cells = UnitCells(unit);
  if (cells == 0) return 0;
  const std::int64_t perMille = cells == 1 ? font.metrics.halfAdvance : font.metrics.fullAdvance;
  return (font.height * perMille + 999) / 1000;
}

bool IsLineBreak(char16_t unit) { return unit == u'\r' || unit == u'\n'; }

// End of the line starting at `start` (before its CR LF or LF).
std::int32_t LineEnd(const char16_t* text, std::int32_t start) {
  std::int32_t end = start;
  while (text[end] != 0 && !IsLineBreak(text[end])) ++end;
  return end;
}

// Start of the next line after the line ending at `end`: past one CR LF, CR or LF.
std::int32_t NextLine(const char16_t* text, std::int32_t end) {
  if (text[end] == u'\r' && text[end + 1] == u'\n') return end + 2;
  return text[end] == 0 ? end : end + 1;
}

// True when every line of `text` is at most `width` wide in `font`.
bool AllLinesFit(const char16_t* text, const BodyFont& font, std::int32_t width) {
  std::int64_t used = 0;
  for (std::int32_t i = 0; text[i] != 0; ++i) {
    used = IsLineBreak(text[i]) ? 0 : used + Advance(text[i], font);
    if (used > width) return false;
  }
  return true;
}

// A continuation starts after the last blank that fits ("10日D" stays whole), else after a
// full-width character (a Chinese sentence), never inside a number.
bool IsFullWidth(char16_t unit) { return UnitCells(unit) == 2; }

bool AddLine(PageLayout& layout, std::int32_t start, std::int32_t length, bool verdict) {
  if (layout.lineCount >= kMaxPrintLines) return false;
  PrintLine& line = layout.lines[layout.lineCount++];
  line.start = start;
  line.length = length;
  line.verdict = verdict;
  return true;
}

// Adds the line [start, end) of `text`, in as many pieces as `width` needs.
bool AddWrapped(const char16_t* text, std::int32_t start, std::int32_t end, bool verdict,
                const BodyFont& font, std::int32_t width, PageLayout& layout) {
  if (start == end) return AddLine(layout, start, 0, verdict);
  while (start < end) {
    std::int64_t used = 0;
    std::int32_t stop = start;
    std::int32_t lastBlank = start;
    std::int32_t lastFullWidth = start;
    while (stop < end) {
      std::int32_t units = 1;  // a surrogate pair moves as one
      if (stop + 1 < end && UnitCells(text[stop + 1]) == 0) units = 2;
      const std::int64_t advance = Advance(text[stop], font);
      if (used + advance > width && stop > start) break;
      used += advance;
      stop += units;
      if (text[stop - units] == u' ') lastBlank = stop;
      if (IsFullWidth(text[stop - units])) lastFullWidth = stop;
    }
    if (stop < end)
      stop = lastBlank > start ? lastBlank : lastFullWidth > start ? lastFullWidth : stop;
    if (!AddLine(layout, start, stop - start, verdict)) return false;
    start = stop;
  }
  return true;
}

bool AddText(const char16_t* text, bool verdict, const BodyFont& font, std::int32_t width,
             PageLayout& layout) {
  std::int32_t start = 0;
  // A final line break ends the last line; it does not open an empty one.
  while (text[start] != 0) {
    const std::int32_t end = LineEnd(text, start);
    if (!AddWrapped(text, start, end, verdict, font, width, layout)) return false;
    start = NextLine(text, end);
  }
  return true;
}

// The largest height from `smallest` to `largest` at which every line fits, or `smallest`.
std::int32_t FittingHeight(const char16_t* text, const FontMetrics& metrics, std::int32_t smallest,
                           std::int32_t largest, std::int32_t width) {
  std::int32_t low = smallest;
  std::int32_t high = largest;
  while (low < high) {
    const std::int32_t middle = low + (high - low + 1) / 2;
    if (AllLinesFit(text, BodyFont{middle, metrics}, width)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

// The vertical bands: header at the top margin, footer at the bottom one, body between.
void PlaceBands(const PageMetrics& page, PageLayout& layout) {
  const std::int32_t dpi = page.dotsPerInchY;
  const std::int32_t mm = FromTenthsMm(10, dpi);
  const std::int32_t top = Clamp32(FromTenthsMm(kMarginTenthsMm, dpi) - page.offsetY);
  std::int64_t bottom = static_cast<std::int64_t>(page.physicalHeight) - page.offsetY -
                        FromTenthsMm(kMarginTenthsMm, dpi);
  if (bottom > page.printableHeight) bottom = page.printableHeight;
  layout.titleTop = top;
  layout.titleHeight = FromPoints(kTitlePoints, dpi);
  layout.headerLineTop = top + layout.titleHeight * 3 / 2;
  layout.headerLineHeight = FromPoints(kHeaderLinePoints, dpi);
  layout.headerRuleTop = layout.headerLineTop + layout.headerLineHeight * 3 / 2 + mm;
  layout.ruleThickness = dpi / 100 > 1 ? dpi / 100 : 1;
  layout.bodyTop = layout.headerRuleTop + layout.ruleThickness + 4 * mm;
  layout.footerHeight = FromPoints(kFooterPoints, dpi);
  layout.footerTop = Clamp32(bottom - layout.footerHeight * 3 / 2);
  layout.footerRuleTop =
      Clamp32(static_cast<std::int64_t>(layout.footerTop) - mm - layout.ruleThickness);
}

}  // namespace

const char16_t* LevelName(Level level) {
  return (level >= 1 && level <= 3) ? kLevelNames[level] : kLevelNames[0];
}

std::int32_t UnitCells(char16_t unit) {
  if (unit >= 0xDC00 && unit <= 0xDFFF) return 0;
  return unit < 0x80 ? 1 : 2;
}

void PageNumberText(std::int32_t page, std::int32_t pageCount, char16_t* out,
                    std::int32_t capacity) {
  Format(out, capacity, u"第 %d 页，共 %d 页", static_cast<std::int64_t>(page) + 1, pageCount);
}

void LayOutPages(const PrintSource& source, const PageMetrics& page, const FontMetrics& font,
                 PageLayout& layout) {
  layout.laidOut = false;
  layout.pageCount = 0;
  layout.lineCount = 0;
  Format(layout.headerLine, kHeaderLineCapacity, u"%ls  ·  %ls", source.category, source.subtitle);
  Format(layout.verdictLine, kVerdictLineCapacity, u"—— 【%ls】%ls", LevelName(source.level),
         source.verdictText);
  const LocalDateTime& time = source.printTime;
  Format(layout.footerLeft, kFooterTextCapacity, u"%ls %ls  ·  打印时间 %04d-%02d-%02d %02d:%02d",
         source.productName, source.productVersion, time.year, time.month, time.day, time.hour,
         time.minute);
  CopyText(layout.footerRight, kFooterTextCapacity, kFooterRightText);

  layout.left = Clamp32(FromTenthsMm(kMarginTenthsMm, page.dotsPerInchX) - page.offsetX);
  std::int64_t right = static_cast<std::int64_t>(page.physicalWidth) - page.offsetX -
                       FromTenthsMm(kMarginTenthsMm, page.dotsPerInchX);
  if (right > page.printableWidth) right = page.printableWidth;
  layout.right = Clamp32(right);
  PlaceBands(page, layout);
  if (layout.right <= layout.left || font.halfAdvance <= 0 || font.fullAdvance <= 0 ||
      font.lineHeight <= 0) {
    return;
  }
  const std::int32_t width = layout.right - layout.left;

  const std::int32_t smallest = FromTenthPoints(kSmallestBodyTenthPoints, page.dotsPerInchY);
  const std::int32_t largest = FromTenthPoints(kLargestBodyTenthPoints, page.dotsPerInchY);
  if (smallest < 1) return;
  const BodyFont body = {FittingHeight(source.resultText, font, smallest, largest, width), font};
  layout.bodyFontHeight = body.height;
  layout.linePitch = Clamp32(
      (static_cast<std::int64_t>(body.height) * font.lineHeight * (100 + kLeadingPercent) + 99999) /
      100000);
  const std::int32_t bodyBottom = layout.footerRuleTop - FromTenthsMm(30, page.dotsPerInchY);
  layout.linesPerPage = bodyBottom > layout.bodyTop && layout.linePitch > 0
                            ? (bodyBottom - layout.bodyTop) / layout.linePitch
                            : 0;
  if (layout.linesPerPage < 1) return;

  // An empty line sets the verdict apart from the result.
  if (!AddText(source.resultText, false, body, width, layout) || !AddLine(layout, 0, 0, true) ||
      !AddText(layout.verdictLine, true, body, width, layout)) {
    return;
  }
  for (std::int32_t i = 0; i < layout.lineCount; ++i) {
    PrintLine& line = layout.lines[i];
    line.page = i / layout.linesPerPage;
    line.top = layout.bodyTop + (i % layout.linesPerPage) * layout.linePitch;
  }
  layout.pageCount = (layout.lineCount + layout.linesPerPage - 1) / layout.linesPerPage;
  layout.laidOut = true;
}

}  // namespace tarn
