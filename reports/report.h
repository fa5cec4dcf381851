// Report dispatch and the text primitives that every report shares. No heap, no Win32.
#pragma once
#include <cstdint>

#include "engine/tool.h"
#include "text/buffer.h"
#include "text/format.h"

namespace tarn {

inline constexpr std::int32_t kReportLineCapacity = 512;

// Fills the result and verdict texts for a report kind and returns its level. Kinds outside
// 1..11 give the no-report texts. Everything written is bounded by the capacities.
Level RunReport(ReportKind kind, const ToolDef& tool, const double* inputValues,
                char16_t* resultText, std::int32_t resultCapacity, char16_t* verdictText,
                std::int32_t verdictCapacity);

// Value of the first input with `key`; 0 when the tool has none.
double InputValue(const ToolDef& tool, const double* inputValues, const char* key);

// Truncation toward zero; NaN or a value outside the int32 range gives INT32_MIN.
std::int32_t WholeNumber(double value);

// The report lines written straight into a writer: WriteLine expands the template into at
// most 511 characters, then writes as much of CR LF as fits. The generators build their whole
// text through one writer, so a long report costs what it writes.
void WriteLineList(TextWriter& out, const char16_t* tmpl, const FormatArg* args,
                   std::int32_t argCount);

template <typename... Args>
void WriteLine(TextWriter& out, const char16_t* tmpl, const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  WriteLineList(out, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

// A fixed line (never expanded: fixed texts may hold percent signs), cut like WriteLine.
void WriteFixedLine(TextWriter& out, const char16_t* text);

// Appends text without a line end, cut at capacity - 1.
void AppendText(char16_t* buffer, std::int32_t capacity, const char16_t* text);

// Formats one line (at most 511 characters) and appends it, then as much of CR LF as fits.
void AppendLineList(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                    const FormatArg* args, std::int32_t argCount);

template <typename... Args>
void AppendLine(char16_t* buffer, std::int32_t capacity, const char16_t* tmpl,
                const Args&... args) {
  const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
  AppendLineList(buffer, capacity, tmpl, list, static_cast<std::int32_t>(sizeof...(Args)));
}

}  // namespace tarn
