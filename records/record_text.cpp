// The record file's names and texts: folder and file path, header line, one record.
// Pure text work into bounded buffers; no file access, no heap, no Win32.
#include <cstdint>

#include "records/record_file.h"
#include "text/buffer.h"
#include "text/format.h"

namespace tarn {
namespace {

// Capacities in UTF-16 units, the terminator included.
constexpr std::int32_t kHeaderPieceCapacity = 128;  // one ",label"
constexpr std::int32_t kInputPieceCapacity = 128;   // one ",label=value"
constexpr std::int32_t kResultPieceCapacity = 256;  // "," and 254 result characters

// Length of "<sep>TarnMedSuite<sep>records" appended to the base folder.
constexpr std::int32_t kRecordsSuffixLength = 21;
// Room for the file name "T%03d.csv" of any 32-bit id.
constexpr std::int32_t kFileNameCapacity = 32;

// The inputs that a record covers; a damaged count never reads outside the value table.
std::int32_t RecordedInputs(const ToolDef& tool) {
  if (tool.inputs == nullptr || tool.inputCount < 0) return 0;
  return tool.inputCount < kMaxInputs ? tool.inputCount : kMaxInputs;
}

// Capacity for a line's body, keeping room for its CR LF and the terminator, so that a cut
// line still ends and the next record starts on a line of its own.
std::int32_t BodyCapacity(std::int32_t capacity) { return capacity > 3 ? capacity - 2 : capacity; }

std::int32_t EndLine(char16_t* out, std::int32_t capacity) {
  return AppendBounded(out, capacity, u"\r\n");
}

}  // namespace

bool FormatRecordsFolder(const char16_t* baseFolder, char16_t* out, std::int32_t capacity) {
  const std::int32_t length = Format(out, capacity, u"%ls%cTarnMedSuite%crecords", baseFolder,
                                     kPathSeparator, kPathSeparator);
  return length == TextLength(baseFolder) + kRecordsSuffixLength;
}

bool FormatRecordPath(const char16_t* recordsFolder, std::int32_t toolId, char16_t* out,
                      std::int32_t capacity) {
  char16_t fileName[kFileNameCapacity];
  const std::int32_t nameLength = Format(fileName, kFileNameCapacity, u"T%03d.csv", toolId);
  const std::int32_t length =
      Format(out, capacity, u"%ls%c%ls", recordsFolder, kPathSeparator, fileName);
  return length == TextLength(recordsFolder) + 1 + nameLength;
}

std::int32_t BuildRecordHeader(const ToolDef& tool, char16_t* out, std::int32_t capacity) {
  if (out == nullptr || capacity < 1) return 0;
  const std::int32_t body = BodyCapacity(capacity);
  CopyText(out, body, u"时间,工具");
  const std::int32_t inputCount = RecordedInputs(tool);
  for (std::int32_t i = 0; i < inputCount; ++i) {
    char16_t piece[kHeaderPieceCapacity];
    Format(piece, kHeaderPieceCapacity, u",%ls", tool.inputs[i].label);
    AppendBounded(out, body, piece);
  }
  AppendBounded(out, body, u",结果");
  return EndLine(out, capacity);
}

std::int32_t BuildRecordText(const ToolDef& tool, const double* inputValues,
                             const char16_t* resultText, const LocalDateTime& time, char16_t* out,
                             std::int32_t capacity) {
  if (out == nullptr || capacity < 1) return 0;
  const std::int32_t body = BodyCapacity(capacity);
  Format(out, body, u"%04d-%02d-%02d %02d:%02d:%02d,%ls", time.year, time.month, time.day,
         time.hour, time.minute, time.second, tool.title);
  const std::int32_t inputCount = inputValues != nullptr ? RecordedInputs(tool) : 0;
  for (std::int32_t i = 0; i < inputCount; ++i) {
    char16_t piece[kInputPieceCapacity];
    Format(piece, kInputPieceCapacity, u",%ls=%g", tool.inputs[i].label, inputValues[i]);
    AppendBounded(out, body, piece);
  }
  char16_t resultPiece[kResultPieceCapacity];
  Format(resultPiece, kResultPieceCapacity, u",%ls", resultText);
  AppendBounded(out, body, resultPiece);
  return EndLine(out, capacity);
}

}  // namespace tarn
