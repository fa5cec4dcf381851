// POSIX services for the native build: the command line rebuilt from argv, local time,
// the XDG data folder, folders and files by UTF-16 path (encoded as UTF-8), and the
// append-only file of the record file (regular files only, O_APPEND, open-file-description
// locks, fsync).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/append_file.h"
#include "platform/platform.h"
#include "text/buffer.h"
#include "text/utf8.h"

namespace tarn {
namespace {

// Pause between two tries for a file lock held by another program.
constexpr long kLockRetryNanoseconds = 5L * 1000 * 1000;

// The command line as rebuilt from argv; empty until SetProcessArguments.
char16_t gCommandLine[kCommandLineCapacity];

// A UTF-16 path as a UTF-8 one; false when it does not fit.
constexpr std::int32_t kNativePathCapacity = 4096;
bool ToNativePath(const char16_t* path, char* out) {
  const std::int32_t length = TextLength(path);
  std::int32_t consumed = 0;
  const std::int32_t bytes = EncodeUtf8(path, length, out, kNativePathCapacity - 1, &consumed);
  out[bytes] = 0;
  return consumed == length;
}

}  // namespace

void SetProcessArguments(int argc, char** argv) {
  JoinArguments(argc, argv, gCommandLine, kCommandLineCapacity);
}

const char16_t* ProcessCommandLine() { return gCommandLine; }

LocalDateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool LocalAppDataFolder(char16_t* out, std::int32_t capacity) {
  CopyText(out, capacity, u"");
  // The XDG rule: a relative XDG_DATA_HOME is invalid and ignored, never taken as a base.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    DecodeUtf8(xdg, out, capacity);
    return true;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == 0) return false;
  DecodeUtf8(home, out, capacity);
  AppendBounded(out, capacity, u"/.local/share");
  return true;
}

bool CreateFolder(const char16_t* path) {
  char native[kNativePathCapacity];
  return ToNativePath(path, native) && mkdir(native, 0777) == 0;
}

std::FILE* OpenFile(const char16_t* path, const char* mode) {
  char native[kNativePathCapacity];
  if (!ToNativePath(path, native)) return nullptr;
  return std::fopen(native, mode);
}

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

AppendFile OpenAppendFile(const char16_t* path) {
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
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    if (TryLock(Descriptor(file), F_WRLCK)) return LockResult::kLocked;
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) return LockResult::kFailed;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t waited = (static_cast<std::int64_t>(now.tv_sec) - start.tv_sec) * 1000 +
                                (now.tv_nsec - start.tv_nsec) / 1000000;
    if (waited >= waitMilliseconds) return LockResult::kTimedOut;
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
