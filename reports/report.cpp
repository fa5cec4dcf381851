// Report dispatch and the line primitives every report shares: bounded appends with CR LF,
// input lookup by key and whole numbers. No heap, no Win32; nothing is ever written at or
// past a caller's capacity, verdicts and the no-report text included.
#include "reports/report.h"

#include <cmath>
#include <cstring>

#include "reports/generators.h"
#include "text/buffer.h"
#include "text/number.h"

namespace tarn {
namespace {

// Shown for a report kind that selects no generator: no line end.
constexpr const char16_t* kNoReportResult = u"（该工具暂无自定义报告）";
constexpr const char16_t* kNoReportVerdict = u"暂无报告内容";

constexpr const char16_t* kLineEnd = u"\r\n";

// Decimals tried by WriteExactNumber (FormatFixed's limit).
constexpr std::int32_t kMaxExactDecimals = 9;

// Writes one report line of at most kReportLineCapacity - 1 units at the writer's end, which
// has room for one unit more. A line that would be cut is written again with its long numbers
// in exponent form, so a cut never falls inside a digit string that then reads as a number.
void WriteReportLine(TextWriter& out, const char16_t* tmpl, const FormatArg* args,
                     std::int32_t argCount) {
  const std::int32_t start = out.Length();
  std::int32_t saved = out.Limit(kReportLineCapacity);
  WriteFormatList(out, tmpl, args, argCount);
  out.RestoreLimit(saved);
  if (out.Length() - start < kReportLineCapacity) return;
  out.Truncate(start);
  saved = out.Limit(kReportLineCapacity - 1);
  WriteFormatList(out, tmpl, args, argCount, /*shortenLongFixed=*/true);
  out.RestoreLimit(saved);
}

}  // namespace

Level RunReport(ReportKind kind, const ToolDef& tool, const double* inputValues,
                char16_t* resultText, std::int32_t resultCapacity, char16_t* verdictText,
                std::int32_t verdictCapacity) {
  CopyText(resultText, resultCapacity, u"");
  CopyText(verdictText, verdictCapacity, u"");
  if (kind >= 1 && kind < kReportKindCount) {
    return kReports[kind].generate(tool, inputValues, resultText, resultCapacity, verdictText,
                                   verdictCapacity);
  }
  CopyText(resultText, resultCapacity, kNoReportResult);
  CopyText(verdictText, verdictCapacity, kNoReportVerdict);
  return 0;
}

double InputValue(const ToolDef& tool, const double* inputValues, const char* key) {
  if (key == nullptr || tool.inputs == nullptr || inputValues == nullptr) return 0.0;
  for (std::int32_t i = 0; i < tool.inputCount; ++i) {
    const char* inputKey = tool.inputs[i].key;
    if (inputKey != nullptr && std::strcmp(inputKey, key) == 0) return inputValues[i];
  }
  return 0.0;
}

std::int32_t WholeNumber(double value) {
  constexpr std::int32_t kNoWhole = INT32_MIN;
  if (std::isnan(value)) return kNoWhole;
  const double whole = std::trunc(value);
  // Both bounds are exact doubles, so the comparison decides before any conversion.
  if (whole < static_cast<double>(INT32_MIN) || whole > static_cast<double>(INT32_MAX)) {
    return kNoWhole;
  }
  return static_cast<std::int32_t>(whole);
}

void WriteLineList(TextWriter& out, const char16_t* tmpl, const FormatArg* args,
                   std::int32_t argCount) {
  if (out.Room() > kReportLineCapacity) {
    WriteReportLine(out, tmpl, args, argCount);
  } else {
    // Near the end of the buffer: the line is measured on its own first.
    char16_t line[kReportLineCapacity + 1];
    TextWriter lineOut(line, kReportLineCapacity + 1);
    WriteReportLine(lineOut, tmpl, args, argCount);
    out.Write(line);
  }
  // Then as much of CR LF as still fits: one slot short of full gets the CR.
  out.Write(kLineEnd);
}

void WriteFixedLine(TextWriter& out, const char16_t* text) {
  const std::int32_t saved = out.Limit(kReportLineCapacity - 1);
  out.Write(text);
  out.RestoreLimit(saved);
  out.Write(kLineEnd);
}

void AppendText(char16_t* buffer, std::int32_t capacity, const char16_t* text) {
  AppendBounded(buffer, capacity, text);
}

void AppendLineList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                    const FormatArg* args, std::int32_t argCount) {
  TextWriter out = TextWriter::After(buffer, capacity);
  WriteLineList(out, tmpl, args, argCount);
}

void StoreVerdict(char16_t* verdictText, std::int32_t verdictCapacity, const char16_t* text) {
  CopyText(verdictText, verdictCapacity, text);
}

void WriteExactNumber(TextWriter& out, double value, std::int32_t minDecimals) {
  char text[kMaxFixedText];
  std::int32_t length = 0;
  if (!std::isfinite(value)) {
    length = FormatFixed(value, minDecimals, text, kMaxFixedText);
    out.WriteAscii(text, length);
    return;
  }
  for (std::int32_t decimals = minDecimals; decimals <= kMaxExactDecimals; ++decimals) {
    length = FormatFixed(value, decimals, text, kMaxFixedText);
    if (length > kLongNumberText) break;  // more decimals only make it longer
    if (ParseNumber(text, nullptr) == value) {
      out.WriteAscii(text, length);
      return;
    }
  }
  length = FormatGeneralRoundTrip(value, 1, text, kMaxFixedText);
  out.WriteAscii(text, length);
}

void WriteChosenLines(TextWriter& out, const LineChoice& row) {
  for (const char16_t* line : row.lines) {
    if (line != nullptr) WriteFixedLine(out, line);
  }
}

bool IsWholeNumber(double value) {
  return !IsOutOfRange(WholeNumber(value)) && std::trunc(value) == value;
}

void RaiseVerdict(ReportVerdict& verdict, Level level, const char16_t* text) {
  if (level > verdict.level) {
    verdict.level = level;
    verdict.text = text;
  }
}

const char16_t* MarkIf(bool marked, const char16_t* mark, ReportVerdict& verdict, Level level,
                       const char16_t* text) {
  if (!marked) return u"";
  RaiseVerdict(verdict, level, text);
  return mark;
}

Level FinishVerdict(const ReportVerdict& verdict, char16_t* verdictText,
                    std::int32_t verdictCapacity) {
  StoreVerdict(verdictText, verdictCapacity, verdict.text);
  return verdict.level;
}

void ReadWholeField(double value, const char16_t* verdictText, ReportVerdict& verdict,
                    WholeField& field) {
  field.mark = u"";
  TextWriter out(field.number, kFieldTextCapacity);
  if (IsWholeNumber(value)) {
    field.whole = WholeNumber(value);
    WriteFormat(out, u"%d", field.whole);
    return;
  }
  field.whole = INT32_MIN;
  RaiseVerdict(verdict, kMarkedLevel, verdictText);
  if (std::isfinite(value) && std::trunc(value) != value) {
    WriteExactNumber(out, value, 0);
    field.mark = kNotWhole;
  } else {
    out.Write(kOutOfRange);
  }
}

void FormatTypedNote(char16_t* note, const char16_t* tmpl, double typed) {
  char16_t typedText[kFieldTextCapacity];
  TextWriter typedOut(typedText, kFieldTextCapacity);
  WriteExactNumber(typedOut, typed, 0);
  Format(note, kNoteTextCapacity, tmpl, typedText);
}

void ReadCount(double value, std::int32_t low, std::int32_t high, const char16_t* unit,
               const char16_t* verdictText, ReportVerdict& verdict, ListedCount& count) {
  count.note[0] = 0;
  const bool above = value > high;  // infinities and whole numbers past 32 bits included
  if (!above && !(value < low)) {
    WholeField field = {};
    ReadWholeField(value, verdictText, verdict, field);
    count.count = IsOutOfRange(field.whole) ? 0 : field.whole;
    CopyText(count.number, kFieldTextCapacity, field.number);
    CopyText(count.note, kNoteTextCapacity, field.mark);
    return;
  }
  // Outside the bounds: the nearest bound is listed, and the typed count is named beside it.
  count.count = above ? high : low;
  RaiseVerdict(verdict, kMarkedLevel, verdictText);
  Format(count.number, kFieldTextCapacity, u"%d", count.count);
  char16_t typed[kFieldTextCapacity];
  TextWriter typedOut(typed, kFieldTextCapacity);
  WriteExactNumber(typedOut, value, 0);
  Format(count.note, kNoteTextCapacity,
         above ? u"（最多列出 %d %ls，已输入 %ls %ls）" : u"（至少列出 %d %ls，已输入 %ls %ls）",
         count.count, unit, typed, unit);
}

void WriteChoiceOrAsk(TextWriter& out, const LineChoice* row, double value,
                      const char16_t* notListedTemplate, const char16_t* verdictText,
                      ReportVerdict& verdict) {
  if (row != nullptr) {
    WriteChosenLines(out, *row);
    return;
  }
  WholeField field = {};
  ReadWholeField(value, verdictText, verdict, field);
  RaiseVerdict(verdict, kNotListedLevel, verdictText);
  WriteLine(out, notListedTemplate, field.number, field.mark);
}

}  // namespace tarn
