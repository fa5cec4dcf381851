// Bounded UTF-16 buffers: length, copy, append, ASCII widening. Every write stays below the
// capacity and leaves a terminator; a capacity below 1 or a null buffer is left untouched.
// Nothing here allocates, and nothing reads past a source's terminator or the given count.
#include "text/buffer.h"

#include <cstring>

namespace tarn {

// Length of the text already in a buffer, looking at no more than `capacity` units. A text
// with no terminator inside the capacity is treated as cut at capacity - 1 (and terminated
// there), so an append onto a damaged buffer still stays inside it.
static std::int32_t ExistingLength(char16_t* buffer, std::int32_t capacity) {
  std::int32_t length = 0;
  while (length < capacity && buffer[length] != 0) {
    ++length;
  }
  if (length == capacity) {
    length = capacity - 1;
    buffer[length] = 0;
  }
  return length;
}

// Copies up to `limit` units of `text` (stopping at its terminator) to buffer + at and
// terminates. memmove keeps a source that overlaps the buffer (appending a text to itself)
// intact: the source length is measured before anything is written.
static std::int32_t PutUnits(char16_t* buffer, std::int32_t at, const char16_t* text,
                             std::int32_t limit) {
  std::int32_t count = 0;
  if (text != nullptr) {
    while (count < limit && text[count] != 0) {
      ++count;
    }
    std::memmove(buffer + at, text, static_cast<std::size_t>(count) * sizeof(char16_t));
  }
  buffer[at + count] = 0;
  return at + count;
}

std::int32_t TextLength(const char16_t* text) {
  if (text == nullptr) {
    return 0;
  }
  std::int32_t length = 0;
  while (text[length] != 0) {
    ++length;
  }
  return length;
}

std::int32_t CopyText(char16_t* buffer, std::int32_t capacity, const char16_t* text) {
  if (buffer == nullptr || capacity < 1) {
    return 0;
  }
  return PutUnits(buffer, 0, text, capacity - 1);
}

std::int32_t AppendUnits(char16_t* buffer, std::int32_t capacity, const char16_t* text,
                         std::int32_t count) {
  if (buffer == nullptr || capacity < 1) {
    return 0;
  }
  const std::int32_t length = ExistingLength(buffer, capacity);
  const std::int32_t room = capacity - 1 - length;
  return PutUnits(buffer, length, text, count < room ? (count > 0 ? count : 0) : room);
}

std::int32_t AppendBounded(char16_t* buffer, std::int32_t capacity, const char16_t* text) {
  return AppendUnits(buffer, capacity, text, capacity);
}

std::int32_t WidenAscii(char16_t* buffer, std::int32_t capacity, const char* ascii) {
  if (buffer == nullptr || capacity < 1) {
    return 0;
  }
  std::int32_t length = 0;
  if (ascii != nullptr) {
    // A byte outside ASCII is not a character of its own; it shows as U+FFFD.
    for (; length < capacity - 1 && ascii[length] != 0; ++length) {
      const auto byte = static_cast<unsigned char>(ascii[length]);
      buffer[length] = byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD';
    }
  }
  buffer[length] = 0;
  return length;
}

}  // namespace tarn
