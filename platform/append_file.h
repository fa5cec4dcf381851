// A file that is only ever appended to, shared by several programs at once: open, an exclusive
// lock with a bounded wait, the size from the handle, reading its last bytes, whole writes at
// the end, cutting back, flushing to the disk. One implementation per platform
// (platform_win32.cpp and platform_posix.cpp); the callers stay portable. No C stdio: its
// buffering hides short writes, and its close may report success after a failed flush.
#pragma once
#include <cstdint>

namespace tarn {

// An open file: a HANDLE on Win32, a file descriptor on POSIX; `handle` is -1 when not open.
struct AppendFile {
  std::intptr_t handle;
  bool readable;       // its last bytes can be read back (the file may allow writing only)
  bool heldElsewhere;  // not open because another program holds it without sharing writes
};

// Opens (creating it when missing) the regular file at `path` so that every write lands at
// its end, whatever other writers do; shares it with other readers, writers and deleters.
// Anything but a regular file (a folder, a FIFO, a device, a socket) is refused at once,
// without waiting for a reader or touching a device. Another program holding the file
// without sharing it (a virus scanner's brief look) is waited for, `waitMilliseconds` at most.
AppendFile OpenAppendFile(const char16_t* path, std::int32_t waitMilliseconds);

bool IsOpen(AppendFile file);

// A clock for bounded waits: milliseconds from some fixed moment, never going back.
std::int64_t MonotonicMilliseconds();

enum class LockResult : std::int32_t {
  kLocked,
  kTimedOut,  // another holder kept it for the whole wait
  kFailed,    // the system refused the lock for another reason
};

// Takes an exclusive lock on the whole file, waiting at most `waitMilliseconds` for another
// holder to let go.
LockResult LockAppendFile(AppendFile file, std::int32_t waitMilliseconds);
void UnlockAppendFile(AppendFile file);

// The file's size in bytes from the open handle (needs no read access); -1 when unknown.
std::int64_t AppendFileSize(AppendFile file);

// Reads `count` bytes from `offset` into `out`; false unless all of them were read.
bool ReadAppendFile(AppendFile file, std::int64_t offset, char* out, std::int32_t count);

// Appends all `count` bytes. False when any byte could not be written (a full disk, say):
// part of them may have landed, which CutAppendFile can undo.
bool WriteAppendFile(AppendFile file, const char* bytes, std::int32_t count);

// Cuts the file back to `size` bytes.
bool CutAppendFile(AppendFile file, std::int64_t size);

// Hands everything written to the disk itself.
bool FlushAppendFile(AppendFile file);

// Closes the file (letting go of any lock); false when the system reported an error.
bool CloseAppendFile(AppendFile file);

}  // namespace tarn
