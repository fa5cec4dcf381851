/* A fault injector for the record-file tests, loaded with LD_PRELOAD: natively into the test
 * program, under Wine into wine64, whose own Unix side makes the system calls. It fails only
 * calls on a file whose path ends in the suffix named in the control file, so nothing else
 * the process does is touched. Test code only; never part of a program.
 *
 * The control file (path in TARN_FAULT_CONTROL) holds one line, read again at every call:
 *   GENERATION SUFFIX BYTES FAULT...
 * FAULT words: short (the write that passes BYTES bytes writes only up to them, later writes
 * fail), fail (the write that would pass BYTES bytes fails whole), fsync, truncate, close
 * (closes, then reports an error), lock-fail (ENOLCK), lock-busy (EAGAIN: another holder),
 * read (reading the file back fails, as for a file open for writing only, whoever runs the
 * test), slow (every write and flush takes 1, 2, 3, 1, ... seconds: a slow network folder).
 * A new GENERATION starts the byte count again. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

struct Fault {
  int active; /* the call's file is the one named */
  long long limit;
  int shortWrite, failWrite, fsyncFails, truncateFails, closeFails, lockFails, lockBusy;
  int readFails, slow;
};

static long gGeneration = -1;   /* generation of the control line last seen */
static long long gWritten = 0;  /* bytes let through for the named file in this generation */

/* Reads the control line and tells whether `fd` is the file it names. */
static struct Fault FaultFor(int fd) {
  struct Fault fault;
  memset(&fault, 0, sizeof fault);
  const char* control = getenv("TARN_FAULT_CONTROL");
  if (control == NULL) return fault;
  char line[1024];
  int cfd = (int)syscall(SYS_open, control, O_RDONLY | O_CLOEXEC, 0);
  if (cfd < 0) return fault;
  ssize_t got = syscall(SYS_read, cfd, line, sizeof line - 1);
  syscall(SYS_close, cfd);
  if (got <= 0) return fault;
  line[got] = 0;

  char link[64];
  char path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t length = readlink(link, path, sizeof path - 1);
  if (length <= 0) return fault;
  path[length] = 0;

  long generation = 0;
  char suffix[512];
  int used = 0;
  if (sscanf(line, "%ld %511s %lld %n", &generation, suffix, &fault.limit, &used) < 3) {
    return fault;
  }
  size_t suffixLength = strlen(suffix);
  if ((size_t)length < suffixLength || strcmp(path + length - suffixLength, suffix) != 0) {
    return fault;
  }
  if (generation != gGeneration) {
    gGeneration = generation;
    gWritten = 0;
  }
  fault.active = 1;
  for (char* word = strtok(line + used, " \n"); word != NULL; word = strtok(NULL, " \n")) {
    fault.shortWrite |= strcmp(word, "short") == 0;
    fault.failWrite |= strcmp(word, "fail") == 0;
    fault.fsyncFails |= strcmp(word, "fsync") == 0;
    fault.truncateFails |= strcmp(word, "truncate") == 0;
    fault.closeFails |= strcmp(word, "close") == 0;
    fault.lockFails |= strcmp(word, "lock-fail") == 0;
    fault.lockBusy |= strcmp(word, "lock-busy") == 0;
    fault.readFails |= strcmp(word, "read") == 0;
    fault.slow |= strcmp(word, "slow") == 0;
  }
  return fault;
}

static void* Next(const char* name) { return dlsym(RTLD_NEXT, name); }

/* The slow disk: each write or flush of the named file waits 1, 2 or 3 seconds in turn. */
static long gSlowCalls = 0;
static void Delay(struct Fault fault) {
  if (!fault.active || !fault.slow) return;
  struct timespec pause = {1 + gSlowCalls++ % 3, 0};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

/* How many of `count` bytes may be written now; -1 (errno set) when none. `*named` tells
 * whether `fd` is the named file, whose bytes alone are counted: under Wine every request to
 * the wineserver is a write too. */
static ssize_t Allowed(int fd, size_t count, int* named) {
  struct Fault fault = FaultFor(fd);
  *named = fault.active;
  Delay(fault);
  if (!fault.active || !(fault.shortWrite || fault.failWrite)) return (ssize_t)count;
  long long room = fault.limit - gWritten;
  if (room >= (long long)count) return (ssize_t)count;
  if (room > 0 && fault.shortWrite) return (ssize_t)room;
  errno = ENOSPC;
  return -1;
}

static ssize_t Count(int named, ssize_t written) {
  if (named && written > 0) gWritten += written;
  return written;
}

ssize_t write(int fd, const void* bytes, size_t count) {
  ssize_t (*real)(int, const void*, size_t) = Next("write");
  int named = 0;
  ssize_t allowed = Allowed(fd, count, &named);
  return allowed < 0 ? -1 : Count(named, real(fd, bytes, (size_t)allowed));
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
  ssize_t (*real)(int, const void*, size_t, off_t) = Next("pwrite");
  int named = 0;
  ssize_t allowed = Allowed(fd, count, &named);
  return allowed < 0 ? -1 : Count(named, real(fd, bytes, (size_t)allowed, offset));
}

ssize_t pwrite64(int fd, const void* bytes, size_t count, off_t offset) {
  ssize_t (*real)(int, const void*, size_t, off_t) = Next("pwrite64");
  int named = 0;
  ssize_t allowed = Allowed(fd, count, &named);
  return allowed < 0 ? -1 : Count(named, real(fd, bytes, (size_t)allowed, offset));
}

static int Refused(int error) {
  errno = error;
  return -1;
}

static int Flush(const char* name, int fd) {
  int (*real)(int) = Next(name);
  struct Fault fault = FaultFor(fd);
  Delay(fault);
  return fault.fsyncFails ? Refused(EIO) : real(fd);
}

int fsync(int fd) { return Flush("fsync", fd); }

int fdatasync(int fd) { return Flush("fdatasync", fd); }

static ssize_t Read(const char* name, int fd, void* out, size_t count, off_t offset) {
  ssize_t (*real)(int, void*, size_t, off_t) = Next(name);
  return FaultFor(fd).readFails ? Refused(EIO) : real(fd, out, count, offset);
}

ssize_t pread(int fd, void* out, size_t count, off_t offset) {
  return Read("pread", fd, out, count, offset);
}

ssize_t pread64(int fd, void* out, size_t count, off_t offset) {
  return Read("pread64", fd, out, count, offset);
}

int ftruncate(int fd, off_t size) {
  int (*real)(int, off_t) = Next("ftruncate");
  return FaultFor(fd).truncateFails ? Refused(EPERM) : real(fd, size);
}

int ftruncate64(int fd, off_t size) {
  int (*real)(int, off_t) = Next("ftruncate64");
  return FaultFor(fd).truncateFails ? Refused(EPERM) : real(fd, size);
}

int close(int fd) {
  int (*real)(int) = Next("close");
  int closeFails = FaultFor(fd).closeFails;
  int result = real(fd);
  return closeFails ? Refused(EIO) : result;
}

static int LockFault(int fd, int cmd, void* arg) {
  int lockCommand = cmd == F_SETLK || cmd == F_SETLKW;
#ifdef F_OFD_SETLK
  lockCommand = lockCommand || cmd == F_OFD_SETLK || cmd == F_OFD_SETLKW;
#endif
  if (!lockCommand || ((struct flock*)arg)->l_type != F_WRLCK) return 0;
  struct Fault fault = FaultFor(fd);
  if (fault.lockBusy) return EAGAIN;
  return fault.lockFails ? ENOLCK : 0;
}

// fcntl and fcntl64 alike: the lock fault, or the real call of that name.
static int LockCall(const char* name, int fd, int cmd, void* arg) {
  int (*real)(int, int, ...) = Next(name);
  int error = LockFault(fd, cmd, arg);
  return error != 0 ? Refused(error) : real(fd, cmd, arg);
}

int fcntl(int fd, int cmd, ...) {
  va_list list;
  va_start(list, cmd);
  void* arg = va_arg(list, void*);
  va_end(list);
  return LockCall("fcntl", fd, cmd, arg);
}

int fcntl64(int fd, int cmd, ...) {
  va_list list;
  va_start(list, cmd);
  void* arg = va_arg(list, void*);
  va_end(list);
  return LockCall("fcntl64", fd, cmd, arg);
}
