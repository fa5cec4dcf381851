// Finding "--selftest" and its report path in the whole command line text.
#include "app/command_line.h"

#include "text/buffer.h"

namespace tarn {
namespace {

constexpr char16_t kSwitch[] = u"--selftest";
constexpr std::int32_t kSwitchLength = sizeof(kSwitch) / sizeof(kSwitch[0]) - 1;
constexpr char16_t kDefaultReport[] = u"selftest.txt";

// First occurrence of the switch anywhere in the text (inside another argument too).
const char16_t* FindSwitch(const char16_t* text) {
  for (const char16_t* at = text; *at != 0; ++at) {
    std::int32_t matched = 0;
    while (matched < kSwitchLength && at[matched] == kSwitch[matched]) ++matched;
    if (matched == kSwitchLength) return at;
  }
  return nullptr;
}

}  // namespace

bool ParseSelfTestCommand(const char16_t* commandLine, char16_t* path, std::int32_t capacity) {
  CopyText(path, capacity, u"");
  if (commandLine == nullptr) return false;
  const char16_t* at = FindSwitch(commandLine);
  if (at == nullptr) return false;
  at += kSwitchLength;
  while (*at == u' ') ++at;  // blanks only: a tab starts the path
  char16_t end = u' ';
  if (*at == u'"') {
    ++at;
    end = u'"';
  }
  std::int32_t length = 0;
  while (at[length] != 0 && at[length] != end) ++length;
  AppendUnits(path, capacity, at, length);  // cut at capacity - 1 (519 in the program)
  if (IsEmpty(path)) CopyText(path, capacity, kDefaultReport);
  return true;
}

}  // namespace tarn
