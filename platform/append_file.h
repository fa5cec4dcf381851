// A file that is only ever appended to, shared by several programs at once: open, an exclusive
// lock with a bounded wait, the size from the handle, whole writes at the end, cutting back,
// flushing to the disk. One implementation per platform (platform_win32.cpp and
// platform_posix.cpp); the callers stay portable. No C stdio: its buffering hides short
// writes, and its close may report success after a failed flush.
#pragma once
#include <cstdint>

namespace tarn {

// An open file: a HANDLE on Win32, a file descriptor on POSIX; `handle` is -1 when not open.
struct AppendFile {
  std::intptr_t handle;
};

// Opens (creating it when missing) the file at `path` so that every write lands at its end,
// whatever other writers do; shares it with other readers, writers and deleters.
AppendFile OpenAppendFile(const char16_t* path);

bool IsOpen(AppendFile file);

// Takes an exclusive lock on the whole file, waiting at most `waitMilliseconds` for another
// holder to let go. False when the lock could not be had by then.
bool LockAppendFile(AppendFile file, std::int32_t waitMilliseconds);
void UnlockAppendFile(AppendFile file);

// The file's size in bytes from the open handle (needs no read access); -1 when unknown.
std::int64_t AppendFileSize(AppendFile file);

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
