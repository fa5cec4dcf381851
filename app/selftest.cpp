// The window-less self-test: one run of the tool on its default inputs, reported line by line
// in UTF-8. Allocates nothing apart from what opening the report file takes.
#include "app/selftest.h"

#include <limits>

#include "app/command_line.h"
#include "engine/expr.h"
#include "engine/value_format.h"
#include "platform/platform.h"
#include "run/calculate.h"
#include "text/buffer.h"
#include "text/format.h"

namespace tarn {
namespace {

constexpr std::int32_t kOutLineCapacity = 512;
constexpr std::int32_t kLevelLineCapacity = 256;
constexpr std::int32_t kErrorsLineCapacity = 128;
constexpr std::int32_t kDetailLimit = 8000;  // characters of the flattened result text

}  // namespace

void AppendFlattenedDetail(char16_t* report, std::int32_t capacity, const char16_t* text) {
  char16_t piece[256];
  std::int32_t pieceLength = 0;
  std::int32_t kept = 0;
  for (const char16_t* at = text; *at != 0 && kept < kDetailLimit; ++at) {
    if (*at == u'\r') continue;
    piece[pieceLength++] = *at == u'\n' ? u' ' : *at;
    ++kept;
    if (pieceLength == 255) {
      AppendUnits(report, capacity, piece, pieceLength);
      pieceLength = 0;
    }
  }
  AppendUnits(report, capacity, piece, pieceLength);
}

int BuildSelfTestReport(const ToolDef& tool, char16_t* report, std::int32_t capacity) {
  double inputValues[kMaxInputs] = {};
  const std::int32_t inputCount = ClampedInputCount(tool);
  for (std::int32_t i = 0; i < inputCount; ++i) inputValues[i] = tool.inputs[i].defaultValue;

  char16_t resultText[kWholeResultCapacity];
  char16_t verdictText[kVerdictTextCapacity];
  char16_t resultCopy[kWholeResultCapacity];
  Level level = 0;
  Calculate(tool, inputValues, resultText, kWholeResultCapacity, verdictText, kVerdictTextCapacity,
            level, resultCopy, kWholeResultCapacity);

  char16_t line[kOutLineCapacity];
  Format(line, kOutLineCapacity, u"TOOL|%d|%ls|%ls\r\n", tool.id, tool.title, tool.category);
  CopyText(report, capacity, line);
  Format(line, kLevelLineCapacity, u"LEVEL|%d\r\n", level);
  AppendBounded(report, capacity, line);

  std::int32_t failures = 0;
  if (tool.reportKind != 0) {
    AppendBounded(report, capacity, u"OUT|报告文本|见 DETAIL|\r\n");
  } else {
    const std::int32_t outputCount = ClampedOutputCount(tool);
    for (std::int32_t i = 0; i < outputCount; ++i) {
      // Each output on its own: names of other outputs read 0 here.
      const double outputValues[kMaxOutputs] = {};
      std::int32_t failed = 0;
      const ToolOutput& output = tool.outputs[i];
      const double value = EvalExpr(tool, output.formula, inputValues, outputValues, failed);
      if (failed != 0) ++failures;
      char16_t valueText[kValueTextCapacity];
      // A failed output reads "--", as in the result text: its stand-in value is no figure.
      FormatValue(output.format, failed != 0 ? std::numeric_limits<double>::quiet_NaN() : value,
                  valueText, kValueTextCapacity);
      Format(line, kOutLineCapacity, u"OUT|%ls|%ls|%ls\r\n", output.label, valueText,
             output.unit != nullptr ? output.unit : u"");
      AppendBounded(report, capacity, line);
    }
  }

  AppendBounded(report, capacity, u"VERDICT|");
  AppendBounded(report, capacity, verdictText);
  AppendBounded(report, capacity, u"\r\nDETAIL|");
  AppendFlattenedDetail(report, capacity, resultText);
  AppendBounded(report, capacity, u"\r\n");
  Format(line, kErrorsLineCapacity, u"ERRORS|%d\r\n", failures);
  AppendBounded(report, capacity, line);
  return failures != 0 ? kSelfTestOutputFailed : kSelfTestPassed;
}

int RunSelfTest(const ToolDef& tool, const char16_t* reportPath) {
  static char16_t report[kSelfTestReportCapacity];  // 32 KiB: kept off the stack
  const int code = BuildSelfTestReport(tool, report, kSelfTestReportCapacity);
  if (!TryWriteUtf8File(reportPath, report)) return kSelfTestReportNotWritten;
  return code;
}

int RunSelfTest(const char16_t* reportPath) { return RunSelfTest(GetBuiltInTool(), reportPath); }

bool RunSelfTestIfAsked(int* exitCode) {
  char16_t reportPath[kSelfTestPathCapacity];
  if (!ParseSelfTestCommand(ProcessCommandLine(), reportPath, kSelfTestPathCapacity)) {
    return false;
  }
  *exitCode = RunSelfTest(reportPath);
  return true;
}

void WriteUtf8File(const char16_t* path, const char16_t* text) {
  (void)TryWriteUtf8File(path, text);
}

bool TryWriteUtf8File(const char16_t* path, const char16_t* text) {
  std::FILE* file = OpenFile(path, "wb");
  if (file == nullptr) return false;
  const bool written = WriteUtf8(file, text);  // any length: the UTF-8 form is written whole
  // Closing flushes the last bytes; a full disk often shows only here.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace tarn
