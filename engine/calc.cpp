// The calculation run (inputs -> result lines, verdict, level) and value formats. No heap:
// the output table is a fixed array of the run, each line is written straight into the
// caller's result buffer through one bounded writer, and every text is bounded by the
// capacity its caller gives.
#include "engine/calc.h"

#include <cmath>

#include "engine/days.h"
#include "engine/expr.h"
#include "reports/report.h"
#include "text/buffer.h"
#include "text/number.h"

namespace tarn {
namespace {

constexpr char16_t kPartialNote[] = u"（部分结果无法计算，请检查输入是否合理）\r\n";
constexpr char16_t kDefaultVerdict[] = u"请核对输入参数后重新计算";
constexpr char16_t kNotAValue[] = u"--";

// The longest printf-style value text: the classic 80-byte buffer less its terminator.
constexpr std::int32_t kMaxNarrowValue = 79;

// A format code resolved to what it writes: a date, or fixed point with a suffix.
struct ValueFormat {
  bool date;
  std::int32_t decimals;
  char suffix;  // 0: none
  bool known;   // false: a code of no meaning, shown as "f2"
};

// Exact, case-sensitive codes; no code is "f2". Compared inline: a code is resolved for
// every value shown.
ValueFormat ResolveFormat(const char* code) {
  if (code == nullptr) return {false, 2, 0, true};
  const auto is = [code](const char* name) {
    std::int32_t i = 0;
    while (code[i] != 0 && code[i] == name[i]) ++i;
    return code[i] == name[i];
  };
  switch (code[0]) {
    case 'f':
      if (is("f0")) return {false, 0, 0, true};
      if (is("f1")) return {false, 1, 0, true};
      if (is("f2")) return {false, 2, 0, true};
      if (is("f3")) return {false, 3, 0, true};
      break;
    case 'i':
      if (is("int")) return {false, 0, 0, true};
      break;
    case 'p':
      if (is("pct")) return {false, 1, '%', true};
      break;
    case 'd':
      if (is("date")) return {true, 0, 0, true};
      break;
    default: break;
  }
  return {false, 2, 0, false};
}

// The value's text. A fixed-point text too long for 79 characters (from about 1e75 up) is
// written in exponent form rather than cut: a cut digit string would read as a different,
// wrong number. A day number beyond any calendar we can write, or a date with no room for
// all of it, shows "--": a cut date ("2024-01-1") reads as another day.
void WriteValue(TextWriter& out, const ValueFormat& format, double value) {
  if (!std::isfinite(value)) {
    out.Write(kNotAValue);
    return;
  }
  if (format.date) {
    const double days = std::trunc(value);  // truncated toward zero
    char16_t date[kValueTextCapacity];
    const std::int32_t room = out.Room() < kValueTextCapacity ? out.Room() + 1 : kValueTextCapacity;
    if (std::fabs(days) > static_cast<double>(kMaxDayNumber) ||
        CivilFromDays(static_cast<std::int64_t>(days), date, room) < 0) {
      out.Write(kNotAValue);
    } else {
      out.Write(date);
    }
    return;
  }
  const std::int32_t room = kMaxNarrowValue - (format.suffix != 0 ? 1 : 0);
  char text[kMaxFixedText];
  std::int32_t length = FormatFixed(value, format.decimals, text, kMaxFixedText);
  if (length > room) length = FormatGeneral(value, 6, text, room + 1);
  if (format.suffix != 0) text[length++] = format.suffix;
  out.WriteAscii(text, length);
}

}  // namespace

bool IsFormatCode(const char* code) { return ResolveFormat(code).known; }

void FormatValue(const char* format, double value, char16_t* out, std::int32_t capacity) {
  TextWriter text(out, capacity);
  text.Terminate();
  WriteValue(text, ResolveFormat(format), value);
}

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
  const std::int32_t outputCount = tool.outputCount < kMaxOutputs ? tool.outputCount : kMaxOutputs;
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
      WriteValue(result, ResolveFormat(output.format), outputValues[i]);
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
  for (std::int32_t i = 0; i < tool.ruleCount; ++i) {
    const ToolRule& rule = tool.rules[i];
    bool chosen = IsEmpty(rule.condition);
    if (!chosen) {
      std::int32_t failed = 0;
      const double value = EvalExpr(tool, rule.condition, inputValues, outputValues, failed);
      chosen = failed == 0 && value != 0;
    }
    if (chosen) {
      verdict.Write(rule.message);
      level = rule.level;
      break;
    }
  }
  if (verdict.Length() == 0) verdict.Write(kDefaultVerdict);

  copy.WriteUnits(resultText, result.Length());
  return level;
}

}  // namespace tarn
