// Bounded UTF-16 text buffers. A capacity counts char16_t units including the terminator.
// Every function here leaves the buffer terminated and never writes at or past `capacity`;
// a capacity below 1 (or a null buffer) means nothing is written at all.
#pragma once
#include <cstdint>

namespace tarn {

// Length of a terminated text; 0 for a null pointer.
std::int32_t TextLength(const char16_t* text);

// Replaces the buffer's text with at most capacity - 1 units of `text` (null = empty).
// Returns the resulting length.
std::int32_t CopyText(char16_t* buffer, std::int32_t capacity, const char16_t* text);

// Appends at most `count` units of `text` (stopping early at its terminator) to the
// terminated text already in the buffer, cut at capacity - 1. Returns the resulting length.
std::int32_t AppendUnits(char16_t* buffer, std::int32_t capacity, const char16_t* text,
                         std::int32_t count);

// AppendUnits with the whole of a terminated `text` (null = nothing).
std::int32_t AppendBounded(char16_t* buffer, std::int32_t capacity, const char16_t* text);

// Widens an ASCII text into the buffer (cut at capacity - 1); returns the resulting length.
std::int32_t WidenAscii(char16_t* buffer, std::int32_t capacity, const char* ascii);

// True for a null or empty text.
inline bool IsEmpty(const char16_t* text) { return text == nullptr || text[0] == 0; }
inline bool IsEmpty(const char* text) { return text == nullptr || text[0] == 0; }

}  // namespace tarn
