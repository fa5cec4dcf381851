// Writing the record file: creating its folders and appending one record in UTF-8.
// The file is only ever appended to and never rewritten; all that is read back is its first
// two and last three bytes, and the one cut made is of a failed save's own bytes.
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
constexpr char kCrLf[2] = {'\r', '\n'};

// How long a save waits in all for another program's hold on the file and another window's
// lock on it before it fails.
constexpr std::int32_t kWaitMilliseconds = 2000;

// One save's bytes: the mark or a line end, the header and the record, three UTF-8 bytes per
// UTF-16 unit at most.
constexpr std::int32_t kPayloadCapacity = static_cast<std::int32_t>(sizeof kByteOrderMark) +
                                          3 * (kHeaderCapacity - 1) + 3 * (kRecordCapacity - 1);

// Length of `text` when it ends before `capacity` units, else -1: a text without its end in
// that room is refused, never written cut.
std::int32_t LengthWithin(const char16_t* text, std::int32_t capacity) {
  for (std::int32_t i = 0; i < capacity; ++i) {
    if (text[i] == 0) return i;
  }
  return -1;
}

// Appends the UTF-8 form of `units` units of `text` to the `length` bytes in `payload`.
// Returns the new length.
std::int32_t AppendEncoded(const char16_t* text, std::int32_t units, char* payload,
                           std::int32_t length) {
  std::int32_t consumed = 0;
  return length + EncodeUtf8(text, units, payload + length, kPayloadCapacity - length, &consumed);
}

std::int32_t AppendBytes(const char* bytes, std::int32_t count, char* payload,
                         std::int32_t length) {
  std::memcpy(payload + length, bytes, static_cast<std::size_t>(count));
  return length + count;
}

// What must stand before the record so that it starts a line of its own, from the file's
// size and, where they can be read, its first and last bytes: the mark and the header for an
// empty file, the header after a lone mark, a line end after a torn last line. A file whose
// tail cannot be read gets a line end (a blank line at worst, never a record glued onto a
// torn one), and at three bytes or fewer the header too: that is the size of a lone mark or
// part of one, and a header line after a few bytes of something else is one odd line, whereas
// a file without its header stays so for good. A file that starts with a UTF-16 mark (another
// program saved it as "Unicode text") gets nothing: UTF-8 after it would leave a file that no
// program reads back.
enum class Lead : std::int32_t {
  kNothing,
  kMarkAndHeader,
  kHeader,
  kLineEnd,
  kLineEndAndHeader,
  kForeignEncoding
};

Lead LeadFor(AppendFile file, std::int64_t size) {
  if (size == 0) return Lead::kMarkAndHeader;
  char head[2] = {};
  if (size >= 2 && ReadAppendFile(file, 0, head, 2) &&
      ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF'))) {
    return Lead::kForeignEncoding;
  }
  char tail[sizeof kByteOrderMark] = {};
  const std::int32_t count = size < 3 ? static_cast<std::int32_t>(size) : 3;
  if (!ReadAppendFile(file, size - count, tail, count)) {
    return size <= 3 ? Lead::kLineEndAndHeader : Lead::kLineEnd;
  }
  if (count == 3 && size == 3 && std::memcmp(tail, kByteOrderMark, 3) == 0) return Lead::kHeader;
  const bool ended = count >= 2 && tail[count - 2] == '\r' && tail[count - 1] == '\n';
  return ended ? Lead::kNothing : Lead::kLineEnd;
}

// Writes the payload and flushes it; on failure cuts the file back to `sizeBefore`.
SaveOutcome WriteWhole(AppendFile file, std::int64_t sizeBefore, const char* payload,
                       std::int32_t length) {
  const bool written = WriteAppendFile(file, payload, length);
  if (written && FlushAppendFile(file)) return SaveOutcome::kSaved;
  // A short write, or a flush that fails, leaves no fragment for the user to take for a
  // record: the file goes back to its size before this save.
  if (CutAppendFile(file, sizeBefore)) return SaveOutcome::kFailed;
  // Not cut back: a fragment of a short write ends at the next save's line end; but every
  // byte written before a failed flush may well be in the file, and a second save would
  // double it.
  return written ? SaveOutcome::kUnknown : SaveOutcome::kFailed;
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

SaveOutcome AppendRecordFile(const char16_t* path, const char16_t* header, const char16_t* record) {
  if (IsEmpty(path) || header == nullptr || record == nullptr) return SaveOutcome::kFailed;
  const std::int32_t headerUnits = LengthWithin(header, kHeaderCapacity);
  const std::int32_t recordUnits = LengthWithin(record, kRecordCapacity);
  if (headerUnits < 0 || recordUnits <= 0) return SaveOutcome::kFailed;

  // One bounded wait covers both another program's hold on the file and another window's
  // lock, so a save never waits much longer than kWaitMilliseconds in all.
  const std::int64_t start = MonotonicMilliseconds();
  AppendFile file = OpenAppendFile(path, kWaitMilliseconds);
  if (!IsOpen(file)) {
    return file.heldElsewhere ? SaveOutcome::kHeldElsewhere : SaveOutcome::kFailed;
  }
  // Another window may be saving to the same file: the size read and the append made under
  // one lock decide what leads the record and place the bytes together.
  const std::int64_t waited = MonotonicMilliseconds() - start;
  const std::int32_t lockWait =
      waited < kWaitMilliseconds ? kWaitMilliseconds - static_cast<std::int32_t>(waited) : 0;
  SaveOutcome outcome = SaveOutcome::kFailed;
  const LockResult lock = LockAppendFile(file, lockWait);
  if (lock == LockResult::kTimedOut) outcome = SaveOutcome::kHeldElsewhere;
  if (lock == LockResult::kLocked) {
    const std::int64_t sizeBefore = AppendFileSize(file);
    const Lead lead = sizeBefore >= 0 ? LeadFor(file, sizeBefore) : Lead::kNothing;
    if (lead == Lead::kForeignEncoding) outcome = SaveOutcome::kOtherEncoding;
    if (sizeBefore >= 0 && lead != Lead::kForeignEncoding) {
      char payload[kPayloadCapacity];
      std::int32_t length = 0;
      if (lead == Lead::kMarkAndHeader) {
        length = AppendBytes(kByteOrderMark, sizeof kByteOrderMark, payload, length);
      }
      if (lead == Lead::kLineEnd || lead == Lead::kLineEndAndHeader) {
        length = AppendBytes(kCrLf, sizeof kCrLf, payload, length);
      }
      if (lead == Lead::kMarkAndHeader || lead == Lead::kHeader ||
          lead == Lead::kLineEndAndHeader) {
        length = AppendEncoded(header, headerUnits, payload, length);
      }
      length = AppendEncoded(record, recordUnits, payload, length);
      outcome = WriteWhole(file, sizeBefore, payload, length);
    }
    UnlockAppendFile(file);
  }
  // After a good flush the bytes are on the disk: a close that reports an error does not undo
  // them, and calling the save failed would have the user save the record twice.
  CloseAppendFile(file);
  return outcome;
}

SaveOutcome SaveToolRecord(const char16_t* baseFolder, const ToolDef& tool,
                           const double* inputValues, const char16_t* resultText,
                           const LocalDateTime& time, char16_t* pathOut,
                           std::int32_t pathCapacity) {
  char16_t folder[kRecordsFolderCapacity];
  bool fits = FormatRecordsFolder(baseFolder, folder, kRecordsFolderCapacity);
  fits = FormatRecordPath(folder, tool.id, pathOut, pathCapacity) && fits;
  // Without a base folder the path would hang off the drive's root, and a cut one names
  // another folder: neither is tried, nor shown to the user as if it had been.
  if (!fits || IsEmpty(baseFolder)) {
    CopyText(pathOut, pathCapacity, u"");
    return SaveOutcome::kNoFolder;
  }

  char16_t header[kHeaderCapacity];
  BuildRecordHeader(tool, header, kHeaderCapacity);
  char16_t record[kRecordCapacity];
  if (BuildRecordText(tool, inputValues, resultText, time, record, kRecordCapacity) < 0) {
    return SaveOutcome::kFailed;  // a record that does not fit is not written cut
  }
  CreateFolderPath(folder);
  return AppendRecordFile(pathOut, header, record);
}

}  // namespace tarn
