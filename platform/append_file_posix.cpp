// The record file's append-only file on POSIX: regular files only, O_APPEND, open-file-
// description locks, fsync. Nothing else of the platform lives here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/append_file.h"
#include "platform/native_path_posix.h"

namespace tarn {
namespace {

// Pause between two tries for a file lock held by another program.
constexpr long kLockRetryNanoseconds = 5L * 1000 * 1000;

}  // namespace

namespace {

int OpenNative(const char* native, int access) {
  // O_APPEND: the system moves every write to the end, atomically, whoever else writes.
  // O_NONBLOCK: a FIFO without a reader must not hold the window; cleared again below.
  int fd = -1;
  do {
    fd = open(native, access | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

// Nothing here holds a file against sharing: the wait is for Win32's sharing modes.
AppendFile OpenAppendFile(const char16_t* path, std::int32_t) {
  AppendFile file{-1, false, false};
  char native[kNativePathCapacity];
  if (!ToNativePath(path, native)) return file;
  // Looked at before opening, so that no device is opened at all; and again on the open
  // descriptor, which is what counts should the path change in between.
  struct stat info {};
  if (stat(native, &info) == 0 && !S_ISREG(info.st_mode)) return file;
  int fd = OpenNative(native, O_RDWR);
  file.readable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = OpenNative(native, O_WRONLY);  // a write-only file
  if (fd < 0) return file;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    file.readable = false;
    return file;
  }
  file.handle = fd;
  return file;
}

bool IsOpen(AppendFile file) { return file.handle >= 0; }

std::int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

namespace {

int Descriptor(AppendFile file) { return static_cast<int>(file.handle); }

// An exclusive lock on the whole file, tried once. Open-file-description locks where the
// system has them: they also keep two threads of one process apart, and closing another
// descriptor of the same file does not drop them.
bool TryLock(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end, however far the file grows
#if defined(F_OFD_SETLK)
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
#else
  return fcntl(fd, F_SETLK, &lock) == 0;
#endif
}

}  // namespace

LockResult LockAppendFile(AppendFile file, std::int32_t waitMilliseconds) {
  if (!IsOpen(file)) return LockResult::kFailed;
  // Tried again every 5 ms rather than waiting in the kernel, so the wait has an end.
  const std::int64_t start = MonotonicMilliseconds();
  for (;;) {
    if (TryLock(Descriptor(file), F_WRLCK)) return LockResult::kLocked;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) return LockResult::kFailed;
    if (MonotonicMilliseconds() - start >= waitMilliseconds) return LockResult::kTimedOut;
    const timespec pause{0, kLockRetryNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

void UnlockAppendFile(AppendFile file) {
  if (IsOpen(file)) TryLock(Descriptor(file), F_UNLCK);
}

std::int64_t AppendFileSize(AppendFile file) {
  struct stat info {};
  if (!IsOpen(file) || fstat(Descriptor(file), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool ReadAppendFile(AppendFile file, std::int64_t offset, char* out, std::int32_t count) {
  if (!IsOpen(file) || !file.readable || offset < 0 || count < 0) return false;
  std::int32_t done = 0;
  while (done < count) {
    const ssize_t got = pread(Descriptor(file), out + done, static_cast<std::size_t>(count - done),
                              static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::int32_t>(got);
  }
  return true;
}

bool WriteAppendFile(AppendFile file, const char* bytes, std::int32_t count) {
  if (!IsOpen(file) || count < 0) return false;
  std::int32_t done = 0;
  while (done < count) {
    const ssize_t written =
        write(Descriptor(file), bytes + done, static_cast<std::size_t>(count - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;  // a full disk ends here, after a short write
    done += static_cast<std::int32_t>(written);
  }
  return true;
}

bool CutAppendFile(AppendFile file, std::int64_t size) {
  if (!IsOpen(file) || size < 0) return false;
  return ftruncate(Descriptor(file), static_cast<off_t>(size)) == 0;
}

bool FlushAppendFile(AppendFile file) { return IsOpen(file) && fsync(Descriptor(file)) == 0; }

bool CloseAppendFile(AppendFile file) {
  // Not retried on EINTR: the descriptor is gone either way on this system.
  return IsOpen(file) && close(Descriptor(file)) == 0;
}

}  // namespace tarn
