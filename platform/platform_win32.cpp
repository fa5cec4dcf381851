// Win32 services: the system's command line, local time, the local app-data folder, folders
// and files by UTF-16 path, and the append-only file of the record file (byte-range locks,
// writes at the end of the file, FlushFileBuffers).
#include <shlobj.h>
#include <windows.h>

#include <cwchar>

#include "platform/append_file.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "text/buffer.h"

namespace tarn {
namespace {

// Pause between two tries for a file lock held by another program.
constexpr DWORD kLockRetryMilliseconds = 5;

HANDLE Handle(AppendFile file) { return reinterpret_cast<HANDLE>(file.handle); }

}  // namespace

void SetProcessArguments(int, char**) {}  // the system keeps the command line

const char16_t* ProcessCommandLine() { return AsU16(GetCommandLineW()); }

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool LocalAppDataFolder(char16_t* out, std::int32_t capacity) {
  wchar_t folder[MAX_PATH] = {};
  const bool found = SUCCEEDED(
      SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder));
  CopyText(out, capacity, found ? AsU16(folder) : u"");
  return found;
}

bool CreateFolder(const char16_t* path) { return CreateDirectoryW(AsWide(path), nullptr) != 0; }

std::FILE* OpenFile(const char16_t* path, const char* mode) {
  wchar_t wideMode[8] = {};
  for (int i = 0; i < 7 && mode[i] != 0; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(AsWide(path), wideMode);
}

namespace {

HANDLE OpenShared(const char16_t* path, DWORD access) {
  return CreateFileW(AsWide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

AppendFile OpenAppendFile(const char16_t* path) {
  // Write access as well as append access: locking a range and setting the end of the file
  // are refused on a handle that may only append. Every write below names the end of the file
  // as its place instead, which the system resolves at the moment of writing, as it does for
  // an append-only handle. Sharing everything: other windows append to the same file, and a
  // reader may hold it open. Read access only to look at the file's last bytes; a holder that
  // denies readers, or a file we may not read, still takes the record without it.
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

bool IsOpen(AppendFile file) { return file.handle != -1; }

LockResult LockAppendFile(AppendFile file, std::int32_t waitMilliseconds) {
  if (!IsOpen(file)) return LockResult::kFailed;
  // Tried again every 5 ms rather than waiting in the system, so the wait has an end and
  // the window thread never hangs on another program's lock.
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    OVERLAPPED whole{};
    if (LockFileEx(Handle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole)) {
      return LockResult::kLocked;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) return LockResult::kFailed;
    if (GetTickCount64() - start >= static_cast<ULONGLONG>(waitMilliseconds)) {
      return LockResult::kTimedOut;
    }
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
