// Win32 services: the system's command line, local time, the local app-data folder, folders
// and files by UTF-16 path. The record file's append-only file is append_file_win32.cpp.
#include <shlobj.h>
#include <windows.h>

#include <cwchar>

#include "platform/platform.h"
#include "platform/wide.h"
#include "text/buffer.h"

namespace tarn {

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

}  // namespace tarn
