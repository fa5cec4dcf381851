// Every tool record of the build, checked the way a typo would show: each formula and
// condition evaluates on the record's defaults, each format code is one FormatValue knows,
// and each key its report reads (by the dispatcher's table) is one of its inputs (a missing
// key would silently read 0).
#include <gtest/gtest.h>

#include <cstring>

#include "engine/expr.h"
#include "reports/generators.h"
#include "text/buffer.h"

namespace tarn {

// Each record, compiled a second time under its own name (tools/CMakeLists.txt).
#define RECORD(id) const ToolDef& ToolRecord##id();
TARN_TOOL_RECORDS
#undef RECORD

namespace {

#define RECORD(id) &ToolRecord##id,
const ToolDef& (*const kToolRecords[])() = {TARN_TOOL_RECORDS};
#undef RECORD

// The codes FormatValue documents; any other shows silently as "f2".
bool IsDocumentedFormat(const char* code) {
  if (code == nullptr) return true;
  for (const char* known : {"f0", "f1", "f2", "f3", "int", "pct", "date"}) {
    if (std::strcmp(code, known) == 0) return true;
  }
  return false;
}

bool HasInput(const ToolDef& tool, const char* key) {
  for (std::int32_t i = 0; i < tool.inputCount; ++i) {
    if (std::strcmp(tool.inputs[i].key, key) == 0) return true;
  }
  return false;
}

TEST(ToolRecords, FormulasConditionsFormatsAndReportKeysAreSound) {
  for (const auto record : kToolRecords) {
    const ToolDef& tool = record();
    SCOPED_TRACE(tool.id);
    ASSERT_LE(tool.inputCount, kMaxInputs);
    ASSERT_LE(tool.outputCount, kMaxOutputs);
    double inputValues[kMaxInputs] = {};
    for (std::int32_t i = 0; i < tool.inputCount; ++i) inputValues[i] = tool.inputs[i].defaultValue;

    double outputValues[kMaxOutputs] = {};
    for (std::int32_t i = 0; i < tool.outputCount; ++i) {
      std::int32_t failed = 0;
      outputValues[i] = EvalExpr(tool, tool.outputs[i].formula, inputValues, outputValues, failed);
      EXPECT_EQ(failed, 0) << tool.outputs[i].formula;
      EXPECT_TRUE(IsDocumentedFormat(tool.outputs[i].format)) << tool.outputs[i].key;
    }
    for (std::int32_t i = 0; i < tool.ruleCount; ++i) {
      if (IsEmpty(tool.rules[i].condition)) continue;
      std::int32_t failed = 0;
      EvalExpr(tool, tool.rules[i].condition, inputValues, outputValues, failed);
      EXPECT_EQ(failed, 0) << tool.rules[i].condition;
    }

    ASSERT_GE(tool.reportKind, 0);
    ASSERT_LT(tool.reportKind, kReportKindCount);
    for (const char* key : kReports[tool.reportKind].keys) {
      if (key == nullptr) continue;
      EXPECT_TRUE(HasInput(tool, key)) << key;
    }
  }
}

}  // namespace
}  // namespace tarn
