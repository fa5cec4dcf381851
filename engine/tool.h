// The constant tool record: texts, inputs, output formulas, verdict rules, report kind.
// Everything here is read in place; nothing is ever copied, changed or freed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tarn {

using Level = std::int32_t;       // severity of a verdict: 0 normal, 1..3 rising
using ReportKind = std::int32_t;  // 0: outputs and rules; 1..11: a report generator

inline constexpr std::int32_t kMaxInputs = 16;
inline constexpr std::int32_t kMaxOutputs = 16;

// A result buffer of this capacity holds every run's text whole: each report at the largest
// inputs its clamps allow (the 40-nurse, 31-day rota is the longest, about 6,400 units) and
// the full lines of every output with the note (run/calculate.h checks the lines).
inline constexpr std::int32_t kWholeResultCapacity = 8192;
// The verdict buffer every caller of a run gives it: the window, the self-test, the benchmarks.
inline constexpr std::int32_t kVerdictTextCapacity = 512;

struct ToolInput {
  const char* key;        // name in formulas and conditions
  const char16_t* label;  // form label and record-file column
  const char16_t* unit;   // may be null
  double defaultValue;
};

struct ToolOutput {
  const char* key;
  const char16_t* label;
  const char16_t* unit;  // may be null
  const char* formula;
  const char* format;  // may be null: "f2"
};

struct ToolRule {
  const char* condition;  // empty text always matches
  Level level;
  const char16_t* message;
};

struct ToolDef {
  std::int32_t id;
  const char16_t* title;
  const char16_t* subtitle;  // may be null
  const char16_t* category;
  const char16_t* reference;
  const char16_t* cautions;  // may be null
  std::int32_t inputCount;
  const ToolInput* inputs;
  std::int32_t outputCount;
  const ToolOutput* outputs;
  std::int32_t ruleCount;
  const ToolRule* rules;
  ReportKind reportKind;
};

// The count of a record table, for the count beside it in a ToolDef: never typed by hand.
template <typename Record, std::size_t N>
constexpr std::int32_t CountOf(const Record (&)[N]) {
  static_assert(N <= 1024, "a tool record's table is short");
  return static_cast<std::int32_t>(N);
}

// The inputs (outputs) a caller with room for kMaxInputs (kMaxOutputs) values reads: the
// record's count, at most the limit; none for a negative count.
constexpr std::int32_t ClampedInputCount(const ToolDef& tool) {
  return tool.inputCount < 0 ? 0 : (tool.inputCount < kMaxInputs ? tool.inputCount : kMaxInputs);
}
constexpr std::int32_t ClampedOutputCount(const ToolDef& tool) {
  return tool.outputCount < 0 ? 0
                              : (tool.outputCount < kMaxOutputs ? tool.outputCount : kMaxOutputs);
}

// The one tool this program is built with: defined by the tool record (tools/) that the
// program links.
const ToolDef& GetBuiltInTool();

}  // namespace tarn
