// Mode choice from the whole command line text. Portable, so both builds test it alike.
#pragma once
#include <cstdint>

namespace tarn {

// True when the command line asks for the self-test ("--selftest" anywhere). Then `path`
// (capacity at least 1; 520 in the program) receives the report path: a quoted text up to the
// next quote, or an unquoted one up to the next blank, at most capacity - 1 characters;
// empty becomes "selftest.txt".
bool ParseSelfTestCommand(const char16_t* commandLine, char16_t* path, std::int32_t capacity);
}  // namespace tarn
