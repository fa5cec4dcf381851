// The record file's names and texts: folder and file path, header line, one record.
// Pure text work into bounded buffers; no file access, no heap, no Win32.
#include <cstdint>

#include "product_names.h"
#include "records/record_file.h"
#include "text/buffer.h"
#include "text/format.h"
#include "text/number.h"

namespace tarn {
namespace {

// Capacities in UTF-16 units, the terminator included.
constexpr std::int32_t kHeaderPieceCapacity = 128;  // one ",label"
// Longest label kept, in the header and in the record alike: a header piece's room less its comma.
constexpr std::int32_t kLabelUnits = kHeaderPieceCapacity - 2;
// Record value digits: "%g"'s six at least, so that what "%g" writes exactly stays as it was.
constexpr std::int32_t kFewestDigits = 6;
// Room for "-1.2345678901234567e-308" and more.
constexpr std::int32_t kRecordValueCapacity = 32;
// "YYYY-MM-DD hh:mm:ss," of any 32-bit fields.
constexpr std::int32_t kStampCapacity = 96;

static_assert(kRecordCapacity >= kRecordResultCapacity +
                                     kMaxInputs * (kLabelUnits + kRecordValueCapacity) +
                                     kStampCapacity + 256,
              "a whole result with its verdict, every input and a title fit one record");

// The folders under the base folder: "<sep>TarnMedSuite<sep>records", named by the product.
constexpr char16_t kRecordsFolder[] = u"records";
constexpr std::int32_t kRecordsSuffixLength =
    static_cast<std::int32_t>(sizeof(kProductName) + sizeof(kRecordsFolder)) /
    static_cast<std::int32_t>(sizeof(char16_t));  // each terminator counts for a separator
// Room for the file name "T%03d.csv" of any 32-bit id.
constexpr std::int32_t kFileNameCapacity = 32;

// The inputs that a record covers; a damaged count never reads outside the value table.
std::int32_t RecordedInputs(const ToolDef& tool) {
  return tool.inputs != nullptr ? ClampedInputCount(tool) : 0;
}

// Capacity for a line's body, keeping room for its CR LF and the terminator, so that a cut
// line still ends and the next record starts on a line of its own.
std::int32_t BodyCapacity(std::int32_t capacity) { return capacity > 3 ? capacity - 2 : capacity; }

std::int32_t EndLine(char16_t* out, std::int32_t capacity) {
  return AppendBounded(out, capacity, u"\r\n");
}

// Writes all `count` units, or nothing and false when they do not fit what is left.
bool PutWhole(TextWriter& out, const char16_t* text, std::int32_t count) {
  if (count > out.Room()) return false;
  if (count > 0) out.WriteUnits(text, count);
  return true;
}

std::int32_t Shorter(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

}  // namespace

std::int32_t FormatRecordValue(double value, char16_t* out, std::int32_t capacity) {
  char digits[kRecordValueCapacity];
  FormatGeneralRoundTrip(value, kFewestDigits, digits, kRecordValueCapacity);
  return WidenAscii(out, capacity, digits);
}

bool FormatRecordsFolder(const char16_t* baseFolder, char16_t* out, std::int32_t capacity) {
  const std::int32_t length = Format(out, capacity, u"%ls%c%ls%c%ls", baseFolder, kPathSeparator,
                                     kProductName, kPathSeparator, kRecordsFolder);
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
    Format(piece, kHeaderPieceCapacity, u",%ls", tool.inputs[i].label);  // cut at kLabelUnits
    AppendBounded(out, body, piece);
  }
  AppendBounded(out, body, u",结果");
  return EndLine(out, capacity);
}

std::int32_t BuildRecordText(const ToolDef& tool, const double* inputValues,
                             const char16_t* resultText, const LocalDateTime& time, char16_t* out,
                             std::int32_t capacity) {
  if (out == nullptr || capacity < 1) return -1;
  TextWriter writer(out, capacity);
  char16_t stamp[kStampCapacity];
  const std::int32_t stampLength =
      Format(stamp, kStampCapacity, u"%04d-%02d-%02d %02d:%02d:%02d,", time.year, time.month,
             time.day, time.hour, time.minute, time.second);
  bool whole =
      PutWhole(writer, stamp, stampLength) && PutWhole(writer, tool.title, TextLength(tool.title));
  const std::int32_t inputCount = inputValues != nullptr ? RecordedInputs(tool) : 0;
  for (std::int32_t i = 0; i < inputCount && whole; ++i) {
    const char16_t* label = tool.inputs[i].label;
    char16_t value[kRecordValueCapacity];
    const std::int32_t valueLength = FormatRecordValue(inputValues[i], value, kRecordValueCapacity);
    whole = PutWhole(writer, u",", 1) &&
            PutWhole(writer, label, Shorter(TextLength(label), kLabelUnits)) &&
            PutWhole(writer, u"=", 1) && PutWhole(writer, value, valueLength);
  }
  whole = whole && PutWhole(writer, u",", 1) &&
          PutWhole(writer, resultText, TextLength(resultText)) && PutWhole(writer, u"\r\n", 2);
  if (!whole) {
    out[0] = 0;
    return -1;
  }
  return writer.Length();
}

}  // namespace tarn
