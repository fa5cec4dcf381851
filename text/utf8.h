// UTF-8 <-> UTF-16 conversion, our own so both builds give the same bytes.
// Unpaired surrogates (and malformed UTF-8) become U+FFFD; a sequence is never cut in half.
#pragma once
#include <cstdint>

namespace tarn {

// Encodes up to `count` units of `text` into `out` (no terminator written). Stops before a
// character that would not fit in `capacity` bytes. Returns the bytes written; *consumed
// (may be null) receives the UTF-16 units consumed.
std::int32_t EncodeUtf8(const char16_t* text, std::int32_t count, char* out, std::int32_t capacity,
                        std::int32_t* consumed);

// Decodes a terminated UTF-8 text into the UTF-16 buffer, cut at capacity - 1 (never between
// the two halves of a surrogate pair), terminated. Returns the length written.
std::int32_t DecodeUtf8(const char* text, char16_t* out, std::int32_t capacity);

}  // namespace tarn
