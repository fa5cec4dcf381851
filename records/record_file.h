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
inline constexpr std::int32_t kRecordCapacity = 4096;

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

// "YYYY-MM-DD hh:mm:ss,title" + ",label=%g" per input + "," and at most 254 units of the
// result text + CR LF. Each input piece is cut at 127 units (a long label loses its value);
// the whole always ends in CR LF. `inputValues` holds one value per input. Returns the length.
std::int32_t BuildRecordText(const ToolDef& tool, const double* inputValues,
                             const char16_t* resultText, const LocalDateTime& time, char16_t* out,
                             std::int32_t capacity);

// Appends `record` to the file in UTF-8, as one write of complete bytes under an exclusive
// lock (waiting about two seconds at most for another window's). A file that is missing or
// empty first gets the UTF-8 byte-order mark and `header`; the size decides, so the file is
// never read. A failed or short write, or a failed flush, cuts the file back to its size
// before the save. True only when every byte was written, flushed to the disk and the file
// closed cleanly. `header` and `record` fit kHeaderCapacity and kRecordCapacity.
bool AppendRecordFile(const char16_t* path, const char16_t* header, const char16_t* record);

// One whole save: formats the folder and path from `baseFolder` and the tool's id into
// `pathOut` (kRecordPathCapacity), creates the folders, builds the texts and appends them.
// `pathOut` names the file even when the save fails, for the message to the user.
bool SaveToolRecord(const char16_t* baseFolder, const ToolDef& tool, const double* inputValues,
                    const char16_t* resultText, const LocalDateTime& time, char16_t* pathOut,
                    std::int32_t pathCapacity);

}  // namespace tarn
