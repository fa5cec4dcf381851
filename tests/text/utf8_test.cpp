// UTF-8 both ways: round trips through every sequence length, unpaired surrogates, malformed
// input, and cuts that must never split a character or pass the capacity.
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace tarn {
namespace {

using tarn_test::GuardedBytes;
using tarn_test::GuardedText;

std::string Encode(const std::u16string& text) {
  char out[256];
  std::int32_t consumed = -1;
  const auto count = static_cast<std::int32_t>(text.size());
  const std::int32_t written = EncodeUtf8(text.data(), count, out, 256, &consumed);
  EXPECT_EQ(consumed, count);
  return std::string(out, static_cast<std::size_t>(written));
}

std::u16string Decode(const std::string& bytes) {
  char16_t out[256];
  const std::int32_t length = DecodeUtf8(bytes.c_str(), out, 256);
  EXPECT_EQ(length, static_cast<std::int32_t>(std::u16string(out).size()));
  return std::u16string(out);
}

TEST(Utf8, RoundTripEverySequenceLength) {
  const std::u16string text = u"a\u00E9\u4E2D\U0001F600\u07FF\u0800\uFFFF\U0010FFFF";
  const std::string bytes = Encode(text);
  EXPECT_EQ(bytes,
            "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"
            "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Decode(bytes), text);
}

// An unpaired half of a surrogate pair has no UTF-8 form: it is written as U+FFFD.
TEST(Utf8, UnpairedSurrogatesBecomeReplacement) {
  const std::string kFffd = "\xEF\xBF\xBD";
  EXPECT_EQ(Encode(u"\xD83D"), kFffd);
  EXPECT_EQ(Encode(u"\xDE00x"), kFffd + "x");
  EXPECT_EQ(Encode(u"\xDE00\xD83D"), kFffd + kFffd);  // the halves in the wrong order
  EXPECT_EQ(Encode(u"\xD83D\xD83D\xDE00"), kFffd + "\xF0\x9F\x98\x80");
}

// A pair that `count` cuts in half is an unpaired high surrogate, not a read past count.
TEST(Utf8, CountCutsPair) {
  const char16_t text[] = u"a\U0001F600";
  char out[16];
  std::int32_t consumed = 0;
  EXPECT_EQ(EncodeUtf8(text, 2, out, 16, &consumed), 4);
  EXPECT_EQ(consumed, 2);
  EXPECT_EQ(std::string(out, 4), "a\xEF\xBF\xBD");
}

// Every capacity: whole characters only, and the bytes behind the capacity untouched.
TEST(Utf8, EncodeEveryCapacity) {
  const std::u16string text = u"a\u4E2D\U0001F600b";  // 1 + 3 + 4 + 1 bytes
  // A split literal keeps the hex escape from swallowing the "b".
  // clang-format off
  const std::string full = "a\xE4\xB8\xAD\xF0\x9F\x98\x80" "b";
  // clang-format on
  struct Cut {
    std::int32_t bytes;
    std::int32_t units;
  };
  // For capacities 0..10: bytes written and units consumed.
  const Cut kCuts[] = {{0, 0}, {1, 1}, {1, 1}, {1, 1}, {4, 2}, {4, 2},
                       {4, 2}, {4, 2}, {8, 4}, {9, 5}, {9, 5}};
  for (std::int32_t capacity = 0; capacity <= 10; ++capacity) {
    GuardedBytes<16> out;
    std::int32_t consumed = -1;
    const std::int32_t written = EncodeUtf8(text.data(), static_cast<std::int32_t>(text.size()),
                                            out.bytes, capacity, &consumed);
    EXPECT_EQ(written, kCuts[capacity].bytes) << capacity;
    EXPECT_EQ(consumed, kCuts[capacity].units) << capacity;
    EXPECT_EQ(std::string(out.bytes, static_cast<std::size_t>(written)),
              full.substr(0, static_cast<std::size_t>(written)));
    EXPECT_TRUE(out.UntouchedFrom(written)) << capacity;
  }
  EXPECT_EQ(EncodeUtf8(text.data(), 4, nullptr, 10, nullptr), 0);
  EXPECT_EQ(EncodeUtf8(nullptr, 4, nullptr, -1, nullptr), 0);
}

struct MalformedCase {
  const char* bytes;
  const char16_t* expected;
};

// Each maximal ill-formed piece becomes one U+FFFD; what follows it is read normally.
// Split literals ("\xBF" "b") keep a hex escape from swallowing the next letter.
// clang-format off
const MalformedCase kMalformed[] = {
    {"\x80", u"\uFFFD"},                              // lone continuation byte
    {"a\xBF" "b", u"a\uFFFDb"},
    {"\xC0\xAF", u"\uFFFD\uFFFD"},                    // overlong "/"
    {"\xC1\xBF", u"\uFFFD\uFFFD"},
    {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},          // overlong three-byte form
    {"\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},          // an encoded surrogate
    {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
    {"\xF5\x80", u"\uFFFD\uFFFD"},
    {"\xFF\xFE", u"\uFFFD\uFFFD"},
    {"\xE4\xB8", u"\uFFFD"},                          // cut at the end of the text
    {"\xE4\xB8" "A", u"\uFFFDA"},
    {"\xF0\x9F\x98" "A\xF0\x9F\x98\x80", u"\uFFFDA\U0001F600"},
    {"\xC3", u"\uFFFD"},
};
// clang-format on

TEST(Utf8, DecodeMalformed) {
  for (const MalformedCase& c : kMalformed) {
    EXPECT_EQ(Decode(c.bytes), std::u16string(c.expected)) << c.bytes;
  }
}

// A surrogate pair is written whole or not at all, and nothing passes the capacity.
TEST(Utf8, DecodeEveryCapacity) {
  const char* bytes = "a\xF0\x9F\x98\x80\xE4\xB8\xAD";
  const std::u16string full = u"a\U0001F600\u4E2D";
  const std::int32_t kLengths[] = {0, 0, 1, 1, 3, 4, 4};  // by capacity 0..6
  for (std::int32_t capacity = 0; capacity <= 6; ++capacity) {
    GuardedText<12> out;
    const std::int32_t length = DecodeUtf8(bytes, out.units, capacity);
    EXPECT_EQ(length, kLengths[capacity]) << capacity;
    if (capacity == 0) {
      EXPECT_TRUE(out.UntouchedFrom(0));
      continue;
    }
    EXPECT_EQ(out.Text(), full.substr(0, static_cast<std::size_t>(length))) << capacity;
    EXPECT_TRUE(out.UntouchedFrom(length + 1)) << capacity;
  }
  char16_t out[4] = u"xyz";
  EXPECT_EQ(DecodeUtf8(nullptr, out, 4), 0);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
}  // namespace tarn
