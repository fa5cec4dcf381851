// The record file's append-only file on Win32: byte-range locks, writes at the end of the
// file, FlushFileBuffers. Nothing else of the platform lives here.
#include <windows.h>

#include "platform/append_file.h"
#include "platform/wide.h"

namespace tarn {
namespace {

// Pause between two tries for a file held or locked by another program.
constexpr DWORD kLockRetryMilliseconds = 5;

HANDLE Handle(AppendFile file) { return reinterpret_cast<HANDLE>(file.handle); }

}  // namespace

namespace {

HANDLE OpenShared(const char16_t* path, DWORD access) {
  return CreateFileW(AsWide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

namespace {

// One try at opening: with read access where the holders allow it, else without.
AppendFile TryOpen(const char16_t* path) {
  // Write access as well as append access: locking a range and setting the end of the file
  // are refused on a handle that may only append. Every write below names the end of the file
  // as its place instead, which the system resolves at the moment of writing, as it does for
  // an append-only handle. Sharing everything: other windows append to the same file, and a
  // reader may hold it open. Read access only to look at the file's first and last bytes; a
  // holder that denies readers, or a file we may not read, still takes the record without it.
  constexpr DWORD kWrite = FILE_APPEND_DATA | FILE_WRITE_DATA | FILE_READ_ATTRIBUTES;
  AppendFile file{-1, true, false};
  HANDLE handle = OpenShared(path, kWrite | FILE_READ_DATA);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return {-1, false, false};
    file.readable = false;
    handle = OpenShared(path, kWrite);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    // A spreadsheet that has the file open shares reading only.
    return {-1, false, GetLastError() == ERROR_SHARING_VIOLATION};
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  return file;
}

}  // namespace

AppendFile OpenAppendFile(const char16_t* path, std::int32_t waitMilliseconds) {
  // An on-access scanner opens the file for a moment after each write without sharing it:
  // tried again every 5 ms, as a lock is, until the wait is over.
  const std::int64_t start = MonotonicMilliseconds();
  for (;;) {
    const AppendFile file = TryOpen(path);
    if (!file.heldElsewhere || MonotonicMilliseconds() - start >= waitMilliseconds) return file;
    Sleep(kLockRetryMilliseconds);
  }
}

bool IsOpen(AppendFile file) { return file.handle != -1; }

std::int64_t MonotonicMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

LockResult LockAppendFile(AppendFile file, std::int32_t waitMilliseconds) {
  if (!IsOpen(file)) return LockResult::kFailed;
  // Tried again every 5 ms rather than waiting in the system, so the wait has an end and
  // the window thread never hangs on another program's lock.
  const std::int64_t start = MonotonicMilliseconds();
  for (;;) {
    OVERLAPPED whole{};
    if (LockFileEx(Handle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole)) {
      return LockResult::kLocked;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) return LockResult::kFailed;
    if (MonotonicMilliseconds() - start >= waitMilliseconds) return LockResult::kTimedOut;
    Sleep(kLockRetryMilliseconds);
  }
}

void UnlockAppendFile(AppendFile file) {
  OVERLAPPED whole{};
  if (IsOpen(file)) UnlockFileEx(Handle(file), 0, MAXDWORD, MAXDWORD, &whole);
}

std::int64_t AppendFileSize(AppendFile file) {
  LARGE_INTEGER size{};
  if (!IsOpen(file) || !GetFileSizeEx(Handle(file), &size)) return -1;
  return size.QuadPart;
}

bool ReadAppendFile(AppendFile file, std::int64_t offset, char* out, std::int32_t count) {
  if (!IsOpen(file) || !file.readable || offset < 0 || count < 0) return false;
  std::int32_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset + done) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset + done) >> 32);
    DWORD got = 0;
    if (!ReadFile(Handle(file), out + done, static_cast<DWORD>(count - done), &got, &at) ||
        got == 0) {
      return false;
    }
    done += static_cast<std::int32_t>(got);
  }
  return true;
}

bool WriteAppendFile(AppendFile file, const char* bytes, std::int32_t count) {
  if (!IsOpen(file) || count < 0) return false;
  std::int32_t done = 0;
  while (done < count) {
    // Offset all ones: at the end of the file as it is when the bytes are written.
    OVERLAPPED atEnd{};
    atEnd.Offset = MAXDWORD;
    atEnd.OffsetHigh = MAXDWORD;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(Handle(file), bytes + done, static_cast<DWORD>(count - done), &written, &atEnd);
    if (!ok || written == 0) return false;  // a full disk ends here, after a short write
    done += static_cast<std::int32_t>(written);
  }
  return true;
}

bool CutAppendFile(AppendFile file, std::int64_t size) {
  if (!IsOpen(file) || size < 0) return false;
  LARGE_INTEGER place{};
  place.QuadPart = size;
  return SetFilePointerEx(Handle(file), place, nullptr, FILE_BEGIN) && SetEndOfFile(Handle(file));
}

bool FlushAppendFile(AppendFile file) { return IsOpen(file) && FlushFileBuffers(Handle(file)); }

bool CloseAppendFile(AppendFile file) { return IsOpen(file) && CloseHandle(Handle(file)); }

}  // namespace tarn
