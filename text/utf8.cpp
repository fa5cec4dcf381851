// UTF-8 <-> UTF-16, the same bytes on every build. Unpaired surrogates and malformed UTF-8
// become U+FFFD; a character is written whole or not at all, and no write passes a capacity.
// No allocation, no C runtime conversion functions.
#include "text/utf8.h"

namespace tarn {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The character starting at text[at] (of `count` units) and how many units it takes; a
// surrogate without its partner inside `count` is U+FFFD on its own.
char32_t NextCharacter(const char16_t* text, std::int32_t count, std::int32_t at,
                       std::int32_t& units) {
  const char32_t unit = text[at];
  units = 1;
  if (IsHighSurrogate(unit) && at + 1 < count && IsLowSurrogate(text[at + 1])) {
    units = 2;
    return 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[at + 1]) - 0xDC00);
  }
  if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
    return kReplacement;
  }
  return unit;
}

std::int32_t EncodedSize(char32_t character) {
  if (character < 0x80) return 1;
  if (character < 0x800) return 2;
  if (character < 0x10000) return 3;
  return 4;
}

// Length of the well-formed UTF-8 sequence at `text`, or 0 when it is malformed; `skip` then
// receives the bytes of its longest well-formed beginning (at least 1), which stand for one
// U+FFFD together. The ranges are those of the Unicode table of well-formed byte sequences:
// they exclude overlong forms, encoded surrogates and values above U+10FFFF.
std::int32_t SequenceLength(const unsigned char* text, char32_t& character, std::int32_t& skip) {
  const unsigned char lead = text[0];
  skip = 1;
  if (lead < 0x80) {
    character = lead;
    return 1;
  }
  std::int32_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    character = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    character = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    character = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  for (std::int32_t i = 1; i < length; ++i) {
    const unsigned char next = text[i];  // a terminator fails the test below and stops here
    if (next < low || next > high) {
      return 0;
    }
    character = (character << 6) | (next & 0x3Fu);
    skip = i + 1;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

}  // namespace

std::int32_t EncodeUtf8(const char16_t* text, std::int32_t count, char* out, std::int32_t capacity,
                        std::int32_t* consumed) {
  std::int32_t at = 0;
  std::int32_t written = 0;
  if (text != nullptr && out != nullptr) {
    std::int32_t units = 1;
    for (; at < count; at += units) {
      char32_t character = NextCharacter(text, count, at, units);
      const std::int32_t size = EncodedSize(character);
      if (size > capacity - written) {
        break;
      }
      static constexpr unsigned char kLeads[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
      for (std::int32_t i = size - 1; i > 0; --i) {
        out[written + i] = static_cast<char>(0x80u | (character & 0x3Fu));
        character >>= 6;
      }
      out[written] = static_cast<char>(kLeads[size] | character);
      written += size;
    }
  }
  if (consumed != nullptr) *consumed = at;
  return written;
}

std::int32_t DecodeUtf8(const char* text, char16_t* out, std::int32_t capacity) {
  if (out == nullptr || capacity < 1) {
    return 0;
  }
  std::int32_t length = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  while (bytes != nullptr && *bytes != 0) {
    char32_t character = 0;
    std::int32_t skip = 1;
    const std::int32_t size = SequenceLength(bytes, character, skip);
    if (size == 0) {
      character = kReplacement;
      bytes += skip;
    } else {
      bytes += size;
    }
    const std::int32_t units = character >= 0x10000 ? 2 : 1;
    if (units > capacity - 1 - length) {
      break;
    }
    if (units == 2) {
      out[length++] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
      out[length++] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else {
      out[length++] = static_cast<char16_t>(character);
    }
  }
  out[length] = 0;
  return length;
}

}  // namespace tarn
