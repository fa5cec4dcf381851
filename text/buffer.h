// Bounded UTF-16 text buffers. A capacity counts char16_t units including the terminator.
// Every function here leaves the buffer terminated and never writes at or past `capacity`;
// a capacity below 1 (or a null buffer) means nothing is written at all.
#pragma once
#include <cstdint>

namespace tarn {

// The one bounded writer behind every text this program builds: a buffer, its capacity and
// the length written so far. Keeping the length makes each write cost only what it writes,
// so a long text built piece by piece stays linear. Units past the limit (capacity - 1, or
// a narrower one set by Limit) are dropped silently; after every write the text is
// terminated. A null buffer or a capacity below 1 gives a writer that writes nothing.
class TextWriter {
 public:
  // Writes from `length` on (clamped into 0 .. capacity - 1); writes nothing until asked.
  TextWriter(char16_t* buffer, std::int32_t capacity, std::int32_t length = 0);

  // Writes after the text already in the buffer, measured once. A text with no terminator
  // inside the capacity counts as cut at capacity - 1 (and is terminated there).
  static TextWriter After(char16_t* buffer, std::int32_t capacity);

  std::int32_t Length() const { return length_; }
  // Units that may still be written.
  std::int32_t Room() const { return limit_ > length_ ? limit_ - length_ : 0; }

  // Leaves the text terminated at its current length (an empty buffer becomes "").
  void Terminate() {
    if (limit_ >= 0) buffer_[length_] = 0;
  }

  void Put(char16_t unit) {
    if (length_ < limit_) buffer_[length_++] = unit;
    Terminate();
  }

  // At most `count` units of `text`, stopping early at its terminator (null: nothing). A
  // source inside the buffer itself is measured before anything is written.
  void Write(const char16_t* text, std::int32_t count);
  void Write(const char16_t* text) { Write(text, INT32_MAX); }

  // `count` ASCII characters; a byte outside ASCII is not a character of its own and shows
  // as U+FFFD.
  void WriteAscii(const char* text, std::int32_t count);

  // Goes back to `length` (when shorter than the text), dropping what came after it.
  void Truncate(std::int32_t length) {
    if (length >= 0 && length < length_) length_ = length;
    Terminate();
  }

  // Lets at most `more` further units in until RestoreLimit(returned value): a line cut at
  // its own length inside a larger text.
  std::int32_t Limit(std::int32_t more) {
    const std::int32_t saved = limit_;
    if (limit_ >= 0 && more >= 0 && limit_ - length_ > more) limit_ = length_ + more;
    return saved;
  }
  void RestoreLimit(std::int32_t saved) { limit_ = saved; }

 private:
  char16_t* buffer_;
  std::int32_t limit_;  // longest text allowed; -1: nothing may be written
  std::int32_t length_;
};

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
