// The calculation run (inputs -> result lines, verdict, level), value formats and day numbers.
// No heap: the output table, value text and line are fixed buffers of the run, and every text
// is bounded by the capacity its caller gives.
#include "engine/calc.h"

#include <cmath>
#include <cstring>

#include "engine/expr.h"
#include "reports/report.h"
#include "text/buffer.h"
#include "text/format.h"
#include "text/number.h"

namespace tarn {
namespace {

constexpr char16_t kPartialNote[] = u"（部分结果无法计算，请检查输入是否合理）\r\n";
constexpr char16_t kDefaultVerdict[] = u"请核对输入参数后重新计算";

// The narrow text of one printf-style conversion (the classic 80-byte buffer).
constexpr std::int32_t kNarrowValueCapacity = 80;

// Day numbers whose date arithmetic stays inside 64 bits (with a wide margin).
constexpr std::int64_t kMaxDayNumber = INT64_MAX / 4;

// Fixed-point text of `value` with `decimals` decimals and an optional suffix, in at most 79
// characters. A value too large for that (from about 1e75 up) is shown in exponent form
// rather than cut: a cut digit string would read as a different, wrong number.
void FormatNarrowFixed(double value, std::int32_t decimals, const char* suffix, char* out) {
  std::int32_t suffixLength = 0;
  while (suffix[suffixLength] != 0) ++suffixLength;
  char fixed[kMaxFixedText];
  std::int32_t length = FormatFixed(value, decimals, fixed, kMaxFixedText);
  const std::int32_t room = kNarrowValueCapacity - 1 - suffixLength;
  if (length <= room) {
    std::memcpy(out, fixed, static_cast<std::size_t>(length));
  } else {
    length = FormatGeneral(value, 6, out, room + 1);
  }
  for (std::int32_t i = 0; i < suffixLength && length < kNarrowValueCapacity - 1; ++i) {
    out[length++] = suffix[i];
  }
  out[length] = 0;
}

// Format codes are compared inline: FormatValue runs for every value shown.
bool SameCode(const char* code, const char* name) {
  std::int32_t i = 0;
  while (code[i] != 0 && code[i] == name[i]) ++i;
  return code[i] == name[i];
}

bool HasText(const char16_t* text) { return text != nullptr && text[0] != 0; }

// The result text as written by the run. A buffer without capacity was never written (nor
// terminated), so its copy is empty instead of a read past its end.
const char16_t* ProducedText(const char16_t* resultText, std::int32_t resultCapacity) {
  return resultCapacity >= 1 ? resultText : u"";
}

}  // namespace

void FormatValue(const char* format, double value, char16_t* out, std::int32_t capacity) {
  if (!std::isfinite(value)) {
    CopyText(out, capacity, u"--");
    return;
  }
  const char* code = format != nullptr ? format : "f2";
  if (SameCode(code, "date")) {
    // Truncated toward zero; a day number beyond any calendar we can write shows "--".
    const double days = std::trunc(value);
    if (std::fabs(days) > static_cast<double>(kMaxDayNumber) ||
        CivilFromDays(static_cast<std::int64_t>(days), out, capacity) < 0) {
      CopyText(out, capacity, u"--");
    }
    return;
  }
  struct FixedCode {
    const char* code;
    std::int32_t decimals;
    const char* suffix;
  };
  constexpr FixedCode kFixedCodes[] = {
      {"f0", 0, ""}, {"f1", 1, ""}, {"f3", 3, ""}, {"int", 0, ""}, {"pct", 1, "%"},
  };
  std::int32_t decimals = 2;  // "f2" and every unknown code
  const char* suffix = "";
  for (const FixedCode& candidate : kFixedCodes) {
    if (SameCode(code, candidate.code)) {
      decimals = candidate.decimals;
      suffix = candidate.suffix;
      break;
    }
  }
  char narrow[kNarrowValueCapacity];
  FormatNarrowFixed(value, decimals, suffix, narrow);
  WidenAscii(out, capacity, narrow);
}

std::int64_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;                               // 0..399
  const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;  // March is 0
  const std::int64_t doy = (153 * shiftedMonth + 2) / 5 + day - 1;      // 0..365
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;       // 0..146096
  return era * 146097 + doe - 719468;
}

std::int32_t CivilFromDays(std::int64_t dayNumber, char16_t* out, std::int32_t capacity) {
  if (dayNumber > kMaxDayNumber || dayNumber < -kMaxDayNumber) {
    CopyText(out, capacity, u"");
    return -1;
  }
  const std::int64_t z = dayNumber + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;                                       // 0..146096
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // 0..399
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // 0..365
  const std::int64_t mp = (5 * doy + 2) / 153;                                     // 0..11
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

  char16_t date[32];
  const std::int32_t length = Format(date, 32, u"%04lld-%02lld-%02lld", year, month, day);
  if (capacity < 1 || length >= capacity) {
    CopyText(out, capacity, u"");
    return -1;
  }
  return CopyText(out, capacity, date);
}

Level Calculate(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity,
                Level& level, char16_t* resultCopy, std::int32_t resultCopyCapacity) {
  CopyText(resultText, resultCapacity, u"");
  CopyText(verdictText, verdictCapacity, u"");
  CopyText(resultCopy, resultCopyCapacity, u"");
  level = 0;

  if (tool.reportKind != 0) {
    level = RunReport(tool.reportKind, tool, inputValues, resultText, resultCapacity, verdictText,
                      verdictCapacity);
    CopyText(resultCopy, resultCopyCapacity, ProducedText(resultText, resultCapacity));
    return level;
  }

  // Each formula reads the outputs before it; its own and later ones read 0.
  double outputValues[kMaxOutputs] = {};
  const std::int32_t outputCount = tool.outputCount < kMaxOutputs ? tool.outputCount : kMaxOutputs;
  bool anyFailed = false;
  for (std::int32_t i = 0; i < outputCount; ++i) {
    std::int32_t failed = 0;
    outputValues[i] = EvalExpr(tool, tool.outputs[i].formula, inputValues, outputValues, failed);
    anyFailed = anyFailed || failed != 0;
  }

  for (std::int32_t i = 0; i < outputCount; ++i) {
    const ToolOutput& output = tool.outputs[i];
    char16_t valueText[kValueTextCapacity];
    FormatValue(output.format, outputValues[i], valueText, kValueTextCapacity);
    char16_t line[kResultLineCapacity];
    if (HasText(output.unit)) {
      Format(line, kResultLineCapacity, u"%ls：%ls %ls\r\n", output.label, valueText, output.unit);
    } else {
      Format(line, kResultLineCapacity, u"%ls：%ls\r\n", output.label, valueText);
    }
    AppendBounded(resultText, resultCapacity, line);
  }
  if (anyFailed) AppendBounded(resultText, resultCapacity, kPartialNote);

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
      CopyText(verdictText, verdictCapacity, rule.message);
      level = rule.level;
      break;
    }
  }
  if (verdictCapacity >= 1 && verdictText[0] == 0) {
    CopyText(verdictText, verdictCapacity, kDefaultVerdict);
  }

  CopyText(resultCopy, resultCopyCapacity, ProducedText(resultText, resultCapacity));
  return level;
}

}  // namespace tarn
