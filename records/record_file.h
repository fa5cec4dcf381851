// The per-tool record file: where it lives, its header and record texts, and appending one
// record to it. Portable: no window, no message boxes; the caller reads the clock and the
// app-data folder once and hands them in, so a save can be reproduced exactly in tests.
#pragma once
#include <cstdint>

#include "engine/tool.h"
#include "platform/platform.h"

namespace tarn {

// Capacities in UTF-16 units, the terminator included.
inline constexpr std::int32_t kBaseFolderCapacity = 260;     // local app-data folder
inline constexpr std::int32_t kRecordsFolderCapacity = 260;  // "...\TarnMedSuite\records"
inline constexpr std::int32_t kRecordPathCapacity = 520;     // "...\T017.csv"
inline constexpr std::int32_t kHeaderCapacity = 512;
// A whole result (every report at its largest) with the stamp, the title and every input
// beside it: a record is written whole or not at all.
inline constexpr std::int32_t kRecordCapacity = kWholeResultCapacity + 4096;
// The longest result text (terminator included) a record always holds whole: a whole result
// and the verdict line after it.
inline constexpr std::int32_t kRecordResultCapacity = kWholeResultCapacity + 1024;

// How a save ended, for what the user is told.
enum class SaveOutcome : std::int32_t {
  kSaved,          // every byte written and flushed to the disk
  kFailed,         // the record is not in the file (a torn tail it left ends at the next save)
  kHeldElsewhere,  // another program holds the file (refusing to share it, or locking it)
                   // for longer than the wait; nothing written
  kUnknown,        // written, but the flush failed and the bytes could not be cut back: the
                   // record may be in the file
  kOtherEncoding,  // the file starts with a UTF-16 mark (another program re-saved it); left
                   // byte for byte
  kNoFolder,       // no usable local app-data folder (none given, or too long for a path);
                   // no path was tried and nothing written
};

// "<base><sep>TarnMedSuite<sep>records". False (and the cut text) when it does not fit: a cut
// path would name some other folder.
bool FormatRecordsFolder(const char16_t* baseFolder, char16_t* out, std::int32_t capacity);

// "<folder><sep>T%03d.csv" (T007.csv, T017.csv, T1234.csv). False when it does not fit.
bool FormatRecordPath(const char16_t* recordsFolder, std::int32_t toolId, char16_t* out,
                      std::int32_t capacity);

// Creates the folder and every missing folder above it, one level at a time. A drive prefix
// ("C:\") or the leading separator of an absolute path is passed over. Failures, existing
// folders included, are ignored: the file's opening tells whether the folder is there.
void CreateFolderPath(const char16_t* folder);

// "时间,工具" + ",label" per input + ",结果" + CR LF. Each label piece is cut at 127 units;
// the whole always ends in CR LF. Returns the length.
std::int32_t BuildRecordHeader(const ToolDef& tool, char16_t* out, std::int32_t capacity);

// The text of an input value in a record: the fewest significant digits, from 6 up to 17,
// that read back as the same double; so "%g" exactly wherever "%g" is exact (12, 0.5,
// 1e-05), 12.3456789 whole, 1234567 as 1234567. Returns the length.
std::int32_t FormatRecordValue(double value, char16_t* out, std::int32_t capacity);

// "YYYY-MM-DD hh:mm:ss,title" + ",label=value" per input + "," + the whole result text +
// CR LF. A label is cut as in the header (126 units); its value is always whole.
// `inputValues` holds one value per input. Returns the length, or -1 when the record does not
// fit `capacity` whole: a cut record must never be written.
std::int32_t BuildRecordText(const ToolDef& tool, const double* inputValues,
                             const char16_t* resultText, const LocalDateTime& time, char16_t* out,
                             std::int32_t capacity);

// Appends `record` to the regular file at `path` in UTF-8, as one write of complete bytes
// under an exclusive lock (waiting about two seconds at most in all, for another program
// holding the file and for another window's lock). The record starts a line of its own: a
// missing or empty file first gets the UTF-8 byte-order mark and `header`, one holding only
// the mark gets `header`, and one whose last line is torn (no CR LF at its end) or cannot be
// read gets CR LF (and `header` too at the size of a lone mark or less). A file that starts
// with a UTF-16 mark is not written at all. Only the first two and last three bytes are ever
// read, and nothing is ever removed but this save's own bytes. A failed or short write, or a
// failed flush, cuts the file back to its size before the save. A `header` or `record` that
// does not fit kHeaderCapacity or kRecordCapacity is refused whole.
SaveOutcome AppendRecordFile(const char16_t* path, const char16_t* header, const char16_t* record);

// One whole save: formats the folder and path from `baseFolder` and the tool's id into
// `pathOut` (kRecordPathCapacity), creates the folders, builds the texts and appends them.
// `pathOut` names the file that was tried even when the save fails, for the message to the
// user; it is empty with kNoFolder, when no path could be made and none was tried.
SaveOutcome SaveToolRecord(const char16_t* baseFolder, const ToolDef& tool,
                           const double* inputValues, const char16_t* resultText,
                           const LocalDateTime& time, char16_t* pathOut, std::int32_t pathCapacity);

}  // namespace tarn
