// Writing the record file: creating its folders and appending one record in UTF-8.
// The file is only ever appended to and never read back or rewritten; the one cut made is of
// a failed save's own bytes.
// No message boxes here: the caller tells the user what happened.
#include <cstdint>
#include <cstring>

#include "platform/append_file.h"
#include "records/record_file.h"
#include "text/buffer.h"
#include "text/utf8.h"

namespace tarn {
namespace {

constexpr char kByteOrderMark[3] = {'\xEF', '\xBB', '\xBF'};

// How long a save waits for another window's lock on the file before it fails.
constexpr std::int32_t kLockWaitMilliseconds = 2000;

// One save's bytes: the mark, the header and the record, three UTF-8 bytes per UTF-16 unit
// at most.
constexpr std::int32_t kPayloadCapacity =
    static_cast<std::int32_t>(sizeof kByteOrderMark) + 3 * (kHeaderCapacity + kRecordCapacity);

// Appends the UTF-8 form of `text` to the `length` bytes in `payload`. Returns the new
// length, or -1 when the text does not fit whole: a cut record must not be written.
std::int32_t AppendEncoded(const char16_t* text, char* payload, std::int32_t length) {
  const std::int32_t units = TextLength(text);
  std::int32_t consumed = 0;
  const std::int32_t bytes =
      EncodeUtf8(text, units, payload + length, kPayloadCapacity - length, &consumed);
  return consumed == units ? length + bytes : -1;
}

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
  if (IsEmpty(path) || header == nullptr || record == nullptr) return false;
  AppendFile file = OpenAppendFile(path);
  if (!IsOpen(file)) return false;
  // Another window may be saving to the same file: the size read and the append made under
  // one lock decide the header and place the bytes together. The wait is bounded, so the
  // window never hangs on a lock that is not let go.
  bool saved = false;
  if (LockAppendFile(file, kLockWaitMilliseconds)) {
    const std::int64_t sizeBefore = AppendFileSize(file);
    // By size, not by existence and without reading: an empty file (left by a save on a full
    // disk) gets its header, and a file with content, readable or not, never a second one.
    char payload[kPayloadCapacity];
    std::int32_t length = 0;
    if (sizeBefore == 0) {
      std::memcpy(payload, kByteOrderMark, sizeof kByteOrderMark);
      length = sizeof kByteOrderMark;
      length = AppendEncoded(header, payload, length);
    }
    // A record under a missing header would be misread by a spreadsheet: none without it.
    if (sizeBefore >= 0 && length >= 0) length = AppendEncoded(record, payload, length);
    if (sizeBefore >= 0 && length > 0) {
      // A short write, or a flush that fails, leaves no fragment for the next record to be
      // glued to: the file goes back to its size before this save.
      saved = WriteAppendFile(file, payload, length) && FlushAppendFile(file);
      if (!saved) CutAppendFile(file, sizeBefore);
    }
    UnlockAppendFile(file);
  }
  if (!CloseAppendFile(file)) saved = false;
  return saved;
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
