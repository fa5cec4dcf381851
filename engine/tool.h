// The constant tool record: texts, inputs, output formulas, verdict rules, report kind.
// Everything here is read in place; nothing is ever copied, changed or freed.
#pragma once
#include <cstdint>

namespace tarn {

using Level = std::int32_t;       // severity of a verdict: 0 normal, 1..3 rising
using ReportKind = std::int32_t;  // 0: outputs and rules; 1..11: a report generator

inline constexpr std::int32_t kMaxInputs = 16;
inline constexpr std::int32_t kMaxOutputs = 16;

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

// The one tool this program is built with: defined by the tool record (tools/) that the
// program links.
const ToolDef& GetBuiltInTool();

}  // namespace tarn
