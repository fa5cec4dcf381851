// Bounded UTF-16 buffers: the writer, and length, copy, append and ASCII widening as thin
// forms over it. Every write stays below the capacity and leaves a terminator; a capacity
// below 1 or a null buffer is left untouched. Nothing here allocates, and nothing reads past
// a source's terminator or the given count.
#include "text/buffer.h"

#include <cstring>
#include <functional>

namespace tarn {

TextWriter::TextWriter(char16_t* buffer, std::int32_t capacity, std::int32_t length)
    : buffer_(buffer), limit_(buffer != nullptr && capacity >= 1 ? capacity - 1 : -1), length_(0) {
  if (limit_ >= 0) length_ = length < 0 ? 0 : (length > limit_ ? limit_ : length);
}

TextWriter TextWriter::After(char16_t* buffer, std::int32_t capacity) {
  TextWriter out(buffer, capacity);
  if (out.limit_ < 0) return out;
  std::int32_t length = 0;
  while (length < out.limit_ && buffer[length] != 0) ++length;
  out.length_ = length;
  out.Terminate();  // a text with no terminator inside the capacity is cut at its end
  return out;
}

void TextWriter::Write(const char16_t* text, std::int32_t count) {
  if (limit_ < 0) return;
  const std::int32_t room = limit_ - length_;
  const std::int32_t most = count < room ? count : room;
  std::int32_t n = 0;
  const std::less<const char16_t*> before;
  if (text != nullptr && !before(text, buffer_) && !before(buffer_ + limit_, text)) {
    // A source inside this very buffer (before the write position): measured before any
    // write, so it is copied whole and unchanged.
    while (n < most && text[n] != 0) ++n;
    WriteUnits(text, n);
    return;
  }
  // A separate source: copied as it is read.
  char16_t* const to = buffer_ + length_;
  if (text != nullptr) {
    for (; n < most && text[n] != 0; ++n) to[n] = text[n];
  }
  length_ += n;
  buffer_[length_] = 0;
}

void TextWriter::WriteUnits(const char16_t* text, std::int32_t count) {
  if (limit_ < 0) return;
  const std::int32_t room = limit_ - length_;
  const std::int32_t n = count < room ? count : room;
  if (text != nullptr && n > 0) {
    std::memmove(buffer_ + length_, text, static_cast<std::size_t>(n) * sizeof(char16_t));
    length_ += n;
  }
  buffer_[length_] = 0;
}

void TextWriter::WriteAscii(const char* text, std::int32_t count) {
  if (limit_ < 0) return;
  const std::int32_t room = limit_ - length_;
  const std::int32_t most = count < room ? count : room;
  for (std::int32_t i = 0; i < most; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    buffer_[length_++] = byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD';
  }
  buffer_[length_] = 0;
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
  TextWriter out(buffer, capacity);
  out.Write(text);
  return out.Length();
}

std::int32_t AppendUnits(char16_t* buffer, std::int32_t capacity, const char16_t* text,
                         std::int32_t count) {
  TextWriter out = TextWriter::After(buffer, capacity);
  out.Write(text, count);
  return out.Length();
}

std::int32_t AppendBounded(char16_t* buffer, std::int32_t capacity, const char16_t* text) {
  return AppendUnits(buffer, capacity, text, INT32_MAX);
}

std::int32_t WidenAscii(char16_t* buffer, std::int32_t capacity, const char* ascii) {
  TextWriter out(buffer, capacity);
  std::int32_t length = 0;
  if (ascii != nullptr) {
    while (ascii[length] != 0 && length < capacity) ++length;
  }
  out.WriteAscii(ascii, length);
  out.Terminate();
  return out.Length();
}

}  // namespace tarn
