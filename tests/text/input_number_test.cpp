// The input box rule: which texts give a number and which are refused (NaN) instead of being
// read as 0 or as the part before something the user did not mean as the end of the number.
#include "text/input_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tarn {
namespace {

constexpr double kRefused = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A text of exactly `units` units ending in the digit 1, zeros before it.
std::u16string ZerosThenOne(std::size_t units) { return std::u16string(units - 1, u'0') + u"1"; }

TEST(ReadInputNumber, AcceptsWhatNamesOneNumberAndRefusesTheRest) {
  const std::u16string longest = ZerosThenOne(kMaxInputText);
  const std::u16string tooLong = ZerosThenOne(kMaxInputText + 1);
  const std::u16string spaces(kMaxInputText, u' ');
  const struct {
    std::u16string text;
    double value;  // kRefused: the text is refused
  } cases[] = {
      // Nothing typed counts as 0.
      {u"", 0},
      {u"   ", 0},
      {spaces, 0},
      // One number, perhaps with a unit or spaces after it.
      {u"12", 12},
      {u" 12 ", 12},
      {u"12kg", 12},
      {u"12 mg/kg", 12},
      {u"+2.5e1", 25},
      {u".5", 0.5},
      {u"0", 0},
      {u"0x10", 16},
      {u"-3", -3},
      {u"1e-400", 0},  // underflow reads as zero, as a number it is
      {longest, 1},
      // No number at the start: full-width digits and commas look like numbers but are not.
      {u"abc", kRefused},
      {u"，5", kRefused},
      {u",2", kRefused},
      {u"１２", kRefused},
      {u"２", kRefused},
      {u"-", kRefused},
      {u"\u3000", kRefused},
      // A digit after the number read: the number read is not what was typed.
      {u"12,5", kRefused},
      {u"12，5", kRefused},
      {u"1 2", kRefused},
      {u"12.5.1", kRefused},
      {u"1２", kRefused},
      {u"12kg5", kRefused},
      // Longer than what is read: never read cut.
      {tooLong, kRefused},
      {spaces + u" ", kRefused},
      // Not finite: refused, returned as read.
      {u"inf", kInf},
      {u"-Infinity", -kInf},
      {u"1e999", kInf},
      {u"nan", kRefused},
      {u"nanny", kRefused},
  };
  for (const auto& c : cases) {
    const double value = ReadInputNumber(c.text.c_str());
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(value)) << "case " << (&c - cases) << " read as " << value;
    } else {
      EXPECT_EQ(value, c.value) << "case " << (&c - cases);
    }
  }
  EXPECT_TRUE(std::signbit(ReadInputNumber(u"-0")));
  EXPECT_EQ(ReadInputNumber(nullptr), 0.0);
}

}  // namespace
}  // namespace tarn
