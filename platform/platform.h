// The few operating-system services the portable core needs. One implementation for Win32
// (platform_win32.cpp) and one for POSIX (platform_posix.cpp); nothing else in the core
// touches the operating system. Paths are UTF-16 on both.
#pragma once
#include <cstdint>
#include <cstdio>

namespace tarn {

struct LocalDateTime {
  std::int32_t year;
  std::int32_t month;  // 1..12
  std::int32_t day;    // 1..31
  std::int32_t hour;   // 0..23
  std::int32_t minute;
  std::int32_t second;
};

// The folder separator of this platform's paths.
#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// Longest command line we keep (the Windows limit).
inline constexpr std::int32_t kCommandLineCapacity = 32768;

// Rebuilds a command line from argv: arguments joined by one blank, an argument holding a
// blank put in double quotes; UTF-8 arguments decoded. Cut at capacity - 1. Returns the length.
std::int32_t JoinArguments(int argc, const char* const* argv, char16_t* out, std::int32_t capacity);

// On POSIX the command line is rebuilt from argv: call once from main before reading it.
// Does nothing on Windows, where the system keeps the text.
void SetProcessArguments(int argc, char** argv);

// The whole command line as one text, the program's own path included.
const char16_t* ProcessCommandLine();

// The local date and time now.
LocalDateTime LocalNow();

// The user's local application-data folder (CSIDL_LOCAL_APPDATA; $XDG_DATA_HOME or
// ~/.local/share on POSIX), without a trailing separator. Returns false (and an empty text)
// when it cannot be determined.
bool LocalAppDataFolder(char16_t* out, std::int32_t capacity);

// Creates one folder; false when it could not be created (an existing one included).
bool CreateFolder(const char16_t* path);

// fopen with a UTF-16 path; mode as for fopen ("rb", "wb", "ab"). Null on failure.
std::FILE* OpenFile(const char16_t* path, const char* mode);

// Writes a UTF-16 text to the file as UTF-8, in pieces, however long it is; false when a
// write failed.
bool WriteUtf8(std::FILE* file, const char16_t* text);

}  // namespace tarn
