// The calculation run: inputs -> result lines, verdict and level, or the whole job handed to
// the report of the tool's kind. No heap: the output table is a fixed array of the run, each
// line is written straight into the caller's result buffer through one bounded writer, and
// every text is bounded by the capacity its caller gives.
#include "run/calculate.h"

#include "engine/expr.h"
#include "engine/value_format.h"
#include "reports/report.h"
#include "text/buffer.h"

namespace tarn {
namespace {

constexpr char16_t kPartialNote[] = u"（部分结果无法计算，请检查输入是否合理）\r\n";
constexpr char16_t kDefaultVerdict[] = u"请核对输入参数后重新计算";
// A figure that could not be computed is no result to act on: its verdict is never greener.
constexpr Level kFailedOutputLevel = 3;
constexpr char16_t kFailedOutputVerdict[] = u"部分结果无法计算，请核对输入后重新计算";

}  // namespace

Level Calculate(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity,
                Level& level, char16_t* resultCopy, std::int32_t resultCopyCapacity) {
  TextWriter result(resultText, resultCapacity);
  TextWriter verdict(verdictText, verdictCapacity);
  TextWriter copy(resultCopy, resultCopyCapacity);
  result.Terminate();
  verdict.Terminate();
  copy.Terminate();
  level = 0;

  if (tool.reportKind != 0) {
    level = RunReport(tool.reportKind, tool, inputValues, resultText, resultCapacity, verdictText,
                      verdictCapacity);
    // A buffer without capacity was never written (nor terminated): its copy stays empty.
    if (resultCapacity >= 1) copy.Write(resultText);
    return level;
  }

  // Each formula reads the outputs before it; its own and later ones read 0.
  double outputValues[kMaxOutputs] = {};
  const std::int32_t outputCount = ClampedOutputCount(tool);
  bool failedOutputs[kMaxOutputs] = {};
  bool anyFailed = false;
  for (std::int32_t i = 0; i < outputCount; ++i) {
    std::int32_t failed = 0;
    outputValues[i] = EvalExpr(tool, tool.outputs[i].formula, inputValues, outputValues, failed);
    failedOutputs[i] = failed != 0;
    anyFailed = anyFailed || failed != 0;
  }

  // "label：value unit" and CR LF, each line cut at its own 255 characters.
  for (std::int32_t i = 0; i < outputCount; ++i) {
    const ToolOutput& output = tool.outputs[i];
    const std::int32_t saved = result.Limit(kResultLineCapacity - 1);
    result.Write(output.label);
    result.Put(u'：');
    // A failed output's substitute value is no result: it shows as a non-finite one does.
    if (failedOutputs[i]) {
      result.Write(kNotAValue);
    } else {
      WriteValue(result, output.format, outputValues[i]);
    }
    if (!IsEmpty(output.unit)) {
      result.Put(u' ');
      result.Write(output.unit);
    }
    result.Write(u"\r\n");
    result.RestoreLimit(saved);
  }
  if (anyFailed) result.Write(kPartialNote);

  // First matching rule wins; a condition that fails does not match.
  const char16_t* message = nullptr;
  for (std::int32_t i = 0; i < tool.ruleCount; ++i) {
    const ToolRule& rule = tool.rules[i];
    bool chosen = IsEmpty(rule.condition);
    if (!chosen) {
      std::int32_t failed = 0;
      const double value = EvalExpr(tool, rule.condition, inputValues, outputValues, failed);
      chosen = failed == 0 && value != 0;
    }
    if (chosen) {
      message = rule.message;
      level = rule.level;
      break;
    }
  }
  if (anyFailed && level < kFailedOutputLevel) {
    message = kFailedOutputVerdict;
    level = kFailedOutputLevel;
  }
  verdict.Write(message);
  if (verdict.Length() == 0) verdict.Write(kDefaultVerdict);

  copy.WriteUnits(resultText, result.Length());
  return level;
}

}  // namespace tarn
