// POSIX services for the native build: the command line rebuilt from argv, local time,
// the XDG data folder, folders and files by UTF-16 path (encoded as UTF-8). The record
// file's append-only file is append_file_posix.cpp.
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "platform/native_path_posix.h"
#include "platform/platform.h"
#include "text/buffer.h"
#include "text/utf8.h"

namespace tarn {
namespace {

// The command line as rebuilt from argv; empty until SetProcessArguments.
char16_t gCommandLine[kCommandLineCapacity];

}  // namespace

bool ToNativePath(const char16_t* path, char* out) {
  const std::int32_t length = TextLength(path);
  std::int32_t consumed = 0;
  const std::int32_t bytes = EncodeUtf8(path, length, out, kNativePathCapacity - 1, &consumed);
  out[bytes] = 0;
  return consumed == length;
}

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

}  // namespace tarn
