// Writing the record file: creating its folders and appending one record in UTF-8.
// The file is only ever appended to; it is never read back, rewritten or trimmed.
// No message boxes here: the caller tells the user what happened.
#include <cstdint>
#include <cstdio>

#include "records/record_file.h"
#include "text/buffer.h"

namespace tarn {
namespace {

constexpr unsigned char kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

// Where the level-by-level walk starts: past "C:\" on a drive path, past the leading
// separator of an absolute path, which are no folders to create.
std::int32_t FirstCreatableIndex(const char16_t* folder, std::int32_t length) {
  if (length >= 3 && folder[1] == u':' && folder[2] == kPathSeparator) return 3;
  if (length >= 1 && folder[0] == kPathSeparator) return 1;
  return 0;
}

}  // namespace

void CreateFolderPath(const char16_t* folder) {
  char16_t walk[kRecordPathCapacity];
  const std::int32_t length = TextLength(folder);
  if (length == 0 || length >= kRecordPathCapacity) return;  // a cut copy would be another path
  CopyText(walk, kRecordPathCapacity, folder);
  for (std::int32_t i = FirstCreatableIndex(walk, length); i < length; ++i) {
    if (walk[i] != kPathSeparator) continue;
    walk[i] = 0;
    CreateFolder(walk);
    walk[i] = kPathSeparator;
  }
  CreateFolder(walk);
}

bool AppendRecordFile(const char16_t* path, const char16_t* header, const char16_t* record) {
  if (IsEmpty(path)) return false;
  // Asked before opening, and without reading the file: a file we may not read still has
  // its header, and must not get a second one in its middle.
  const bool isNew = !PathExists(path);
  std::FILE* file = OpenFile(path, "ab");
  if (file == nullptr) return false;
  bool written = true;
  if (isNew) {
    written =
        std::fwrite(kByteOrderMark, 1, sizeof kByteOrderMark, file) == sizeof kByteOrderMark &&
        WriteUtf8(file, header);
  }
  // A record under a missing header would be misread by a spreadsheet: write it only after.
  if (written) written = WriteUtf8(file, record);
  if (std::fclose(file) != 0) written = false;
  return written;
}

bool SaveToolRecord(const char16_t* baseFolder, const ToolDef& tool, const double* inputValues,
                    const char16_t* resultText, const LocalDateTime& time, char16_t* pathOut,
                    std::int32_t pathCapacity) {
  char16_t folder[kRecordsFolderCapacity];
  bool fits = FormatRecordsFolder(baseFolder, folder, kRecordsFolderCapacity);
  fits = FormatRecordPath(folder, tool.id, pathOut, pathCapacity) && fits;
  // Without a base folder the path would hang off the drive's root: refuse it.
  if (!fits || IsEmpty(baseFolder)) return false;
  CreateFolderPath(folder);

  char16_t header[kHeaderCapacity];
  BuildRecordHeader(tool, header, kHeaderCapacity);
  char16_t record[kRecordCapacity];
  BuildRecordText(tool, inputValues, resultText, time, record, kRecordCapacity);
  return AppendRecordFile(pathOut, header, record);
}

}  // namespace tarn
