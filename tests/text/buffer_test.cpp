// Bounded copy and append: exact cuts at every small capacity, terminators, and guard units
// after the capacity that must survive every call.
#include "text/buffer.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tarn {
namespace {

using tarn_test::GuardedText;

TEST(TextLength, NullAndEmpty) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(u""), 0);
  EXPECT_EQ(TextLength(u"护士01"), 4);
}

// Capacities 0 .. 7 around the 4-unit text: nothing, empty, cut, capacity - 1, exact fit, spare.
TEST(CopyText, EveryCapacityAroundTheLength) {
  const std::u16string source = u"abcd";
  for (std::int32_t capacity = 0; capacity <= 7; ++capacity) {
    GuardedText<16> buffer;
    const std::int32_t length = CopyText(buffer.units, capacity, source.c_str());
    if (capacity == 0) {
      EXPECT_EQ(length, 0);
      EXPECT_TRUE(buffer.UntouchedFrom(0)) << "capacity 0 must write nothing";
      continue;
    }
    const std::int32_t expected = capacity - 1 < 4 ? capacity - 1 : 4;
    EXPECT_EQ(length, expected) << capacity;
    EXPECT_EQ(buffer.Text(), source.substr(0, static_cast<std::size_t>(expected))) << capacity;
    EXPECT_TRUE(buffer.UntouchedFrom(expected + 1)) << capacity;
  }
}

TEST(CopyText, NullAndNegative) {
  GuardedText<4> buffer;
  EXPECT_EQ(CopyText(nullptr, 10, u"abc"), 0);
  EXPECT_EQ(CopyText(buffer.units, -5, u"abc"), 0);
  EXPECT_TRUE(buffer.UntouchedFrom(0));
  EXPECT_EQ(CopyText(buffer.units, 3, nullptr), 0);
  EXPECT_EQ(buffer.units[0], 0);
  EXPECT_TRUE(buffer.UntouchedFrom(1));
}

TEST(AppendBounded, EveryCapacityAroundTheLength) {
  for (std::int32_t capacity = 0; capacity <= 9; ++capacity) {
    GuardedText<16> buffer;
    CopyText(buffer.units, capacity, u"xy");
    const std::int32_t length = AppendBounded(buffer.units, capacity, u"abcd");
    if (capacity == 0) {
      EXPECT_EQ(length, 0);
      EXPECT_TRUE(buffer.UntouchedFrom(0));
      continue;
    }
    const std::int32_t expected = capacity - 1 < 6 ? capacity - 1 : 6;
    EXPECT_EQ(length, expected) << capacity;
    const std::u16string full = u"xyabcd";
    EXPECT_EQ(buffer.Text(), full.substr(0, static_cast<std::size_t>(expected)));
    EXPECT_TRUE(buffer.UntouchedFrom(expected + 1)) << capacity;
  }
}

TEST(AppendUnits, CountStopsEarlyAndTerminatorStopsCount) {
  char16_t buffer[16] = u"ab";
  EXPECT_EQ(AppendUnits(buffer, 16, u"cdef", 2), 4);
  EXPECT_EQ(std::u16string(buffer), u"abcd");
  EXPECT_EQ(AppendUnits(buffer, 16, u"xy", 10), 6);  // must not read past the terminator
  EXPECT_EQ(AppendUnits(buffer, 16, u"zz", 0), 6);
  EXPECT_EQ(AppendUnits(buffer, 16, u"zz", -3), 6);
  EXPECT_EQ(AppendBounded(buffer, 16, nullptr), 6);
  EXPECT_EQ(std::u16string(buffer), u"abcdxy");
}

// A buffer whose text has no terminator inside the capacity must not be scanned or written
// past it: it counts as cut at capacity - 1.
TEST(AppendUnits, UnterminatedBufferStaysInside) {
  GuardedText<12> buffer;
  for (std::int32_t i = 0; i < 6; ++i) buffer.units[i] = u'q';
  EXPECT_EQ(AppendBounded(buffer.units, 6, u"abc"), 5);
  EXPECT_EQ(buffer.Text(), u"qqqqq");
  EXPECT_TRUE(buffer.UntouchedFrom(6));
}

// Appending a buffer to itself must copy the original text, not chase its own writes.
TEST(AppendBounded, SelfAppend) {
  char16_t buffer[16] = u"abc";
  EXPECT_EQ(AppendBounded(buffer, 16, buffer), 6);
  EXPECT_EQ(std::u16string(buffer), u"abcabc");
  EXPECT_EQ(AppendBounded(buffer, 8, buffer), 7);
  EXPECT_EQ(std::u16string(buffer), u"abcabca");
}

TEST(WidenAscii, CutsAndReplacesNonAscii) {
  GuardedText<10> buffer;
  EXPECT_EQ(WidenAscii(buffer.units, 5, "f2\xC3\xA9xyz"), 4);
  EXPECT_EQ(buffer.Text(), u"f2\uFFFD\uFFFD");
  EXPECT_TRUE(buffer.UntouchedFrom(5));
  EXPECT_EQ(WidenAscii(buffer.units, 10, nullptr), 0);
  EXPECT_EQ(buffer.units[0], 0);
  GuardedText<2> none;
  EXPECT_EQ(WidenAscii(none.units, 0, "abc"), 0);
  EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST(IsEmpty, BothWidths) {
  EXPECT_TRUE(IsEmpty(static_cast<const char16_t*>(nullptr)));
  EXPECT_TRUE(IsEmpty(u""));
  EXPECT_FALSE(IsEmpty(u" "));
  EXPECT_TRUE(IsEmpty(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(IsEmpty("f2"));
}

}  // namespace
}  // namespace tarn
